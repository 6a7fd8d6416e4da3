// QXTIMER: adding and removing timers.
#include <cstring>

#include "devavu.h"
#include "frame/common_services.h"
#include "frame/library_state.h"
#include "timer/timer_clock.h"
#include "timer/timer_list.h"
#include "timer/timer_state.h"
#include "trace/own_log.h"
#include "trace/text_format.h"

namespace libdevavu::timer {

namespace {

using trace::Address;
using trace::OwnText;
using trace::OwnTraceOn;
using trace::TraceOwn;

constexpr uint32_t kMaxInterval = 65535000;
constexpr uint32_t kMinInterval = 100;
constexpr uint16_t kMaxRetries = 5;
constexpr uint32_t kSiteNoTimerCB = 0x21301;
constexpr uint32_t kSiteNoDllName = 0x21302;
constexpr uint32_t kSiteNoEntryName = 0x21303;

void TraceRequest(const char* text, const TimerRequest* request) {
  TraceOwn(&TraceAnchor::func_call_label, text, request,
           request != nullptr ? sizeof *request : 0);
}

void LogNoMemory(uint32_t site, size_t size) {
  trace::LogOwnError(site, 2, "QRX0002E", OwnText("MEMGET(%d)", static_cast<int>(size)));
}

int32_t TimerAdd(const TimerRequest* request) {
  if (OwnTraceOn()) TraceRequest(OwnText("%s(%s)", "TimerAdd", Address(request).text), request);
  if (request == nullptr || request->dll_name == nullptr || request->entry_name == nullptr) {
    return QXTIMER_INVALID;
  }
  const size_t dll_length = std::strlen(request->dll_name);
  const size_t entry_length = std::strlen(request->entry_name);
  if (dll_length == 0 || entry_length == 0 || request->interval > kMaxInterval ||
      request->retry_limit > kMaxRetries) {
    return QXTIMER_INVALID;
  }

  TimerState& timers = Timers();
  const uint32_t now =
      timers.thread_in_callback != 0 ? timers.callback_scan_time : ReadTimerClock();

  auto* cb = static_cast<TimerCB*>(MEMGET(0, sizeof(TimerCB)));
  if (cb == nullptr) {
    LogNoMemory(kSiteNoTimerCB, sizeof(TimerCB));
    return QXTIMER_UNUSABLE;
  }
  std::memset(cb, 0, sizeof *cb);
  cb->start_time = now;
  cb->interval = request->interval < kMinInterval ? kMinInterval : request->interval;
  cb->retry_limit = request->retry_limit;
  cb->corr = request->corr;

  cb->dll_name = frame::CopyToMemgetBlock(request->dll_name, dll_length);
  if (cb->dll_name == nullptr) {
    LogNoMemory(kSiteNoDllName, dll_length + 1);
    FreeTimerCB(cb);
    return QXTIMER_UNUSABLE;
  }
  cb->entry_name = frame::CopyToMemgetBlock(request->entry_name, entry_length);
  if (cb->entry_name == nullptr) {
    LogNoMemory(kSiteNoEntryName, entry_length + 1);
    FreeTimerCB(cb);
    return QXTIMER_UNUSABLE;
  }

  InsertTimerCB(cb, now);
  // During a callback the thread rescans the list when the callback returns.
  if (timers.thread_in_callback == 0) {
    if (platform::AutoResetEvent* event = Timers().timer_sem()) event->Set();
  }
  return QXTIMER_OK;
}

int32_t TimerRemove(const TimerRequest* request) {
  if (OwnTraceOn()) {
    TraceRequest(OwnText("%s(%s)", "TimerRemove", Address(request).text), request);
  }
  if (request == nullptr) return QXTIMER_NOT_FOUND;
  TimerCB* cb = Timers().list.head;
  while (cb != nullptr && cb->corr != request->corr) cb = cb->next;
  if (cb == nullptr) return QXTIMER_NOT_FOUND;
  if (cb->in_callback != 0) {
    cb->remove_pending = 1;
    return QXTIMER_RUNNING;
  }
  RemoveTimerCB(cb);
  FreeTimerCB(cb);
  return QXTIMER_OK;
}

}  // namespace

}  // namespace libdevavu::timer

extern "C" DEVAVU_API int32_t QXTIMER(int32_t req_code, const TimerRequest* request) {
  using namespace libdevavu;
  frame::LibraryState& state = frame::State();
  if (!state.lib_lock) return QXTIMER_UNUSABLE;
  platform::LockHolder hold(*state.lib_lock);
  if (state.lib_unusable.load() != 0) return QXTIMER_UNUSABLE;
  if (trace::OwnTraceOn()) {
    timer::TraceRequest(trace::OwnText("%s(req_code = %d, %s)", "QXTIMER", req_code,
                                       trace::Address(request).text),
                        request);
  }
  switch (req_code) {
    case QXTIMER_ADD:
      return timer::TimerAdd(request);
    case QXTIMER_REMOVE:
      return timer::TimerRemove(request);
    default:
      return QXTIMER_INVALID;
  }
}
