// How the product's module names map to files and entry points, whatever
// the system: kept apart so it can be tested without loading anything.
#ifndef DEVAVU_FORMATS_MODULE_NAMES_H_
#define DEVAVU_FORMATS_MODULE_NAMES_H_

#include <string>
#include <string_view>

namespace libdevavu::formats {

// "VIRARUDI" -> "virarudi", "qrxmsg.dll" -> "qrxmsg": lower case, without a
// .dll suffix (in any case); a name that is nothing but the suffix keeps it.
std::string ModuleBaseName(std::string_view product_name);

// "_LOGFACILITIESEP@8" -> "LOGFACILITIESEP"; a name without a stdcall
// decoration comes back unchanged.
std::string UndecoratedEntryName(std::string_view name);

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_MODULE_NAMES_H_
