// QXGetCfg and QXGetEnv: one function under two export names, handing the
// common-services library's answer through unchanged.
#include "devavu.h"
#include "frame/common_services.h"

extern "C" DEVAVU_API char* QXGetCfg(const char* name) { return win32_getcfg(name); }

// An alias, not a wrapper: both names have one address.
extern "C" DEVAVU_API char* QXGetEnv(const char* name) DVU_ALIAS(QXGetCfg);
