#include <cstdlib>
#include <cstring>

#include "devavu.h"
#include "fakes/fakes.h"
#include "frame/library_state.h"
#include "orvesvc.h"

namespace fakes {

CommonServices& Services() {
  static CommonServices services;
  return services;
}

std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}

size_t LiveBlocks() {
  std::lock_guard<std::mutex> hold(Lock());
  return Services().live.size();
}

void ResetAll() {
  devavu_term();
  auto& state = libdevavu::frame::State();
  state.log_suppressed = 0;
  state.init2_mode = 0;
  state.lib_unusable = 0;
  std::lock_guard<std::mutex> hold(Lock());
  for (void* block : Services().live) std::free(block);
  Services() = CommonServices{};
  TraceLib() = TraceLibrary{};
}

}  // namespace fakes

extern "C" {

void* MEMGET(uint32_t flags, uint32_t size) {
  std::lock_guard<std::mutex> hold(fakes::Lock());
  auto& services = fakes::Services();
  const uint64_t call = ++services.memget_calls;
  if (flags != 0 || call == services.fail_at) return nullptr;
  void* block = std::malloc(size != 0 ? size : 1);
  services.live.insert(block);
  services.sizes.push_back(size);
  return block;
}

uint16_t MEMFREE(uint32_t flags, void* block) {
  std::lock_guard<std::mutex> hold(fakes::Lock());
  auto& services = fakes::Services();
  if (++services.memfree_calls == services.free_fail_at) return 1;
  if (flags != 0 || services.live.erase(block) == 0) {
    ++services.bad_frees;
    return 1;
  }
  std::free(block);
  return 0;
}

char* win32_getcfg(const char* name) {
  std::lock_guard<std::mutex> hold(fakes::Lock());
  auto& values = fakes::Services().config_values;
  auto it = values.find(name != nullptr ? name : "");
  return it == values.end() ? nullptr : it->second.data();
}

int32_t GetActiveConfig(char** name) {
  *name = win32_getcfg("QRXCONFIG");
  return 0;
}

uint32_t MSWLoadDLL(char* /*work*/, uint32_t /*work_size*/, const char* module, void** handle) {
  std::lock_guard<std::mutex> hold(fakes::Lock());
  auto& services = fakes::Services();
  services.loaded_modules.push_back(module != nullptr ? module : "(null)");
  if (module == nullptr) return ORV_BAD_ARGUMENT;
  if (services.load_result != 0) return services.load_result;
  *handle = &services;
  return 0;
}

uint32_t MSWGetDLLEntryPointAddr(void* /*handle*/, const char* entry, void** address) {
  std::lock_guard<std::mutex> hold(fakes::Lock());
  auto& services = fakes::Services();
  services.resolved_entries.push_back(entry != nullptr ? entry : "(null)");
  if (services.entry_result != 0) {
    *address = nullptr;
    return services.entry_result;
  }
  *address = reinterpret_cast<void*>(&fakes::FakeLogFacilities);
  return 0;
}

}  // extern "C"
