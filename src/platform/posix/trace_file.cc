#include "platform/trace_file.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace libdevavu::platform {

namespace {

uint64_t IdentityOfStat(const struct stat& info) {
  return (static_cast<uint64_t>(info.st_dev) << 40) ^ static_cast<uint64_t>(info.st_ino);
}

std::atomic<uint32_t> fork_generation{0};

[[maybe_unused]] const int kCountForks =
    pthread_atfork(nullptr, nullptr, [] { fork_generation.fetch_add(1, std::memory_order_relaxed); });

}  // namespace

SharedFile::~SharedFile() { Close(); }

bool SharedFile::Open(const std::string& path, std::string* error) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *error = "not a regular file";
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void SharedFile::Close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

uint64_t SharedFile::Size() const {
  struct stat info;
  return ::fstat(handle_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool SharedFile::Grow(uint64_t from, uint64_t to) {
  // Only the new part: the system would otherwise look up every block of
  // the file again at each step it grows by.
  int result;
  do {
    result = ::posix_fallocate(handle_, static_cast<off_t>(from), static_cast<off_t>(to - from));
  } while (result == EINTR);
  // A file system without allocation still takes a plain size change; a
  // mapped write may then fail only when the disk is full.
  if (result == EOPNOTSUPP || result == EINVAL) {
    return Size() >= to || ::ftruncate(handle_, static_cast<off_t>(to)) == 0;
  }
  return result == 0;
}

bool SharedFile::Truncate(uint64_t size) {
  return ::ftruncate(handle_, static_cast<off_t>(size)) == 0;
}

bool SharedFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(handle_, bytes, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
}

uint64_t SharedFile::Identity() const {
  struct stat info;
  return ::fstat(handle_, &info) == 0 ? IdentityOfStat(info) : 0;
}

void* SharedFile::Map(uint64_t offset, size_t length) {
  void* address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, handle_,
                         static_cast<off_t>(offset));
  return address == MAP_FAILED ? nullptr : address;
}

void SharedFile::Unmap(void* address, size_t length) { ::munmap(address, length); }

void SharedFile::PrepareForWriting(void* address, size_t length) {
#ifdef MADV_POPULATE_WRITE
  ::madvise(address, length, MADV_POPULATE_WRITE);
#else
  (void)address;
  (void)length;
#endif
}

size_t SharedFile::MapGranularity() { return static_cast<size_t>(::sysconf(_SC_PAGESIZE)); }

bool SharedFile::TryLockExclusive() { return ::flock(handle_, LOCK_EX | LOCK_NB) == 0; }

bool SharedFile::LockShared() {
  int result;
  do {
    result = ::flock(handle_, LOCK_SH);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

void SharedFile::Unlock() { ::flock(handle_, LOCK_UN); }

bool RenameReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

uint64_t IdentityOf(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? IdentityOfStat(info) : 0;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

uint32_t ForkGeneration() { return fork_generation.load(std::memory_order_relaxed); }

bool ProcessMayExist(uint32_t process_id) {
  return ::kill(static_cast<pid_t>(process_id), 0) == 0 || errno != ESRCH;
}

void YieldProcessor() { ::sched_yield(); }

void SleepBriefly() {
  const timespec moment{0, 50 * 1000};
  ::nanosleep(&moment, nullptr);
}

}  // namespace libdevavu::platform
