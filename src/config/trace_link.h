// The trace library's entry point for the configuration reader. libdevavu
// does not link the trace library, so that a product starts without it; the
// entry point is looked for through the module loader at each read until it
// is found, and then kept.
#ifndef DEVAVU_CONFIG_TRACE_LINK_H_
#define DEVAVU_CONFIG_TRACE_LINK_H_

#include <atomic>

#include "devavu.h"
#include "platform/platform.h"

namespace libdevavu::config {

class TraceLibraryLink {
 public:
  // Null when the trace library or its entry point cannot be had now; an
  // entry point once found holds for the life of the link.
  LogFacilitiesEntry Entry();

 private:
  platform::RecursiveLock lookup_;
  std::atomic<LogFacilitiesEntry> entry_{nullptr};
};

// The process's link.
TraceLibraryLink& ConfigTraceLink();

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_TRACE_LINK_H_
