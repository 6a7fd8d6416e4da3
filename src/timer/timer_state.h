// The state of the timer service. The list and the fields beside it are
// touched only with lib_lock held; `thread` by start-up and shutdown.
#ifndef DEVAVU_TIMER_TIMER_STATE_H_
#define DEVAVU_TIMER_TIMER_STATE_H_

#include <cstdint>

#include "orvesvc.h"
#include "platform/platform.h"
#include "timer/timer_list.h"

namespace libdevavu::timer {

struct TimerThreadControl;

inline constexpr uint32_t kNoTimeout = 0xFFFFFFFFu;

struct TimerState {
  TimerList list{};
  uint8_t timerserv_timer_handle[8] = {};
  uint32_t next_timer_wakeup_time = 0;
  uint16_t thread_in_callback = 0;
  uint32_t callback_scan_time = 0;
  TimerThreadControl* thread = nullptr;  // null while no timer thread runs

  // The timer thread's signal block: its wake-up event (an
  // AutoResetEvent, see timer_sem()) and how long its next wait lasts.
  OrvTimerSignals qxtimer_sems{};
  int32_t time_signal_rc = 0;
  platform::AutoResetEvent* timer_sem() const {
    return static_cast<platform::AutoResetEvent*>(qxtimer_sems.event);
  }
};

TimerState& Timers();

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_STATE_H_
