// A trace file that the processes tracing into it share through a memory
// mapping: a record is reserved by one atomic step in a control block that
// all of them map (the file <name>.ctl), then copied into the mapped file.
// A copied record is in the file even if its process is killed right after,
// and no two records overlap. When a record would make the file longer than
// its limit, one process renames it to <name>.1 and starts a new one; the
// others see the new generation in the control block and follow.
//
// The file grows ahead of its text in zero-filled steps; the text ends at
// the first of the trailing zero bytes. The last process to close the file
// cuts it to its text; after a crash the next first user does.
#ifndef VIRARUDI_MAPPED_TRACE_FILE_H_
#define VIRARUDI_MAPPED_TRACE_FILE_H_

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/trace_file.h"
#include "platform/worker.h"

namespace virarudi {

class MappedTraceFile {
 public:
  // limit is below 2^40 (offsets carry 40 bits). Null with the reason in
  // *error when path is no regular file or it or its control file cannot be
  // opened and mapped, or the control file belongs to another version of
  // this library; *shared then tells whether other processes may write path
  // through their mappings (it is a regular file with a control file).
  static std::unique_ptr<MappedTraceFile> Open(const std::string& path, uint64_t limit,
                                               std::string* error, bool* shared);
  ~MappedTraceFile();
  MappedTraceFile(const MappedTraceFile&) = delete;
  MappedTraceFile& operator=(const MappedTraceFile&) = delete;

  // Adds the record whole; false when the system refused (disk full, the
  // file removed under a rotation that could not be followed).
  bool Write(std::string_view record);

  struct Control;

 private:
  // Writers count themselves on one of several counters, each on a cache
  // line of its own, so that threads on different cores do not pass one
  // line back and forth for every record.
  static constexpr int kPinStripes = 16;
  struct alignas(64) PinCount {
    std::atomic<int> value{0};
  };
  // One file of the sequence <name>, renamed to <name>.1 at its end. Its
  // slot is used again for a later file once nobody pins it; slots are
  // freed only with the whole object, as a writer may still hold one that
  // it read before the slot was retired.
  struct Generation {
    uint64_t number = 0;
    libdevavu::platform::SharedFile file;
    char* base = nullptr;
    std::array<PinCount, kPinStripes> pins;
    std::atomic<bool> retired{true};
    bool Pinned() const;
  };
  struct Reservation {
    uint64_t generation;
    uint64_t offset;
  };
  // What a rotation leaves behind: the replaced <name>.1 to close (the
  // system frees its pages and blocks then), the old file to cut to its
  // text, the old mappings to drop. Each takes milliseconds, so the
  // preparing thread does them and the rotating writer goes on. (A thread
  // of their own would make three busy threads with one writer on two
  // processors: the writer would wait for one.)
  struct Leftovers {
    static constexpr uint64_t kNoCut = ~uint64_t{0};
    std::vector<std::pair<libdevavu::platform::SharedFile, uint64_t>> files;
    std::vector<char*> mappings;
  };

  MappedTraceFile(std::string path, uint64_t limit);
  // *regular: path could be opened as a regular file.
  bool SetUp(std::string* error, bool* regular);
  bool SetUpAsFirstUser(std::string* error);
  Reservation Reserve(uint64_t length);
  void WaitForRotation(uint64_t state);
  void Rotate(uint64_t generation, uint64_t end);
  bool EnsureAllocated(Generation& generation, uint64_t end);
  // Grows the generation's file with zeros to target (at least end), or
  // makes sure it holds end when it was rotated meanwhile. Where the growth
  // began (target when none was needed); null when the system refused.
  std::optional<uint64_t> Extend(Generation& generation, uint64_t end, uint64_t target);
  // Wakes the preparing thread unless it has been asked already.
  void AskPreparer();
  // Leaves a file or a mapping (null: none) to the preparing thread.
  void Leave(libdevavu::platform::SharedFile file, uint64_t cut, char* mapping);
  // Closes, cuts and unmaps what was left; without a preparing thread the
  // writer that left it does.
  void DropLeftovers();
  void StartPreparer();
  // The work of the thread that grows the file and prepares its pages ahead
  // of the writers, then drops what rotations left: the page work leaves
  // the threads that trace.
  static void Prepare(void* self);
  // Grows the current file up to the lead ahead of the writers.
  void GrowAhead();
  // The pin counter of the calling thread.
  static int PinStripe();
  // A pinned generation keeps its mapping until it is unpinned; null when
  // it is retired (a newer file took its place in this process).
  static Generation* Pin(Generation* generation);
  static void Unpin(Generation* generation);
  Generation* PinGeneration(uint64_t number);
  // A retired slot that nobody pins, or a new one.
  Generation& FreeSlot();
  // Leaves the generation's file and mapping to be dropped; the slot is
  // free at once.
  void Release(Generation& generation);
  void AdoptAfterFork();
  bool WriteUnmapped(const Reservation& reservation, std::string_view record);

  const std::string path_;
  const uint64_t limit_;
  const size_t map_length_;
  const uint64_t growth_step_;
  std::atomic<uint32_t> fork_generation_;
  libdevavu::platform::SharedFile control_file_;
  Control* control_ = nullptr;

  // Also guards leftovers_.
  libdevavu::platform::RecursiveLock generations_lock_;
  std::deque<Generation> generations_;
  std::atomic<Generation*> current_{nullptr};
  Leftovers leftovers_;

  std::atomic<bool> prepare_asked_{false};
  libdevavu::platform::Worker preparer_;
  std::atomic<bool> preparing_{false};
};

}  // namespace virarudi

#endif  // VIRARUDI_MAPPED_TRACE_FILE_H_
