#include "frame/common_services.h"

namespace libdevavu::frame {

ModuleEntry LoadModuleEntry(const char* module_name, const char* entry_name) {
  // Only the low 16 bits of a result tell a failure.
  const auto failed = [](uint32_t code) { return (code & 0xFFFF) != 0; };
  ModuleEntry found;
  char work[100];
  const uint32_t loaded = MSWLoadDLL(work, sizeof work, module_name, &found.module);
  if (failed(loaded)) return ModuleEntry{ModuleEntry::kModule, loaded, nullptr, nullptr};
  const uint32_t resolved = MSWGetDLLEntryPointAddr(found.module, entry_name, &found.address);
  if (failed(resolved) || found.address == nullptr) {
    return ModuleEntry{ModuleEntry::kEntry, resolved, found.module, nullptr};
  }
  return found;
}

}  // namespace libdevavu::frame
