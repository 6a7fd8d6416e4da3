// ProcessCFNFileEntries: the configuration entries, from the store that the
// configuration value QRXRUN selects afresh on every call.
#include <cstring>

#include "config/config_api_entries.h"
#include "config/registry_entries.h"
#include "config/trace_link.h"
#include "devavu.h"
#include "frame/common_services.h"

extern "C" DEVAVU_API int32_t ProcessCFNFileEntries(CFNFileEntries* entries) {
  if (entries == nullptr) return DV_UNUSABLE;
  const char* run = win32_getcfg("QRXRUN");
  if (run != nullptr && std::strcmp(run, "TRUE") == 0) {
    return libdevavu::config::ReadCFNRegistryEntries(entries);
  }
  return libdevavu::config::ReadConfigApiEntries(
      entries, libdevavu::config::ConfigTraceLink().Entry());
}
