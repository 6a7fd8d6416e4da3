// The operating-system services that devavu and its companion libraries use,
// in the library's own terms. The folder of the target system (posix/,
// win32/) implements it and is the only code that includes an OS header.
#ifndef DEVAVU_PLATFORM_PLATFORM_H_
#define DEVAVU_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace libdevavu::platform {

// A recursive lock with critical-section semantics: the owning thread may
// enter it again and must leave it as often as it entered.
class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void Enter();
  void Leave();

 private:
  alignas(16) unsigned char native_[64];
};

// Holds a RecursiveLock for one scope.
class LockHolder {
 public:
  explicit LockHolder(RecursiveLock& lock) : lock_(lock) { lock_.Enter(); }
  ~LockHolder() { lock_.Leave(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  RecursiveLock& lock_;
};

// An event that releases one waiter and then resets itself.
class AutoResetEvent {
 public:
  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
  enum class WaitResult { kSignalled, kTimedOut };

  AutoResetEvent();
  ~AutoResetEvent();
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  // False when the system could not make the event; it is then unusable.
  bool ok() const { return ok_; }
  void Set();
  void Reset();
  // Waits until the event is set or timeout_ms has passed on the monotonic
  // clock; kInfinite waits without a time-out.
  WaitResult Wait(uint32_t timeout_ms);
  // The child of a fork makes the event anew: a thread of the parent may
  // have been waiting on it, so the copy can be neither waited on nor
  // destroyed.
  void RenewAfterFork();

 private:
  bool ok_ = false;
  alignas(16) unsigned char native_[128];
};

// A thread of the library. Start returns false when no thread was made.
class Thread {
 public:
  using Body = void (*)(void* arg);
  Thread() = default;
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  bool Start(Body body, void* arg);
  // Waits for the thread to end. Not to be called from the thread itself.
  void Join();
  bool started() const { return started_; }
  bool IsCurrent() const;
  // The thread does not exist in the child of a fork: a child forgets it.
  void ForgetAfterFork() { started_ = false; }

 private:
  bool started_ = false;
  alignas(8) unsigned char native_[8];
};

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount).
uint32_t TickCount();

// One reading of the calendar clock: whole seconds since the epoch and the
// milliseconds within that second.
struct CalendarTime {
  int64_t seconds;
  uint32_t millis;
};
CalendarTime CalendarNow();

// Broken-down local time of a calendar reading, for record headers.
struct LocalTime {
  int year, month, day, hour, minute, second;
};
LocalTime ToLocalTime(int64_t seconds);

// A small number that tells the calling thread apart in records.
uint64_t CurrentThreadId();

// Module loading by product name ("VIRARUDI", "router.dll"): the name maps
// to the system's file name for a module of that base name.
struct ModuleResult {
  void* handle;       // null on failure
  std::string error;  // what the loader said, on failure
};
// Searches the directories of QRX_MODULE_PATH, then the directory of the
// library itself, then lets the system loader search.
ModuleResult LoadModule(std::string_view product_name);
// Looks the name up as given, then without stdcall decoration.
void* FindEntryPoint(void* module, const char* name);

// A file that records are appended to, each with one write.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens (creating) path for appending; false with the system's reason in
  // *error.
  bool Open(const std::string& path, std::string* error);
  // Writes to standard error instead of a file.
  void UseStandardError();
  // Writes all bytes; a record is not interleaved with other writers'.
  bool Write(const char* data, size_t size);

 private:
  intptr_t native_ = -1;  // the system's handle of the file, -1 when none
  bool owned_ = false;
};

// Writes a line to standard error in one write.
void WriteStandardError(std::string_view text);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_PLATFORM_H_
