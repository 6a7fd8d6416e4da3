// devavu_init, devavu_init2, devavu_term and devavu: the start, the end and
// the library-wide state in between.
#include <cstring>

#include "devavu.h"
#include "frame/common_services.h"
#include "frame/heap.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "timer/timer_service.h"
#include "trace/own_log.h"

namespace {

using libdevavu::frame::LibraryState;
using libdevavu::frame::State;

template <typename T>
bool AllocateTable(T**& table) {
  constexpr size_t kBytes = libdevavu::messages::kMsgSlots * sizeof(T*);
  table = static_cast<T**>(libdevavu::frame::HeapAllocZeroed(kBytes));
  return table != nullptr;
}

}  // namespace

extern "C" {

DEVAVU_API int16_t devavu_init(void) {
  LibraryState& state = State();
  if (state.init_pending.load() == 0) return DV_OK;
  state.init_pending = 0;

  libdevavu::timer::CreateWakeupEvent();
  state.lib_lock.emplace();
  state.msg_lock.emplace();

  libdevavu::messages::Tables().msg_components = nullptr;
  libdevavu::messages::Tables().msg_pool_head = nullptr;
  libdevavu::messages::Tables().msg_pool_tail = nullptr;
  if (!AllocateTable(libdevavu::messages::Tables().msg_components) || !AllocateTable(libdevavu::messages::Tables().msg_pool_head) ||
      !AllocateTable(libdevavu::messages::Tables().msg_pool_tail)) {
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
  libdevavu::trace::TraceOwn(&TraceAnchor::func_call_label, "devavu_init2");
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
  // The timer thread traces through the own anchor: it ends first.
  libdevavu::timer::StopTimerService();

  libdevavu::trace::OwnTrace& own = libdevavu::trace::Own();
  UnGetTraceErrLogAddressability(libdevavu::frame::kOwnComponentName, &own.own_trace_entry,
                                 &own.own_anchor);
  own.own_attach_state = libdevavu::trace::kOwnNotTried;

  libdevavu::messages::FreeMsgCatalogue();

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
