#include "mapped_trace_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace virarudi {

namespace platform = libdevavu::platform;

namespace {

// The state word: bit 63 is set while a process rotates the file, bits 40 to
// 62 count the generations, bits 0 to 39 are the end of the reserved text.
constexpr uint64_t kRotating = uint64_t{1} << 63;
constexpr int kGenerationShift = 40;
constexpr uint64_t kOffsetMask = (uint64_t{1} << kGenerationShift) - 1;
constexpr uint64_t kGenerationMask = (uint64_t{1} << 23) - 1;
constexpr uint64_t kMagic = 0x3254465254525651;  // "QVRTRFT2"
constexpr size_t kControlSize = 4096;
// The preparing thread keeps the file grown up to kLeadSteps steps ahead of
// the writers, a step at a time under the grow lock: a writer that catches
// up waits for one step at most, and the lead (4 MB) outlasts the few
// milliseconds the thread spends waiting for a processor while writers
// outnumber them, or dropping what a rotation left. (A longer lead made
// more of the single calls slower: the thread's work ran beside them.)
constexpr uint64_t kLargestGrowthStep = uint64_t{1} << 18;
constexpr uint64_t kLeadSteps = 16;
// What a writer that outran the preparing thread adds itself.
constexpr uint64_t kWriterGrowthStep = uint64_t{1} << 16;
// A waiter yields a few times, then sleeps between its looks; it asks about
// every tenth of a second whether the process it waits for is still alive.
constexpr uint32_t kYieldsBeforeSleeping = 16;
constexpr uint32_t kTakeOverCheckMs = 100;
// The preparing thread also looks without being asked, for writers in
// other processes.
constexpr uint32_t kPreparePollMs = 100;

uint64_t GenerationOf(uint64_t word) { return (word >> kGenerationShift) & kGenerationMask; }
uint64_t OffsetOf(uint64_t word) { return word & kOffsetMask; }
uint64_t Word(uint64_t generation, uint64_t offset) {
  return ((generation & kGenerationMask) << kGenerationShift) | offset;
}

uint64_t RoundUp(uint64_t value, uint64_t step) { return (value + step - 1) / step * step; }

// Waits for another thread or process. Sleeping after a few yields matters
// when writers outnumber the processors: a yield may hand the processor
// straight back to the waiter while the one it waits for stays preempted.
class Waiter {
 public:
  void Pause() {
    if (rounds_++ < kYieldsBeforeSleeping) {
      platform::YieldProcessor();
    } else {
      platform::SleepBriefly();
    }
  }
  // True about every tenth of a second of waiting.
  bool TimeToCheck() {
    const uint32_t now = platform::TickCount();
    if (now - since_ < kTakeOverCheckMs) return false;
    since_ = now;
    return true;
  }

 private:
  uint32_t rounds_ = 0;
  uint32_t since_ = platform::TickCount();
};

// Takes a lock word of the control block for this process: waits while a
// live process holds it, takes it from one that died holding it.
void LockWord(std::atomic<uint32_t>& word) {
  const uint32_t self = platform::CurrentProcessId();
  for (Waiter waiter;; waiter.Pause()) {
    uint32_t holder = 0;
    if (word.compare_exchange_weak(holder, self, std::memory_order_acquire)) return;
    if (waiter.TimeToCheck() && holder != self && holder != 0 &&
        !platform::ProcessMayExist(holder) &&
        word.compare_exchange_strong(holder, self, std::memory_order_acquire)) {
      return;
    }
  }
}

void UnlockWord(std::atomic<uint32_t>& word) { word.store(0, std::memory_order_release); }

// A source of zeros for growing files; never written.
char zero_step[kLargestGrowthStep];

// A file grows by writing zeros rather than by setting its size: the system
// then makes its page cache in large pieces, about a quarter of the work of
// filling a hole page by page through the mapping. The blocks are allocated
// first: a file system that allocates late would otherwise write all the
// file's pending pages out when it is renamed at a rotation, holding up
// every writer.
bool WriteZeros(platform::SharedFile& file, uint64_t from, uint64_t to) {
  if (!file.Grow(from, to)) return false;
  for (uint64_t offset = from; offset < to; offset += sizeof zero_step) {
    const uint64_t left = to - offset;
    if (!file.WriteAt(offset, zero_step, left < sizeof zero_step ? left : sizeof zero_step)) {
      return false;
    }
  }
  return true;
}

// Where the text of a file ends: before the zero bytes it was grown by. A
// record cut short by a crash gets its line ended, so the next one starts
// a line of its own.
uint64_t EndText(platform::SharedFile& file) {
  const uint64_t size = file.Size();
  if (size == 0) return 0;
  void* mapped = file.Map(0, static_cast<size_t>(size));
  if (mapped == nullptr) return size;
  const auto* bytes = static_cast<const char*>(mapped);
  uint64_t end = size;
  while (end > 0 && bytes[end - 1] == '\0') --end;
  const bool ends_line = end == 0 || bytes[end - 1] == '\n';
  platform::SharedFile::Unmap(mapped, static_cast<size_t>(size));
  if (!ends_line && file.WriteAt(end, "\n", 1)) ++end;
  return end;
}

}  // namespace

// Shared by every process through <name>.ctl; a new file reads as zeros.
struct MappedTraceFile::Control {
  std::atomic<uint64_t> magic;
  std::atomic<uint64_t> file_identity;
  std::atomic<uint64_t> previous_identity;
  std::atomic<uint32_t> rotator;
  // Held while the current file's length changes, so that the zeros that
  // grow it never land on a record.
  std::atomic<uint32_t> grower;
  // Written by every record: a cache line of its own.
  alignas(64) std::atomic<uint64_t> state;
  // Generation and size of the current file's allocated part.
  alignas(64) std::atomic<uint64_t> allocated;
};
static_assert(sizeof(MappedTraceFile::Control) <= kControlSize);
static_assert(std::atomic<uint64_t>::is_always_lock_free);

MappedTraceFile::MappedTraceFile(std::string path, uint64_t limit)
    : path_(std::move(path)),
      limit_(limit),
      map_length_(static_cast<size_t>(RoundUp(limit, platform::SharedFile::MapGranularity()))),
      growth_step_(RoundUp(limit < kLargestGrowthStep ? limit : kLargestGrowthStep,
                           platform::SharedFile::MapGranularity())),
      fork_generation_(platform::ForkGeneration()) {}

std::unique_ptr<MappedTraceFile> MappedTraceFile::Open(const std::string& path, uint64_t limit,
                                                       std::string* error, bool* shared) {
  std::unique_ptr<MappedTraceFile> file(new MappedTraceFile(path, limit));
  bool regular = false;
  const bool set_up = file->SetUp(error, &regular);
  *shared = !set_up && regular && platform::IdentityOf(path + ".ctl") != 0;
  if (!set_up) return nullptr;
  return file;
}

bool MappedTraceFile::SetUp(std::string* error, bool* regular) {
  platform::SharedFile trace;
  *regular = trace.Open(path_, error);
  if (!*regular) return false;
  trace.Close();
  if (!control_file_.Open(path_ + ".ctl", error)) {
    *error = path_ + ".ctl: " + *error;
    return false;
  }
  void* mapped = nullptr;
  if (!control_file_.Grow(0, kControlSize) ||
      (mapped = control_file_.Map(0, kControlSize)) == nullptr) {
    *error = path_ + ".ctl cannot be mapped";
    return false;
  }
  control_ = static_cast<Control*>(mapped);
  // The first user sets the control block up from the file; the others wait
  // for it. If it died while setting up, the next one does it again.
  while (true) {
    if (control_file_.TryLockExclusive()) {
      const bool set_up = SetUpAsFirstUser(error);
      control_file_.Unlock();
      if (!set_up) return false;
    }
    if (!control_file_.LockShared()) {
      *error = path_ + ".ctl cannot be locked";
      return false;
    }
    const uint64_t magic = control_->magic.load();
    if (magic == kMagic) {
      StartPreparer();
      return true;
    }
    control_file_.Unlock();
    if (magic != 0) {
      *error = path_ + ".ctl is in use by another version of the trace library";
      return false;
    }
  }
}

bool MappedTraceFile::SetUpAsFirstUser(std::string* error) {
  platform::SharedFile file;
  if (!file.Open(path_, error)) return false;
  const uint64_t end = EndText(file);
  file.Truncate(end);
  platform::SharedFile previous;
  std::string ignored;
  if (platform::IdentityOf(path_ + ".1") != 0 && previous.Open(path_ + ".1", &ignored)) {
    previous.Truncate(EndText(previous));
  }
  const uint64_t generation = GenerationOf(control_->state.load());
  control_->file_identity.store(file.Identity());
  control_->previous_identity.store(platform::IdentityOf(path_ + ".1"));
  control_->rotator.store(0);
  control_->grower.store(0);
  control_->allocated.store(Word(generation, end));
  control_->state.store(Word(generation, end));
  control_->magic.store(kMagic);
  return true;
}

MappedTraceFile::~MappedTraceFile() {
  preparer_.Stop();
  preparing_.store(false);
  DropLeftovers();
  for (Generation& generation : generations_) Release(generation);
  if (control_ == nullptr) return;
  // A child of fork that never wrote shares its parent's lock: leave it.
  if (fork_generation_ == platform::ForkGeneration()) {
    control_file_.Unlock();
    if (control_file_.TryLockExclusive()) {
      // The last user: cut the file to its text.
      const uint64_t state = control_->state.load();
      platform::SharedFile file;
      std::string error;
      const uint64_t identity = control_->file_identity.load();
      if ((state & kRotating) == 0 && platform::IdentityOf(path_) == identity &&
          file.Open(path_, &error) && file.Identity() == identity) {
        file.Truncate(OffsetOf(state));
        control_->allocated.store(state);
      }
      control_file_.Unlock();
    }
  }
  platform::SharedFile::Unmap(control_, kControlSize);
}

void MappedTraceFile::Release(Generation& generation) {
  Leave(std::move(generation.file), Leftovers::kNoCut, generation.base);
  generation.base = nullptr;
}

void MappedTraceFile::Leave(platform::SharedFile file, uint64_t cut, char* mapping) {
  {
    platform::LockHolder hold(generations_lock_);
    if (file.is_open()) leftovers_.files.emplace_back(std::move(file), cut);
    if (mapping != nullptr) leftovers_.mappings.push_back(mapping);
  }
  if (preparing_.load()) {
    AskPreparer();
  } else {
    DropLeftovers();
  }
}

void MappedTraceFile::DropLeftovers() {
  Leftovers taken;
  {
    platform::LockHolder hold(generations_lock_);
    std::swap(taken, leftovers_);
  }
  for (auto& [file, cut] : taken.files) {
    if (cut != Leftovers::kNoCut) file.Truncate(cut);
  }
  for (char* mapping : taken.mappings) platform::SharedFile::Unmap(mapping, map_length_);
}

void MappedTraceFile::AdoptAfterFork() {
  platform::LockHolder hold(generations_lock_);
  if (fork_generation_ == platform::ForkGeneration()) return;
  // The parent's lock is shared with this process through the inherited
  // file; a lock of its own keeps the file set up after the parent ends.
  platform::SharedFile own;
  std::string error;
  if (own.Open(path_ + ".ctl", &error) && own.LockShared()) control_file_.Swap(own);
  // The parent's preparing thread is not in this process.
  prepare_asked_.store(false);
  StartPreparer();
  fork_generation_ = platform::ForkGeneration();
}

void MappedTraceFile::StartPreparer() {
  // Without the thread, writers extend the file themselves and drop what
  // they leave at once.
  preparing_.store(preparer_.Start(&MappedTraceFile::Prepare, this, kPreparePollMs));
}

MappedTraceFile::Reservation MappedTraceFile::Reserve(uint64_t length) {
  uint64_t state = control_->state.load(std::memory_order_acquire);
  while (true) {
    if ((state & kRotating) != 0) {
      WaitForRotation(state);
      state = control_->state.load(std::memory_order_acquire);
      continue;
    }
    const uint64_t offset = OffsetOf(state);
    // A record longer than the limit goes alone into a new file.
    if (offset != 0 && offset + length > limit_) {
      if (control_->state.compare_exchange_weak(state, state | kRotating,
                                                std::memory_order_acq_rel)) {
        Rotate(GenerationOf(state), offset);
        state = control_->state.load(std::memory_order_acquire);
      }
      continue;
    }
    if (control_->state.compare_exchange_weak(state, state + length, std::memory_order_acq_rel)) {
      return Reservation{GenerationOf(state), offset};
    }
  }
}

void MappedTraceFile::WaitForRotation(uint64_t state) {
  for (Waiter waiter; control_->state.load(std::memory_order_acquire) == state; waiter.Pause()) {
    if (!waiter.TimeToCheck()) continue;
    // A rotating process that died must not stop every other one.
    uint32_t rotator = control_->rotator.load();
    if ((rotator == 0 || !platform::ProcessMayExist(rotator)) &&
        control_->rotator.compare_exchange_strong(rotator, platform::CurrentProcessId())) {
      Rotate(GenerationOf(state), OffsetOf(state));
      return;
    }
  }
}

void MappedTraceFile::Rotate(uint64_t generation, uint64_t end) {
  control_->rotator.store(platform::CurrentProcessId());
  LockWord(control_->grower);
  const uint64_t old_identity = control_->file_identity.load();
  std::string error;
  platform::SharedFile old;
  // Held open over the rename, so that the system frees the replaced file's
  // pages when it is closed, after the writers have gone on.
  platform::SharedFile replaced;
  // Done already when a rotating process died after the rename.
  if (platform::IdentityOf(path_) == old_identity) {
    if (!old.Open(path_, &error) || old.Identity() != old_identity) old.Close();
    if (platform::IdentityOf(path_ + ".1") != 0) replaced.Open(path_ + ".1", &error);
    platform::RenameReplacing(path_, path_ + ".1");
  }
  platform::SharedFile fresh;
  uint64_t identity = 0;
  if (fresh.Open(path_, &error)) {
    fresh.Truncate(0);
    identity = fresh.Identity();
  }
  control_->previous_identity.store(old_identity);
  control_->file_identity.store(identity);
  control_->allocated.store(Word(generation + 1, 0));
  UnlockWord(control_->grower);
  control_->rotator.store(0);
  control_->state.store(Word(generation + 1, 0), std::memory_order_release);
  // The replaced file's pages and blocks, and the zeros the old file was
  // grown by, go once the writers have gone on; a crash before leaves the
  // zeros to the next first user.
  Leave(std::move(replaced), Leftovers::kNoCut, nullptr);
  Leave(std::move(old), end, nullptr);
}

bool MappedTraceFile::EnsureAllocated(Generation& generation, uint64_t end) {
  const uint64_t allocated = control_->allocated.load(std::memory_order_acquire);
  if (GenerationOf(allocated) == generation.number && OffsetOf(allocated) >= end) {
    // Once half the lead is used the preparing thread is asked to go on,
    // so that writers seldom extend the file themselves.
    if (OffsetOf(allocated) - end < kLeadSteps / 2 * growth_step_) AskPreparer();
    return true;
  }
  // A writer that outran the preparing thread adds a little alone and
  // leaves the pages to that thread: its record faults in a page or two.
  // No file grows past its mapping but by a record longer than the limit.
  const uint64_t target =
      std::max(end, std::min<uint64_t>(RoundUp(end, kWriterGrowthStep), map_length_));
  if (!Extend(generation, end, target).has_value()) return false;
  AskPreparer();
  return true;
}

void MappedTraceFile::AskPreparer() {
  // The plain load first keeps the shared flag's cache line unwritten while
  // the thread has been asked already.
  if (!prepare_asked_.load(std::memory_order_relaxed) && !prepare_asked_.exchange(true)) {
    preparer_.Wake();
  }
}

std::optional<uint64_t> MappedTraceFile::Extend(Generation& generation, uint64_t end,
                                                uint64_t target) {
  LockWord(control_->grower);
  const uint64_t allocated = control_->allocated.load(std::memory_order_acquire);
  uint64_t from = target;
  bool written = true;
  if (GenerationOf(allocated) != generation.number) {
    // Rotated: the file was cut at the end of its last record, so it holds
    // end unless that cut failed.
    written = generation.file.Size() >= end || generation.file.Grow(0, end);
  } else if (OffsetOf(allocated) < target) {
    from = OffsetOf(allocated);
    written = WriteZeros(generation.file, from, target);
    if (written) control_->allocated.store(Word(generation.number, target));
  }
  UnlockWord(control_->grower);
  if (!written) return std::nullopt;
  return from;
}

void MappedTraceFile::Prepare(void* self) {
  auto& file = *static_cast<MappedTraceFile*>(self);
  file.prepare_asked_.store(false);
  // Growing first: the writers may be waiting for it.
  file.GrowAhead();
  file.DropLeftovers();
}

void MappedTraceFile::GrowAhead() {
  Generation* generation = Pin(current_.load(std::memory_order_acquire));
  if (generation == nullptr) return;
  const uint64_t reserved = OffsetOf(control_->state.load(std::memory_order_acquire));
  const uint64_t wanted = std::min<uint64_t>(
      RoundUp(reserved + kLeadSteps * growth_step_, growth_step_), map_length_);
  while (true) {
    const uint64_t state = control_->state.load(std::memory_order_acquire);
    const uint64_t allocated = control_->allocated.load(std::memory_order_acquire);
    if (GenerationOf(state) != generation->number || (state & kRotating) != 0 ||
        GenerationOf(allocated) != generation->number || OffsetOf(allocated) >= wanted) {
      break;
    }
    // Each step is the writers' at once; its pages are prepared after, so
    // that a writer reaching it meanwhile faults in a page of its own
    // instead of waiting.
    const uint64_t piece = std::min(RoundUp(OffsetOf(allocated) + 1, growth_step_), wanted);
    const std::optional<uint64_t> from = Extend(*generation, piece, piece);
    if (!from.has_value()) break;
    const uint64_t granularity = platform::SharedFile::MapGranularity();
    const uint64_t first = *from / granularity * granularity;
    if (generation->base != nullptr && first < piece) {
      platform::SharedFile::PrepareForWriting(generation->base + first,
                                              static_cast<size_t>(piece - first));
    }
  }
  Unpin(generation);
}

int MappedTraceFile::PinStripe() {
  static std::atomic<unsigned> next_stripe{0};
  thread_local const int stripe = static_cast<int>(next_stripe.fetch_add(1) % kPinStripes);
  return stripe;
}

bool MappedTraceFile::Generation::Pinned() const {
  for (const PinCount& count : pins) {
    if (count.value.load() != 0) return true;
  }
  return false;
}

MappedTraceFile::Generation* MappedTraceFile::Pin(Generation* generation) {
  if (generation == nullptr) return nullptr;
  // Paired with retiring a slot (retired, then Pinned): either it sees this
  // writer, or this sees it retired.
  std::atomic<int>& count = generation->pins[PinStripe()].value;
  count.fetch_add(1);
  if (generation->retired.load()) {
    count.fetch_sub(1);
    return nullptr;
  }
  return generation;
}

void MappedTraceFile::Unpin(Generation* generation) {
  if (generation != nullptr) {
    generation->pins[PinStripe()].value.fetch_sub(1, std::memory_order_release);
  }
}

MappedTraceFile::Generation& MappedTraceFile::FreeSlot() {
  for (Generation& generation : generations_) {
    if (generation.retired.load() && generation.base == nullptr && !generation.file.is_open() &&
        !generation.Pinned()) {
      return generation;
    }
  }
  return generations_.emplace_back();
}

MappedTraceFile::Generation* MappedTraceFile::PinGeneration(uint64_t number) {
  platform::LockHolder hold(generations_lock_);
  for (Generation& generation : generations_) {
    if (generation.number == number && !generation.retired.load()) return Pin(&generation);
  }
  // Only the file of the current generation is found under the name.
  const uint64_t state = control_->state.load(std::memory_order_acquire);
  if (GenerationOf(state) != number) return nullptr;
  Generation& fresh = FreeSlot();
  fresh.number = number;
  std::string error;
  if (!fresh.file.Open(path_, &error) || fresh.file.Identity() != control_->file_identity.load()) {
    Release(fresh);
    return nullptr;
  }
  fresh.base = static_cast<char*>(fresh.file.Map(0, map_length_));
  fresh.retired.store(false);
  // Published before the older generations are unmapped, which takes a
  // while: the other writers go on meanwhile.
  current_.store(&fresh, std::memory_order_release);
  // Older generations go once nobody writes into them.
  for (Generation& old : generations_) {
    if (&old == &fresh) continue;
    old.retired.store(true);
    if (!old.Pinned()) Release(old);
  }
  return Pin(&fresh);
}

bool MappedTraceFile::WriteUnmapped(const Reservation& reservation, std::string_view record) {
  // The generation's file was renamed, or could not be mapped.
  const uint64_t state = control_->state.load(std::memory_order_acquire);
  uint64_t identity = 0;
  if (GenerationOf(state) == reservation.generation) {
    identity = control_->file_identity.load();
  } else if (GenerationOf(state) == ((reservation.generation + 1) & kGenerationMask)) {
    identity = control_->previous_identity.load();
  }
  for (const std::string& name : {path_, path_ + ".1"}) {
    if (identity == 0 || platform::IdentityOf(name) != identity) continue;
    platform::SharedFile file;
    std::string error;
    if (!file.Open(name, &error) || file.Identity() != identity) return false;
    // A record of the current file goes under the grow lock, and the
    // allocated end is raised past it, so that no zeros that grow the file
    // later land on it. An older file grows no more.
    const bool current = GenerationOf(state) == reservation.generation;
    if (!current) return file.WriteAt(reservation.offset, record.data(), record.size());
    LockWord(control_->grower);
    const uint64_t end = reservation.offset + record.size();
    const bool written = file.WriteAt(reservation.offset, record.data(), record.size());
    const uint64_t allocated = control_->allocated.load(std::memory_order_acquire);
    if (written && GenerationOf(allocated) == reservation.generation && OffsetOf(allocated) < end) {
      control_->allocated.store(Word(reservation.generation, end));
    }
    UnlockWord(control_->grower);
    return written;
  }
  return false;
}

bool MappedTraceFile::Write(std::string_view record) {
  if (fork_generation_ != platform::ForkGeneration()) AdoptAfterFork();
  Generation* generation = Pin(current_.load(std::memory_order_acquire));
  const Reservation reservation = Reserve(record.size());
  if (generation == nullptr || generation->number != reservation.generation) {
    Unpin(generation);
    generation = PinGeneration(reservation.generation);
    if (generation == nullptr) return WriteUnmapped(reservation, record);
  }
  const uint64_t end = reservation.offset + record.size();
  bool written = EnsureAllocated(*generation, end);
  if (written) {
    if (generation->base != nullptr && end <= map_length_) {
      std::memcpy(generation->base + reservation.offset, record.data(), record.size());
    } else {
      written = generation->file.WriteAt(reservation.offset, record.data(), record.size());
    }
  }
  Unpin(generation);
  return written;
}

}  // namespace virarudi
