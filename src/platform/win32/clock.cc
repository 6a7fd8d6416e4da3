#include <windows.h>

#include <ctime>

#include "platform/platform.h"

namespace libdevavu::platform {

uint32_t TickCount() { return GetTickCount(); }

// The timer clock's two halves as the product has always taken them: the
// calendar seconds from time() and the milliseconds from the tick counter.
// The two counters are independent, so the clock may jump within a second.
CalendarTime CalendarNow() {
  return CalendarTime{static_cast<int64_t>(std::time(nullptr)), GetTickCount() % 1000u};
}

LocalTime ToLocalTime(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm parts{};
  localtime_s(&parts, &t);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

uint64_t CurrentThreadId() { return GetCurrentThreadId(); }

}  // namespace libdevavu::platform
