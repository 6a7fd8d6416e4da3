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

libdevavu::platform::RecursiveLock& Lock() {
  static libdevavu::platform::RecursiveLock lock;
  return lock;
}

size_t LiveBlocks() {
  libdevavu::platform::LockHolder hold(Lock());
  return Services().live.size();
}

void ResetAll() {
  devavu_term();
  auto& state = libdevavu::frame::State();
  state.log_suppressed = 0;
  state.init2_mode = 0;
  state.lib_unusable = 0;
  libdevavu::platform::LockHolder hold(Lock());
  for (void* block : Services().live) std::free(block);
  Services() = CommonServices{};
  TraceLib() = TraceLibrary{};
}

}  // namespace fakes

extern "C" {

void* MEMGET(uint32_t flags, uint32_t size) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  auto& services = fakes::Services();
  const uint64_t call = ++services.memget_calls;
  if (flags != 0 || call == services.fail_at) return nullptr;
  void* block = std::malloc(size != 0 ? size : 1);
  services.live.insert(block);
  return block;
}

uint16_t MEMFREE(uint32_t flags, void* block) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
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
  libdevavu::platform::LockHolder hold(fakes::Lock());
  auto& values = fakes::Services().config_values;
  auto it = values.find(name != nullptr ? name : "");
  return it == values.end() ? nullptr : it->second.data();
}

int32_t GetActiveConfig(char** name) {
  *name = win32_getcfg("QRXCONFIG");
  return 0;
}

uint32_t MSWLoadDLL(char* /*work*/, uint32_t /*work_size*/, const char* module, void** handle) {
  void (*on_load)(const char*) = nullptr;
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    auto& services = fakes::Services();
    services.loaded_modules.push_back(module != nullptr ? module : "(null)");
    if (module == nullptr) return ORV_BAD_ARGUMENT;
    if (services.load_result != 0) return services.load_result;
    if (services.missing_modules.count(module) != 0) return ORV_MODULE_NOT_FOUND;
    *handle = &services;
    on_load = services.on_load;
  }
  if (on_load != nullptr) on_load(module);
  return 0;
}

uint32_t MSWGetDLLEntryPointAddr(void* /*handle*/, const char* entry, void** address) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  auto& services = fakes::Services();
  *address = nullptr;
  if (services.entry_result != 0) return services.entry_result;
  const std::string name = entry != nullptr ? entry : "";
  if (auto it = services.entry_points.find(name); it != services.entry_points.end()) {
    *address = it->second;
  } else if (name == "_LOGFACILITIESEP@8") {
    *address = reinterpret_cast<void*>(&fakes::FakeLogFacilities);
  }
  return *address != nullptr ? 0 : ORV_ENTRY_NOT_FOUND;
}

int32_t StartAsyncTimer(uint32_t delay_ms, OrvTimerSignals* signals, uint8_t handle[8]) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  fakes::Services().async_delays.push_back(delay_ms);
  if (delay_ms < signals->wait_timeout) signals->wait_timeout = delay_ms;
  std::memset(handle, 0, 8);
  return 0;
}

}  // extern "C"
