#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "platform/local_parts.h"
#include "platform/platform.h"

namespace libdevavu::platform {

uint32_t TickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                      static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

CalendarTime CalendarNow() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return CalendarTime{static_cast<int64_t>(now.tv_sec),
                      static_cast<uint32_t>(now.tv_nsec / 1000000)};
}

std::tm LocalParts(std::time_t seconds) {
  std::tm parts{};
  localtime_r(&seconds, &parts);
  return parts;
}

namespace {

// Asked of the system once per thread: the call costs more than a record.
thread_local uint64_t cached_thread_id = 0;

// A child of fork runs in the forking thread, whose cached id is the parent's.
[[maybe_unused]] const int kForgetIdInChild = pthread_atfork(nullptr, nullptr, [] { cached_thread_id = 0; });

}  // namespace

uint64_t CurrentThreadId() {
  if (cached_thread_id == 0) cached_thread_id = static_cast<uint64_t>(syscall(SYS_gettid));
  return cached_thread_id;
}

}  // namespace libdevavu::platform
