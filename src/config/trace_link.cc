#include "config/trace_link.h"

#include "frame/common_services.h"

namespace libdevavu::config {

namespace {

constexpr uint32_t kWorkSize = 100;

bool Failed(uint32_t code) { return (code & 0xFFFF) != 0; }

}  // namespace

LogFacilitiesEntry TraceLibraryLink::Entry() {
  std::call_once(resolved_, [this] {
    char work[kWorkSize];
    void* module = nullptr;
    void* address = nullptr;
    if (Failed(MSWLoadDLL(work, kWorkSize, "VIRARUDI", &module)) ||
        Failed(MSWGetDLLEntryPointAddr(module, "_LOGFACILITIESEP@8", &address))) {
      return;
    }
    entry_ = reinterpret_cast<LogFacilitiesEntry>(address);
  });
  return entry_;
}

TraceLibraryLink& ConfigTraceLink() {
  static TraceLibraryLink link;
  return link;
}

}  // namespace libdevavu::config
