// The configuration reader's own requests to the trace library, as the
// component "ORVESVC": an attach and a detach around each read from the
// configuration API, and an error record for each failed request. They go
// straight to the trace library's entry point; where there is none (the
// trace library is not installed), nothing is sent and the errors go
// nowhere, but the configuration is read all the same.
#ifndef DEVAVU_CONFIG_CONFIG_API_LOG_H_
#define DEVAVU_CONFIG_CONFIG_API_LOG_H_

#include <cstdint>

#include "devavu.h"

namespace libdevavu::config {

struct CfgApiErrorCase {
  uint32_t site;  // added to the error identifier base
  uint32_t msg_no;
  const char* msg_id;
};

inline constexpr CfgApiErrorCase kOpenFailed{0x22101, 4, "QRX0004E"};
inline constexpr CfgApiErrorCase kEntriesFailed{0x22102, 3, "QRX0003E"};
inline constexpr CfgApiErrorCase kCloseFailed{0x22103, 3, "QRX0003E"};

// The error identifier base from the attach's answer (0 when there was
// none: a failed attach is not detected).
uint32_t AttachConfigReader(LogFacilitiesEntry log);
void DetachConfigReader(LogFacilitiesEntry log);

// One error record; its text, formatted from format and the inserts, is cut
// to 255 characters.
void LogCfgApiError(LogFacilitiesEntry log, uint32_t error_id_base, const CfgApiErrorCase& error,
                    const char* format, ...) DVU_PRINTF(4, 5);

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_CONFIG_API_LOG_H_
