// The library's side of the common-services library: the companion's own
// header, and the helpers that the library builds on it.
#ifndef DEVAVU_FRAME_COMMON_SERVICES_H_
#define DEVAVU_FRAME_COMMON_SERVICES_H_

#include <cstddef>

#include "orvesvc.h"

namespace libdevavu::frame {

// A terminated copy of text[0..length) in a MEMGET block of length + 1
// bytes, or null when no block could be obtained.
char* CopyToMemgetBlock(const char* text, size_t length);

}  // namespace libdevavu::frame

#endif  // DEVAVU_FRAME_COMMON_SERVICES_H_
