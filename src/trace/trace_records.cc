// QXLogTrace and SetTraceHdrs: one trace record through an anchor.
#include "devavu.h"
#include "frame/library_state.h"

namespace {

constexpr char kSendLabel[] = "<==SEND=====";
constexpr char kRecvLabel[] = "===RECV====>";
constexpr char kFuncCallLabel[] = "FUNC CALL";
constexpr char kFuncRetLabel[] = "FUNC RET";
constexpr char kThreadStartLabel[] = "THRD START";
constexpr char kProvCallLabel[] = "PROV CALL   ";
constexpr char kProvRetLabel[] = "PROV RET    ";
constexpr char kRecvDgLabel[] = "===RECV=DG=>";
constexpr char kSendDgLabel[] = "<==SEND=DG==";
constexpr char kErrorLabel[] = "***ERROR***";
constexpr char kDebugInfoLabel[] = "DEBUG INFO ";

}  // namespace

extern "C" {

DEVAVU_API void QXLogTrace(TraceAnchor* anchor, const char* label, const char* text,
                           const void* data, uint16_t length) {
  if (libdevavu::frame::State().lib_unusable.load(std::memory_order_relaxed) != 0) return;
  if (anchor == nullptr || anchor->log_entry == nullptr) return;
  // Only the member that the trace library reads is set: zeroing the whole
  // union cost a tenth of an enabled record.
  LogRequest request;
  request.trace = LogTraceRequest{label, anchor->component_name, text, data, length};
  anchor->log_entry(LOGREQ_TRACE, &request);
}

DEVAVU_API void SetTraceHdrs(TraceAnchor* anchor) {
  if (anchor == nullptr) return;
  anchor->send_label = kSendLabel;
  anchor->recv_label = kRecvLabel;
  anchor->func_call_label = kFuncCallLabel;
  anchor->func_ret_label = kFuncRetLabel;
  anchor->thread_start_label = kThreadStartLabel;
  anchor->prov_call_label = kProvCallLabel;
  anchor->prov_ret_label = kProvRetLabel;
  anchor->recv_dg_label = kRecvDgLabel;
  anchor->send_dg_label = kSendDgLabel;
  anchor->error_label = kErrorLabel;
  anchor->debug_info_label = kDebugInfoLabel;
}

}  // extern "C"
