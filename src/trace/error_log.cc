// QXLogErrMsg and QXSuppressMsgLogging: error records and their trace copies.
#include <cstdio>
#include <cstring>

#include "devavu.h"
#include "frame/library_state.h"
#include "trace/text_format.h"

namespace {

constexpr uint16_t kMaxExtras = 2;
constexpr uint16_t kLogOptionInit2 = 2;

// The trace copy's data: the area with its length, or a terminated text
// when the length is 0.
uint16_t TraceCopyLength(uint16_t data_length, const void* data) {
  if (data_length != 0 || data == nullptr) return data_length;
  const size_t n = std::strlen(static_cast<const char*>(data));
  return n > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(n);
}

}  // namespace

extern "C" {

DEVAVU_API int32_t QXLogErrMsg(TraceAnchor* anchor, uint32_t error_id, const void* object,
                               uint8_t flags, uint32_t msg_no, uint32_t code,
                               uint16_t data_length, const void* data, const char* msg_id,
                               uint16_t extra_count, const DvWord* extras) {
  if (anchor == nullptr) return -1;
  auto& state = libdevavu::frame::State();

  LogRequest request{};
  LogErrorRequest& err = request.error;
  err.component_name = anchor->component_name;
  err.error_id = error_id;
  err.object = reinterpret_cast<DvWord>(object);
  err.log_option =
      ((flags & 1) != 0 && state.init2_mode.load(std::memory_order_relaxed) != 0)
          ? kLogOptionInit2
          : 0;
  err.msg_no = msg_no;
  err.code = code;
  err.data_length = data_length;
  err.data = data;
  err.msg_id = msg_id;
  const uint16_t extra_words = extras == nullptr ? 0
                               : extra_count < kMaxExtras ? extra_count
                                                          : kMaxExtras;
  for (uint16_t i = 0; i < extra_words; ++i) err.extra[i] = extras[i];

  int32_t answer = 0;
  if (anchor->log_entry != nullptr &&
      state.log_suppressed.load(std::memory_order_relaxed) == 0) {
    answer = anchor->log_entry(LOGREQ_ERROR, &request);
  }

  if (anchor->trace_flags != nullptr &&
      (*anchor->trace_flags & (QX_TRACE_ON | QX_TRACE_ERRORS)) != 0) {
    char address[libdevavu::trace::kAddressTextMax];
    libdevavu::trace::FormatAddress(object, address);
    char text[80];
    std::snprintf(text, sizeof text, "%s %08lX %08lX %08lX", address,
                  static_cast<unsigned long>(error_id), static_cast<unsigned long>(msg_no),
                  static_cast<unsigned long>(code));
    QXLogTrace(anchor, anchor->error_label, text, data, TraceCopyLength(data_length, data));
  }
  return answer != 0 ? -1 : 0;
}

DEVAVU_API void QXSuppressMsgLogging(void) {
  libdevavu::frame::State().log_suppressed.store(1, std::memory_order_relaxed);
}

}  // extern "C"
