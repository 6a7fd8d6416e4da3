// Start and stop of the timer service, called by the library's lifecycle.
#ifndef DEVAVU_TIMER_TIMER_SERVICE_H_
#define DEVAVU_TIMER_TIMER_SERVICE_H_

namespace libdevavu::timer {

// Called by devavu_init2 holding lib_lock: 0, or -1 after the failure has
// been logged through the library's own anchor.
int StartTimerService();

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_SERVICE_H_
