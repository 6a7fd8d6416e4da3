// The timer clock: milliseconds modulo 2^32, calendar seconds x 1000 plus
// the millisecond part. It wraps and is not monotonic (it follows changes of
// the system time), so every comparison of two readings is modulo 2^32.
#ifndef DEVAVU_TIMER_TIMER_CLOCK_H_
#define DEVAVU_TIMER_TIMER_CLOCK_H_

#include <cstdint>

namespace libdevavu::timer {

uint32_t TimerClockFrom(int64_t seconds, uint32_t millis);

// One reading, through the clock source.
uint32_t ReadTimerClock();

// Where readings come from. Tests replace it to drive the timer service
// without sleeping; nothing else does.
struct ClockSource {
  using Fn = uint32_t();
  Fn* read;
};
ClockSource& Clock();

// True when expiry a is not earlier than expiry b: a - b modulo 2^32 lies in
// the half circle ahead of b.
inline bool NotEarlier(uint32_t a, uint32_t b) { return a - b <= 0x7FFFFFFFu; }

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_CLOCK_H_
