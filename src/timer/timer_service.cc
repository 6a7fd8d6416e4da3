#include "timer/timer_service.h"

#include <cstdio>

#include "frame/library_state.h"
#include "trace/own_log.h"

namespace libdevavu::timer {

namespace {
constexpr uint32_t kSiteNoWakeupEvent = 0x21101;
}  // namespace

int StartTimerService() {
  auto& state = frame::State();
  if (state.time_signal_rc != 0) {
    std::snprintf(state.trace_text_buffer, sizeof state.trace_text_buffer,
                  "%d = TimeSignalCreate(qxtimer_sem)", static_cast<int>(state.time_signal_rc));
    trace::LogOwnError(kSiteNoWakeupEvent, 2, "QRX0002E", state.trace_text_buffer);
    return -1;
  }
  return 0;
}

}  // namespace libdevavu::timer
