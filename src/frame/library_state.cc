#include "frame/library_state.h"

namespace libdevavu::frame {

LibraryState& State() {
  // Never destroyed: a thread that outlives main must still find the state.
  static LibraryState* const state = new LibraryState;
  return *state;
}

}  // namespace libdevavu::frame
