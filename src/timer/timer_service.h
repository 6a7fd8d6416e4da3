// Start and stop of the timer service, called by the library's lifecycle.
#ifndef DEVAVU_TIMER_TIMER_SERVICE_H_
#define DEVAVU_TIMER_TIMER_SERVICE_H_

namespace libdevavu::timer {

// Called by devavu_init: makes the timer thread's wake-up event. Failure is
// recorded in time_signal_rc (-1) for devavu_init2 to report.
void CreateWakeupEvent();

// Called by devavu_init2 holding lib_lock: empties the list and starts the
// timer thread, unless one runs already. 0, or -1 after the failure has been
// logged through the library's own anchor.
int StartTimerService();

// Called by devavu_term before lib_lock goes: ends the timer thread (waits
// for it unless called from one of its callbacks), frees every queued timer
// and closes the wake-up event.
void StopTimerService();

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_SERVICE_H_
