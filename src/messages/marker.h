// The marker byte in front of a handed-out text. Callers clear it without a
// lock, so it is only ever read and written whole, as an atomic byte: the
// clearing store of a caller is seen by the pool walk that reuses the buffer.
#ifndef DEVAVU_MESSAGES_MARKER_H_
#define DEVAVU_MESSAGES_MARKER_H_

#include <atomic>
#include <cstdint>

namespace libdevavu::messages {

inline constexpr uint8_t kMarkerFree = 0;
inline constexpr uint8_t kMarkerInUse = 1;
inline constexpr uint8_t kMarkerStatic = 2;

inline uint8_t LoadMarker(uint8_t* marker) {
  return std::atomic_ref<uint8_t>(*marker).load(std::memory_order_acquire);
}

inline void StoreMarker(uint8_t* marker, uint8_t value) {
  std::atomic_ref<uint8_t>(*marker).store(value, std::memory_order_release);
}

// The marker of a text handed out at text.
inline uint8_t* MarkerOf(char* text) { return reinterpret_cast<uint8_t*>(text) - 1; }

// Gives a text that getmsg handed out back to its pool; a static text (or
// none) stays as it is.
inline void ReleaseText(char* text) {
  if (text != nullptr && LoadMarker(MarkerOf(text)) == kMarkerInUse) {
    StoreMarker(MarkerOf(text), kMarkerFree);
  }
}

}  // namespace libdevavu::messages

#endif  // DEVAVU_MESSAGES_MARKER_H_
