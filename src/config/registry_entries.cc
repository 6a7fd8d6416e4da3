#include "config/registry_entries.h"

#include "config/registry_keys.h"
#include "config/sections.h"
#include "frame/common_services.h"

namespace libdevavu::config {

using platform::RegKey;

namespace {

void Release(void* block) {
  if (block != nullptr) MEMFREE(0, block);
}

// The one value of an open "[TRACE]" key, into buffers of the sizes given.
int32_t ReadOnlyStringValue(RegKey trace, uint32_t values, uint32_t name_buffer_size,
                            uint32_t longest_data, char** module_name, char** entry_name) {
  if (values != 1) return DV_UNUSABLE;
  auto* name = static_cast<char*>(MEMGET(0, name_buffer_size));
  char* data = DataBuffer(longest_data);
  uint32_t name_length = name_buffer_size;
  uint32_t data_length = DataBufferSize(longest_data);
  uint32_t type = 0;
  if (name != nullptr && data != nullptr &&
      platform::EnumRegistryValue(trace, 0, name, &name_length, &type,
                                  reinterpret_cast<uint8_t*>(data),
                                  &data_length) == platform::kRegOk &&
      type == platform::kRegSz) {
    *module_name = name;
    *entry_name = data;
    return 0;
  }
  Release(name);
  Release(data);
  return DV_UNUSABLE;
}

}  // namespace

int32_t ReadCFNRegistryTraceEntry(char** module_name, char** entry_name) {
  RegKey configuration = nullptr;
  if (OpenActiveConfiguration(&configuration) != 0) return DV_UNUSABLE;
  int32_t rc = DV_UNUSABLE;
  RegKey trace = nullptr;
  uint32_t values = 0;
  uint32_t name_buffer_size = 0;
  uint32_t longest_data = 0;
  if (OpenKeyAndQueryInfo(configuration, "[TRACE]", &trace, &values, &name_buffer_size,
                          &longest_data) == 0) {
    rc = ReadOnlyStringValue(trace, values, name_buffer_size, longest_data, module_name,
                             entry_name);
    platform::CloseRegistryKey(trace);
  }
  platform::CloseRegistryKey(configuration);
  return rc;
}

int32_t ReadCFNRegistrySection(RegKey configuration, const char* section, CFNEntry** head) {
  *head = nullptr;
  RegKey key = nullptr;
  uint32_t name_buffer_size = 0;
  uint32_t longest_data = 0;
  const int32_t opened =
      OpenKeyAndQueryInfo(configuration, section, &key, nullptr, &name_buffer_size, &longest_data);
  if (opened == kNoSuchKey) return 0;
  if (opened != 0) return DV_UNUSABLE;

  int32_t rc = DV_UNUSABLE;
  for (uint32_t index = 0;; ++index) {
    auto* node = static_cast<CFNEntry*>(MEMGET(0, sizeof(CFNEntry)));
    auto* name = static_cast<char*>(MEMGET(0, name_buffer_size));
    char* data = DataBuffer(longest_data);
    if (node != nullptr && name != nullptr && data != nullptr) {
      uint32_t name_length = name_buffer_size;
      uint32_t data_length = DataBufferSize(longest_data);
      uint32_t type = 0;
      // The type is not checked: a section value is delivered as stored.
      const int32_t read = platform::EnumRegistryValue(
          key, index, name, &name_length, &type, reinterpret_cast<uint8_t*>(data), &data_length);
      if (read == platform::kRegOk) {
        *node = CFNEntry{name, data, *head};
        *head = node;
        continue;
      }
      if (read == platform::kRegNoMoreItems) rc = 0;
    }
    Release(node);
    Release(name);
    Release(data);
    break;
  }
  platform::CloseRegistryKey(key);
  return rc;
}

int32_t ReadCFNRegistryEntries(CFNFileEntries* entries) {
  if (ReadCFNRegistryTraceEntry(&entries->trace_module_name, &entries->trace_entry_name) != 0) {
    return DV_UNUSABLE;
  }
  RegKey configuration = nullptr;
  if (OpenActiveConfiguration(&configuration) != 0) return DV_UNUSABLE;
  int32_t rc = 0;
  for (const Section& section : kSections) {
    if (ReadCFNRegistrySection(configuration, section.name, &(entries->*section.list)) != 0) {
      rc = DV_UNUSABLE;
      break;
    }
  }
  platform::CloseRegistryKey(configuration);
  return rc;
}

}  // namespace libdevavu::config
