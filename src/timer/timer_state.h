// The state of the timer service. The list and the fields beside it are
// touched only with lib_lock held; `thread` by start-up and shutdown.
#ifndef DEVAVU_TIMER_TIMER_STATE_H_
#define DEVAVU_TIMER_TIMER_STATE_H_

#include <cstdint>

#include "timer/timer_list.h"

namespace libdevavu::timer {

struct TimerThreadControl;

struct TimerState {
  TimerList list{};
  uint8_t timerserv_timer_handle[8] = {};
  uint32_t next_timer_wakeup_time = 0;
  uint16_t thread_in_callback = 0;
  uint32_t callback_scan_time = 0;
  TimerThreadControl* thread = nullptr;  // null while no timer thread runs
};

TimerState& Timers();

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_STATE_H_
