// The system's half of ToLocalTime: the broken-down local time of a
// calendar reading, which clock.cc beside this turns into the library's terms.
#ifndef DEVAVU_PLATFORM_LOCAL_PARTS_H_
#define DEVAVU_PLATFORM_LOCAL_PARTS_H_

#include <ctime>

namespace libdevavu::platform {

std::tm LocalParts(std::time_t seconds);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_LOCAL_PARTS_H_
