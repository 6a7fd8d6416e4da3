// The trace library's entry point for the configuration reader. libdevavu
// does not link the trace library, so that a product starts without it; the
// entry point is found through the module loader at the first read and kept.
#ifndef DEVAVU_CONFIG_TRACE_LINK_H_
#define DEVAVU_CONFIG_TRACE_LINK_H_

#include <mutex>

#include "devavu.h"

namespace libdevavu::config {

class TraceLibraryLink {
 public:
  // Null when the trace library or its entry point cannot be had; the answer
  // of the first call holds for the life of the link.
  LogFacilitiesEntry Entry();

 private:
  std::once_flag resolved_;
  LogFacilitiesEntry entry_ = nullptr;
};

// The process's link.
TraceLibraryLink& ConfigTraceLink();

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_TRACE_LINK_H_
