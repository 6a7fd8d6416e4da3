// The system's text for an error code, for messages to the user.
#ifndef DEVAVU_PLATFORM_WIN32_SYSTEM_ERROR_H_
#define DEVAVU_PLATFORM_WIN32_SYSTEM_ERROR_H_

#include <cstdint>
#include <string>

namespace libdevavu::platform {

// "The system cannot find the file specified." for 2; the number itself when
// the system has no text for it.
std::string SystemErrorText(uint32_t code);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_WIN32_SYSTEM_ERROR_H_
