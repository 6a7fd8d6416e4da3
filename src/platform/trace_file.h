// Files that several processes append to through a shared memory mapping,
// as the trace library keeps them: opening, growing, mapping, a whole-file
// lock that tells the first user from the others, renaming and identity.
// Declared in the library's terms; each OS implements it (posix: mmap and
// flock, Windows: a file mapping and LockFileEx).
#ifndef DEVAVU_PLATFORM_TRACE_FILE_H_
#define DEVAVU_PLATFORM_TRACE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace libdevavu::platform {

class SharedFile {
 public:
  SharedFile() = default;
  ~SharedFile();
  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;
  SharedFile(SharedFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

  // Opens path for reading and writing, creating it (rw for the owner, read
  // for others, less what the process mask takes away). False with the
  // system's reason in *error; a path that is no regular file (a device, a
  // pipe) is refused, as it cannot be mapped.
  bool Open(const std::string& path, std::string* error);
  void Close();
  void Swap(SharedFile& other) { std::swap(handle_, other.handle_); }
  bool is_open() const { return handle_ >= 0; }

  // The file's size now; 0 when it cannot be told.
  uint64_t Size() const;
  // Makes the file at least to bytes long with the blocks from from to to
  // allocated, so that a mapped write there cannot fail for want of disk;
  // never shrinks it. from is below to.
  bool Grow(uint64_t from, uint64_t to);
  bool Truncate(uint64_t size);
  // Writes size bytes at offset, for what is not mapped.
  bool WriteAt(uint64_t offset, const void* data, size_t size);
  // Tells files apart while they are open (device and file number), also
  // after one of them has been renamed.
  uint64_t Identity() const;

  // Maps [offset, offset + length) of the file for reading and writing,
  // shared with every process that maps it: a store is in the file once it
  // is made, even if the process is killed right after. offset is a
  // multiple of MapGranularity(). Null on failure.
  void* Map(uint64_t offset, size_t length);
  static void Unmap(void* address, size_t length);
  // Makes the pages of a mapped range ready for writing in one go, so that
  // the writes after it do not stop at each page; a hint only.
  static void PrepareForWriting(void* address, size_t length);
  static size_t MapGranularity();

  // A lock on the whole file held by this open file: shared by the users of
  // a file, exclusive for the one who sets it up while nobody else uses it.
  bool TryLockExclusive();
  bool LockShared();
  void Unlock();

 private:
  int handle_ = -1;
};

// Renames from to to, replacing a file to that exists.
bool RenameReplacing(const std::string& from, const std::string& to);
// The identity SharedFile::Identity would give path now; 0 when it is absent.
uint64_t IdentityOf(const std::string& path);

uint32_t CurrentProcessId();
// A number that changes in the child of a fork, so that objects made before
// it can tell they now live in another process; cheap enough for every call.
uint32_t ForkGeneration();
// False only when the process certainly no longer exists.
bool ProcessMayExist(uint32_t process_id);
// Lets other threads run while this one waits for a short while.
void YieldProcessor();
// Sleeps a moment (about 50 microseconds where the system allows), for a
// wait that yielding did not end: a thread that was preempted while holding
// what others wait for gets the processor back.
void SleepBriefly();

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_TRACE_FILE_H_
