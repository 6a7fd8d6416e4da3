// The four sections of a configuration and the fields of CFNFileEntries that
// receive their lists, in the order both stores fill them.
#ifndef DEVAVU_CONFIG_SECTIONS_H_
#define DEVAVU_CONFIG_SECTIONS_H_

#include "devavu.h"

namespace libdevavu::config {

struct Section {
  const char* name;  // with its brackets, as the registry names the key
  CFNEntry* CFNFileEntries::*list;
};

inline constexpr Section kSections[] = {
    {"[CMMUSER]", &CFNFileEntries::cmmuser},
    {"[PROVIDER]", &CFNFileEntries::provider},
    {"[CMMUSERGW]", &CFNFileEntries::cmmusergw},
    {"[SERVICES]", &CFNFileEntries::services},
};

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_SECTIONS_H_
