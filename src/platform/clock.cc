// The clock's parts that are the same on every system.
#include "platform/local_parts.h"
#include "platform/platform.h"

namespace libdevavu::platform {

LocalTime ToLocalTime(int64_t seconds) {
  const std::tm parts = LocalParts(static_cast<std::time_t>(seconds));
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace libdevavu::platform
