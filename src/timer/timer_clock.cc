#include "timer/timer_clock.h"

#include "platform/platform.h"

namespace libdevavu::timer {

namespace {
// Both halves from one reading of the calendar clock.
uint32_t ReadCalendarClock() {
  const platform::CalendarTime now = platform::CalendarNow();
  return TimerClockFrom(now.seconds, now.millis);
}
}  // namespace

uint32_t TimerClockFrom(int64_t seconds, uint32_t millis) {
  return static_cast<uint32_t>(static_cast<uint64_t>(seconds) * 1000u + millis % 1000u);
}

ClockSource& Clock() {
  static ClockSource source{&ReadCalendarClock};
  return source;
}

uint32_t ReadTimerClock() { return Clock().read(); }

}  // namespace libdevavu::timer
