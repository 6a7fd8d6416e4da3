// The process-wide state that every part of the library shares.
#ifndef DEVAVU_FRAME_LIBRARY_STATE_H_
#define DEVAVU_FRAME_LIBRARY_STATE_H_

#include <atomic>
#include <cstdint>
#include <optional>

#include "devavu.h"
#include "orvesvc.h"
#include "platform/platform.h"

namespace libdevavu::frame {

struct MsgComponent;
struct MsgBuffer;

inline constexpr int kMsgSlots = 20;
inline constexpr uint32_t kNoTimeout = 0xFFFFFFFFu;

// Values of own_attach_state.
enum OwnAttachState : uint8_t { kOwnNotTried = 0, kOwnAttached = 1, kOwnFailed = 2 };

struct LibraryState {
  LibraryState();

  // The flags are read without a lock from any thread.
  std::atomic<uint16_t> lib_unusable{0};
  std::atomic<uint16_t> init_pending{1};
  std::atomic<uint16_t> log_suppressed{0};
  std::atomic<uint16_t> init2_mode{0};

  std::optional<platform::RecursiveLock> lib_lock;
  std::optional<platform::RecursiveLock> msg_lock;

  // The message catalogue's three tables of kMsgSlots pointers.
  MsgComponent** msg_components = nullptr;
  MsgBuffer** msg_pool_head = nullptr;
  MsgBuffer** msg_pool_tail = nullptr;

  // The timer thread's signal block: its wake-up event (an
  // AutoResetEvent, see timer_sem()) and how long its next wait lasts.
  OrvTimerSignals qxtimer_sems{};
  int32_t time_signal_rc = 0;
  platform::AutoResetEvent* timer_sem() const {
    return static_cast<platform::AutoResetEvent*>(qxtimer_sems.event);
  }

  TraceAnchor own_anchor{};
  TraceEntry own_trace_entry{};
  std::atomic<uint8_t> own_attach_state{kOwnNotTried};

  // Where the library formats its own trace and error texts, under lib_lock.
  char trace_text_buffer[256] = {};
};

LibraryState& State();

// True when bit 0x40 of the flags byte that the anchor points at is set.
inline bool TraceOn(const TraceAnchor& anchor) {
  return (*anchor.trace_flags & QX_TRACE_ON) != 0;
}

}  // namespace libdevavu::frame

#endif  // DEVAVU_FRAME_LIBRARY_STATE_H_
