// The parts of the control files that are the same on every system.
#include "platform/trace_control.h"

namespace libdevavu::platform {

bool IsProcessId(const char* name, uint32_t* id) {
  if (*name == '\0') return false;
  uint64_t value = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9' || value > 0xFFFFFFFFu) return false;
    value = value * 10 + static_cast<uint64_t>(*p - '0');
  }
  *id = static_cast<uint32_t>(value);
  return value != 0 && value <= 0xFFFFFFFFu;
}

}  // namespace libdevavu::platform
