// devavu_init, devavu_init2, devavu_term and devavu: the start, the end and
// the library-wide state in between.
#include <cstring>
#include <new>

#include "devavu.h"
#include "frame/heap.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "timer/timer_service.h"

namespace {

using libdevavu::frame::LibraryState;
using libdevavu::frame::State;
using libdevavu::platform::AutoResetEvent;

constexpr char kOwnName[] = "ORVESVC";

// The wake-up event lives in a heap block; no block or no event leaves
// time_signal_rc at -1 for devavu_init2 to report.
void CreateTimerEvent(LibraryState& state) {
  void* block = libdevavu::frame::HeapAlloc(sizeof(AutoResetEvent));
  AutoResetEvent* event = block != nullptr ? new (block) AutoResetEvent : nullptr;
  if (event == nullptr || !event->ok()) {
    if (event != nullptr) event->~AutoResetEvent();
    libdevavu::frame::HeapFree(block);
    state.timer_sem = nullptr;
    state.time_signal_rc = -1;
    return;
  }
  state.timer_sem = event;
  state.wait_timeout = libdevavu::frame::kNoTimeout;
  state.time_signal_rc = 0;
  event->Reset();
}

void DestroyTimerEvent(LibraryState& state) {
  if (state.timer_sem == nullptr) return;
  state.timer_sem->~AutoResetEvent();
  libdevavu::frame::HeapFree(state.timer_sem);
  state.timer_sem = nullptr;
}

template <typename T>
bool AllocateTable(T**& table) {
  constexpr size_t kBytes = libdevavu::frame::kMsgSlots * sizeof(T*);
  table = static_cast<T**>(libdevavu::frame::HeapAlloc(kBytes));
  if (table == nullptr) return false;
  std::memset(table, 0, kBytes);
  return true;
}

}  // namespace

extern "C" {

DEVAVU_API int16_t devavu_init(void) {
  LibraryState& state = State();
  if (state.init_pending.load() == 0) return DV_OK;
  state.init_pending = 0;

  CreateTimerEvent(state);
  state.lib_lock.emplace();
  state.msg_lock.emplace();

  state.msg_components = nullptr;
  state.msg_pool_head = nullptr;
  state.msg_pool_tail = nullptr;
  if (!AllocateTable(state.msg_components) || !AllocateTable(state.msg_pool_head) ||
      !AllocateTable(state.msg_pool_tail)) {
    state.lib_unusable = 1;
    return DV_START_FAILED;
  }
  if (libdevavu::messages::InitMsgCatalogue() != 0) {
    state.lib_unusable = 1;
    return DV_START_FAILED;
  }
  state.lib_unusable = 0;
  return DV_OK;
}

DEVAVU_API int16_t devavu_init2(uint16_t mode) {
  LibraryState& state = State();
  // Without a lock the library was never started or has been terminated.
  if (!state.lib_lock) return DV_UNUSABLE;
  libdevavu::platform::LockHolder hold(*state.lib_lock);
  if (state.lib_unusable.load() != 0) return DV_UNUSABLE;
  state.init2_mode = mode;
  TraceAnchor& own = state.own_anchor;
  if (libdevavu::frame::TraceOn(own)) {
    QXLogTrace(&own, own.func_call_label, "devavu_init2", nullptr, 0);
  }
  if (libdevavu::timer::StartTimerService() != 0) {
    state.lib_unusable = 1;
    return DV_UNUSABLE;
  }
  return DV_OK;
}

DEVAVU_API void devavu_term(void) {
  LibraryState& state = State();
  state.lib_unusable = 1;
  state.init_pending = 1;

  UnGetTraceErrLogAddressability(kOwnName, &state.own_trace_entry, &state.own_anchor);
  state.own_attach_state = libdevavu::frame::kOwnNotTried;

  libdevavu::messages::FreeMsgCatalogue();

  DestroyTimerEvent(state);
  state.lib_lock.reset();
}

DEVAVU_API int16_t devavu(uint16_t request, uint8_t* out) {
  LibraryState& state = State();
  if (!state.lib_lock) return DV_UNUSABLE;
  libdevavu::platform::LockHolder hold(*state.lib_lock);
  if (state.lib_unusable.load() != 0) return DV_UNUSABLE;
  switch (request) {
    case 0:
      if (out != nullptr) {
        const uint8_t version[4] = {1, 0, 0, 0};
        std::memcpy(out, version, sizeof version);
      }
      return DV_OK;
    case 255:
      // Accepted; the library's "test" text has five bytes and the caller's
      // buffer is only known to hold four, so nothing is written.
      return DV_OK;
    default:
      return DV_UNKNOWN_REQUEST;
  }
}

}  // extern "C"
