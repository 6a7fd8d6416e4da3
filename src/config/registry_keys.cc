#include "config/registry_keys.h"

#include <cstring>

#include "devavu.h"
#include "frame/common_services.h"

namespace libdevavu::config {

using platform::RegKey;

int32_t OpenKeyAndQueryInfo(RegKey parent, const char* subkey, RegKey* key, uint32_t* values,
                            uint32_t* name_buffer_size, uint32_t* longest_data) {
  const int32_t opened = platform::OpenRegistryKey(parent, subkey, key);
  if (opened == platform::kRegFileNotFound) return kNoSuchKey;
  if (opened != platform::kRegOk) return DV_UNUSABLE;
  platform::RegKeyInfo info;
  if (platform::QueryRegistryKeyInfo(*key, &info) != platform::kRegOk) {
    platform::CloseRegistryKey(*key);
    return DV_UNUSABLE;
  }
  if (values != nullptr) *values = info.values;
  if (name_buffer_size != nullptr) *name_buffer_size = info.longest_value_name + 1;
  if (longest_data != nullptr) *longest_data = info.longest_value_data;
  return 0;
}

char* DataBuffer(uint32_t longest_data) {
  const uint32_t size = DataBufferSize(longest_data);
  return static_cast<char*>(frame::ZeroedMemgetBlock(size));
}

int32_t OpenActiveConfiguration(RegKey* key) {
  if (key == nullptr) return -1;
  RegKey configurations = nullptr;
  uint32_t longest = 0;
  if (OpenKeyAndQueryInfo(platform::LocalMachineKey(), kConfigurationsKey, &configurations,
                          nullptr, nullptr, &longest) != 0) {
    return -1;
  }
  int32_t rc = -1;
  if (char* name = DataBuffer(longest)) {
    uint32_t type = 0;
    uint32_t length = DataBufferSize(longest);
    // An empty name would open the Configurations key itself.
    if (platform::QueryRegistryValue(configurations, nullptr, &type,
                                     reinterpret_cast<uint8_t*>(name), &length) == platform::kRegOk &&
        type == platform::kRegSz && name[0] != '\0' &&
        platform::OpenRegistryKey(configurations, name, key) == platform::kRegOk) {
      rc = 0;
    }
    MEMFREE(0, name);
  }
  platform::CloseRegistryKey(configurations);
  return rc;
}

}  // namespace libdevavu::config
