// Tracing and error logging of the library itself, through own_anchor under
// the component name "ORVESVC".
#ifndef DEVAVU_TRACE_OWN_LOG_H_
#define DEVAVU_TRACE_OWN_LOG_H_

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "devavu.h"

namespace libdevavu::trace {

// Values of own_attach_state.
enum OwnAttachState : uint8_t { kOwnNotTried = 0, kOwnAttached = 1, kOwnFailed = 2 };

// The library's own attachment to the trace library.
struct OwnTrace {
  OwnTrace() { own_anchor.trace_flags = &own_anchor.local_flags; }  // off until attached

  TraceAnchor own_anchor{};
  TraceEntry own_trace_entry{};
  std::atomic<uint8_t> own_attach_state{kOwnNotTried};

  // Where the library formats its own trace and error texts, under lib_lock.
  char trace_text_buffer[256] = {};
};
OwnTrace& Own();

// True when the own anchor's flags byte has bit 0x40 set; tested afresh at
// every trace point.
bool OwnTraceOn();

// Formats into trace_text_buffer and returns it. The caller holds lib_lock.
const char* OwnText(const char* format, ...) DVU_PRINTF(1, 2);

// A trace record through the own anchor with one of its labels, when its
// tracing is on.
void TraceOwn(const char* TraceAnchor::*label, const char* text, const void* data = nullptr,
              size_t length = 0);

// An error record of one of the library's own sites. site is the constant
// added to the error identifier base (0x2MOSS); the code is 0x10000 plus the
// message number, except 0x90002 for "QRX0012E". data is a terminated text
// or null. The caller holds lib_lock when data lies in trace_text_buffer.
void LogOwnError(uint32_t site, uint32_t msg_no, const char* msg_id, const char* data);

}  // namespace libdevavu::trace

#endif  // DEVAVU_TRACE_OWN_LOG_H_
