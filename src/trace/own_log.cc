#include "trace/own_log.h"

#include <cstring>

#include "devavu.h"
#include "frame/library_state.h"

namespace libdevavu::trace {

namespace {
uint32_t OwnErrorCode(uint32_t msg_no, const char* msg_id) {
  return std::strcmp(msg_id, "QRX0012E") == 0 ? 0x90002u : 0x10000u + msg_no;
}
}  // namespace

void LogOwnError(uint32_t site, uint32_t msg_no, const char* msg_id, const char* data) {
  TraceAnchor& own = frame::State().own_anchor;
  QXLogErrMsg(&own, own.error_id_base + site, nullptr, 0, msg_no, OwnErrorCode(msg_no, msg_id),
              0, data, msg_id, 0, nullptr);
}

}  // namespace libdevavu::trace
