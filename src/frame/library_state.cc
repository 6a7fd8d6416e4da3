#include "frame/library_state.h"

namespace libdevavu::frame {

LibraryState::LibraryState() {
  // The own anchor's tracing is off from load on, until it is attached.
  own_anchor.trace_flags = &own_anchor.local_flags;
}

LibraryState& State() {
  // Never destroyed: a thread that outlives main must still find the state.
  static LibraryState* const state = new LibraryState;
  return *state;
}

}  // namespace libdevavu::frame
