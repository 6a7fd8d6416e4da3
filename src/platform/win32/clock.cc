#include <windows.h>

#include <ctime>

#include "platform/local_parts.h"
#include "platform/platform.h"

namespace libdevavu::platform {

uint32_t TickCount() { return GetTickCount(); }

// The timer clock's two halves as the product has always taken them: the
// calendar seconds from time() and the milliseconds from the tick counter.
// The two counters are independent, so the clock may jump within a second.
CalendarTime CalendarNow() {
  return CalendarTime{static_cast<int64_t>(std::time(nullptr)), GetTickCount() % 1000u};
}

std::tm LocalParts(std::time_t seconds) {
  std::tm parts{};
  localtime_s(&parts, &seconds);
  return parts;
}

uint64_t CurrentThreadId() { return GetCurrentThreadId(); }

}  // namespace libdevavu::platform
