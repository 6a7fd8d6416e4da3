#include "trace/own_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "frame/library_state.h"

namespace libdevavu::trace {

namespace {
uint32_t OwnErrorCode(uint32_t msg_no, const char* msg_id) {
  return std::strcmp(msg_id, "QRX0012E") == 0 ? 0x90002u : 0x10000u + msg_no;
}
}  // namespace

OwnTrace& Own() {
  // Never destroyed: a thread that outlives main still traces through it.
  static OwnTrace* const own = new OwnTrace;
  return *own;
}

bool OwnTraceOn() { return frame::TraceOn(Own().own_anchor); }

const char* OwnText(const char* format, ...) {
  char* buffer = Own().trace_text_buffer;
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof Own().trace_text_buffer, format, args);
  va_end(args);
  return buffer;
}

void TraceOwn(const char* TraceAnchor::*label, const char* text, const void* data,
              size_t length) {
  TraceAnchor& own = Own().own_anchor;
  if (!frame::TraceOn(own)) return;
  QXLogTrace(&own, own.*label, text, data, static_cast<uint16_t>(length));
}

void LogOwnError(uint32_t site, uint32_t msg_no, const char* msg_id, const char* data) {
  TraceAnchor& own = Own().own_anchor;
  QXLogErrMsg(&own, own.error_id_base + site, nullptr, 0, msg_no, OwnErrorCode(msg_no, msg_id),
              0, data, msg_id, 0, nullptr);
}

}  // namespace libdevavu::trace
