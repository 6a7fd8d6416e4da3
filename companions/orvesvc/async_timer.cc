// StartAsyncTimer: the waiting thread's next wait gets a time-out.
#include <atomic>
#include <cstring>

#include "orvesvc.h"

namespace {
std::atomic<uint64_t> armed_count{0};
}  // namespace

extern "C" ORVESVC_API int32_t StartAsyncTimer(uint32_t delay_ms, OrvTimerSignals* signals,
                                               uint8_t handle[8]) {
  if (signals == nullptr) return ORV_BAD_ARGUMENT;
  // A shorter delay than one armed before wins: the wait must end by the
  // earliest wake-up asked for.
  if (delay_ms < signals->wait_timeout) signals->wait_timeout = delay_ms;
  if (handle != nullptr) {
    const uint64_t id = armed_count.fetch_add(1) + 1;
    std::memcpy(handle, &id, sizeof id);
  }
  return 0;
}
