#include "timer/timer_list.h"

#include "frame/common_services.h"
#include "timer/timer_clock.h"
#include "timer/timer_state.h"
#include "trace/own_log.h"
#include "trace/text_format.h"

namespace libdevavu::timer {

namespace {

using trace::Address;
using trace::OwnText;
using trace::OwnTraceOn;
using trace::TraceOwn;

void TraceHeader(const char* text) {
  TraceOwn(&TraceAnchor::debug_info_label, text, &Timers().list, sizeof(TimerList));
}

void TraceRemoveCall(TimerCB* cb) {
  if (OwnTraceOn()) {
    TraceOwn(&TraceAnchor::func_call_label,
             OwnText("%s(%s)", "RemoveTimerCB", Address(cb).text), cb, sizeof *cb);
  }
}

}  // namespace

TimerState& Timers() {
  static TimerState* const state = new TimerState;
  return *state;
}

void InsertTimerCB(TimerCB* cb, uint32_t now) {
  if (OwnTraceOn()) {
    TraceOwn(&TraceAnchor::func_call_label,
             OwnText("%s(%s, %lx)", "InsertTimerCB", Address(cb).text,
                     static_cast<unsigned long>(now)),
             cb, sizeof *cb);
  }
  TimerList& list = Timers().list;
  const uint32_t key = cb->interval + now;
  if (list.head == nullptr) {
    list.head = cb;
    list.tail = cb;
  } else if (NotEarlier(key, Expiry(*list.tail))) {
    // Timers queued in expiry order are appended without a walk.
    cb->prev = list.tail;
    list.tail->next = cb;
    list.tail = cb;
  } else {
    // The tail is later than key, so the walk stops before the end.
    TimerCB* later = list.head;
    while (NotEarlier(key, Expiry(*later))) later = later->next;
    cb->next = later;
    cb->prev = later->prev;
    later->prev = cb;
    if (cb->prev == nullptr) {
      list.head = cb;
    } else {
      cb->prev->next = cb;
    }
  }
  TraceOwn(&TraceAnchor::debug_info_label, "Timer CB inserted", cb, sizeof *cb);
  TraceHeader("Timer CB List header after insertion");
}

void RemoveTimerCB(TimerCB* cb) {
  TraceRemoveCall(cb);
  TraceHeader("Timer CB List header before removal");
  TimerList& list = Timers().list;
  TimerCB* const next = cb->next;
  TimerCB* const prev = cb->prev;
  cb->next = nullptr;
  cb->prev = nullptr;
  if (list.head == cb) list.head = next;
  if (list.tail == cb) list.tail = prev;
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  TraceRemoveCall(cb);
  TraceHeader("Timer CB List header after removal");
}

void FreeTimerCB(TimerCB* cb) {
  if (cb->dll_name != nullptr) MEMFREE(0, cb->dll_name);
  if (cb->entry_name != nullptr) MEMFREE(0, cb->entry_name);
  MEMFREE(0, cb);
}

}  // namespace libdevavu::timer
