// The timer thread: it sleeps until a timer is due or a new one arrives,
// calls the due timers' callbacks and re-arms or frees them.
#ifndef DEVAVU_TIMER_TIMER_THREAD_H_
#define DEVAVU_TIMER_TIMER_THREAD_H_

#include <atomic>

#include "platform/platform.h"

namespace libdevavu::timer {

struct TimerThreadControl {
  platform::Thread thread;
  // Set by shutdown: the thread ends at its next wake-up or when the running
  // callback returns, without touching the library's state again.
  std::atomic<bool> stop{false};
  // Set when shutdown ran on the timer thread itself (from a callback): the
  // thread then releases this block as it ends, since nobody joins it.
  std::atomic<bool> orphaned{false};
};

// The thread routine; arg is its TimerThreadControl.
void TimerThrd(void* arg);

// One wake-up: takes lib_lock, reads the clock once, calls every due timer
// and arms the wake-up for the first one not due. Once devavu_term has begun
// (control's stop, when control is not null, or the library marked
// unusable) it starts no further callback and gives false: the thread must
// end at once.
bool ScanTimers(TimerThreadControl* control);

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_THREAD_H_
