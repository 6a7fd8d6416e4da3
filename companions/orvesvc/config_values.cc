// Configuration values come from the process environment here.
#include <cstdlib>

#include "orvesvc.h"

extern "C" {

ORVESVC_API char* win32_getcfg(const char* name) {
  return name != nullptr ? std::getenv(name) : nullptr;
}

ORVESVC_API int32_t GetActiveConfig(char** name) {
  if (name != nullptr) *name = std::getenv("QRXCONFIG");
  return 0;
}

}  // extern "C"
