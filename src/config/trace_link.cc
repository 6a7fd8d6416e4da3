#include "config/trace_link.h"

#include "frame/common_services.h"

namespace libdevavu::config {

LogFacilitiesEntry TraceLibraryLink::Entry() {
  if (LogFacilitiesEntry known = entry_.load(std::memory_order_acquire)) return known;
  platform::LockHolder hold(lookup_);
  if (entry_.load(std::memory_order_relaxed) == nullptr) {
    const frame::ModuleEntry found =
        frame::LoadModuleEntry(frame::kTraceModuleName, frame::kTraceEntryName);
    entry_.store(reinterpret_cast<LogFacilitiesEntry>(found.address), std::memory_order_release);
  }
  return entry_.load(std::memory_order_relaxed);
}

TraceLibraryLink& ConfigTraceLink() {
  static TraceLibraryLink link;
  return link;
}

}  // namespace libdevavu::config
