// The configuration-API store: the default trace entry and the four section
// lists, read through the configuration API's open, entries and close
// requests, with each failed request logged through log (may be null).
#ifndef DEVAVU_CONFIG_CONFIG_API_ENTRIES_H_
#define DEVAVU_CONFIG_CONFIG_API_ENTRIES_H_

#include <cstdint>

#include "devavu.h"

namespace libdevavu::config {

// 0, -10, or DV_CFG_TOO_MANY_ENTRIES. Fields 1 and 2 are written as soon as
// the trace entry is made; the lists only after a successful entries request.
int32_t ReadConfigApiEntries(CFNFileEntries* entries, LogFacilitiesEntry log);

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_CONFIG_API_ENTRIES_H_
