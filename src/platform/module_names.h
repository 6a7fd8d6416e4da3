// The portable half of module loading: how product names map to files and
// entry points. Kept apart so it can be tested without loading anything.
#ifndef DEVAVU_PLATFORM_MODULE_NAMES_H_
#define DEVAVU_PLATFORM_MODULE_NAMES_H_

#include <string>
#include <string_view>

namespace libdevavu::platform {

// "_LOGFACILITIESEP@8" -> "LOGFACILITIESEP"; a name without a stdcall
// decoration comes back unchanged.
std::string UndecoratedEntryName(std::string_view name);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_MODULE_NAMES_H_
