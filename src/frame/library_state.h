// The state of the library's lifecycle, which every part shares: the flags
// and the two locks. Each subsystem keeps its own state beside its code.
#ifndef DEVAVU_FRAME_LIBRARY_STATE_H_
#define DEVAVU_FRAME_LIBRARY_STATE_H_

#include <atomic>
#include <cstdint>
#include <optional>

#include "devavu.h"
#include "platform/platform.h"

namespace libdevavu::frame {

struct LibraryState {
  // The flags are read without a lock from any thread.
  std::atomic<uint16_t> lib_unusable{0};
  std::atomic<uint16_t> init_pending{1};
  std::atomic<uint16_t> log_suppressed{0};
  std::atomic<uint16_t> init2_mode{0};

  std::optional<platform::RecursiveLock> lib_lock;
  std::optional<platform::RecursiveLock> msg_lock;
};

LibraryState& State();

// True when bit 0x40 of the flags byte that the anchor points at is set.
inline bool TraceOn(const TraceAnchor& anchor) {
  return (*anchor.trace_flags & QX_TRACE_ON) != 0;
}

}  // namespace libdevavu::frame

#endif  // DEVAVU_FRAME_LIBRARY_STATE_H_
