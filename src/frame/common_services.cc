#include "frame/common_services.h"

#include <cstring>

namespace libdevavu::frame {

char* CopyToMemgetBlock(const char* text, size_t length) {
  auto* block = static_cast<char*>(MEMGET(0, static_cast<uint32_t>(length + 1)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, text, length);
  block[length] = '\0';
  return block;
}

void* ZeroedMemgetBlock(uint32_t size) {
  void* block = MEMGET(0, size);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

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
