// Module loading by product name through the platform loader.
#include <cstring>

#include "orvesvc.h"
#include "platform/platform.h"

namespace {

// Leaves the loader's explanation in the scratch area, for a debugger.
void NoteError(char* work, uint32_t work_size, const std::string& why) {
  if (work == nullptr || work_size == 0) return;
  const size_t n = why.size() < work_size - 1 ? why.size() : work_size - 1;
  std::memcpy(work, why.data(), n);
  work[n] = '\0';
}

}  // namespace

extern "C" {

ORVESVC_API uint32_t MSWLoadDLL(char* work, uint32_t work_size, const char* module,
                                void** handle) {
  if (module == nullptr || handle == nullptr) return ORV_BAD_ARGUMENT;
  libdevavu::platform::ModuleResult loaded = libdevavu::platform::LoadModule(module);
  if (loaded.handle == nullptr) {
    NoteError(work, work_size, loaded.error);
    return ORV_MODULE_NOT_FOUND;
  }
  *handle = loaded.handle;
  return 0;
}

ORVESVC_API uint32_t MSWGetDLLEntryPointAddr(void* handle, const char* entry,
                                             void** address) {
  if (entry == nullptr || address == nullptr) return ORV_BAD_ARGUMENT;
  *address = libdevavu::platform::FindEntryPoint(handle, entry);
  return *address != nullptr ? 0 : ORV_ENTRY_NOT_FOUND;
}

}  // extern "C"
