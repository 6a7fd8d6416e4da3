// The registry operations as thin calls of the real registry.
#include <windows.h>

#include <new>

#include "platform/registry.h"

namespace libdevavu::platform {

struct RegKeyData {
  HKEY key;
};

namespace {

RegKeyData local_machine_key{HKEY_LOCAL_MACHINE};

// Read access only: KEY_READ (0x20019).
constexpr REGSAM kReadAccess = KEY_READ;

}  // namespace

RegKey LocalMachineKey() { return &local_machine_key; }

int32_t OpenRegistryKey(RegKey parent, const char* subkey, RegKey* result) {
  if (result == nullptr) return kRegInvalidParameter;
  if (parent == nullptr) return kRegInvalidHandle;
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExA(parent->key, subkey, 0, kReadAccess, &opened);
  if (rc != ERROR_SUCCESS) return rc;
  *result = new (std::nothrow) RegKeyData{opened};
  if (*result == nullptr) {
    RegCloseKey(opened);
    return kRegNoMemory;
  }
  return kRegOk;
}

int32_t QueryRegistryKeyInfo(RegKey key, RegKeyInfo* info) {
  if (info == nullptr) return kRegInvalidParameter;
  if (key == nullptr) return kRegInvalidHandle;
  // The class text is read and not used.
  char class_text[100];
  DWORD class_length = sizeof class_text;
  DWORD values = 0, longest_name = 0, longest_data = 0;
  const LONG rc = RegQueryInfoKeyA(key->key, class_text, &class_length, nullptr, nullptr,
                                   nullptr, nullptr, &values, &longest_name, &longest_data,
                                   nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  info->values = values;
  info->longest_value_name = longest_name;
  info->longest_value_data = longest_data;
  return kRegOk;
}

int32_t QueryRegistryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                           uint32_t* data_length) {
  if (data != nullptr && data_length == nullptr) return kRegInvalidParameter;
  if (key == nullptr) return kRegInvalidHandle;
  DWORD value_type = 0;
  DWORD length = data_length != nullptr ? *data_length : 0;
  const LONG rc = RegQueryValueExA(key->key, name, nullptr, &value_type, data,
                                   data_length != nullptr ? &length : nullptr);
  if (type != nullptr && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA)) *type = value_type;
  if (data_length != nullptr && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA)) {
    *data_length = length;
  }
  return rc;
}

int32_t EnumRegistryValue(RegKey key, uint32_t index, char* name, uint32_t* name_length,
                          uint32_t* type, uint8_t* data, uint32_t* data_length) {
  if (name == nullptr || name_length == nullptr || (data != nullptr && data_length == nullptr)) {
    return kRegInvalidParameter;
  }
  if (key == nullptr) return kRegInvalidHandle;
  DWORD name_size = *name_length;
  DWORD value_type = 0;
  DWORD length = data_length != nullptr ? *data_length : 0;
  const LONG rc = RegEnumValueA(key->key, index, name, &name_size, nullptr, &value_type, data,
                                data_length != nullptr ? &length : nullptr);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    *name_length = name_size;
    if (type != nullptr) *type = value_type;
    if (data_length != nullptr) *data_length = length;
  }
  return rc;
}

int32_t CloseRegistryKey(RegKey key) {
  if (key == nullptr) return kRegInvalidHandle;
  if (key == &local_machine_key) return kRegOk;
  const LONG rc = RegCloseKey(key->key);
  delete key;
  return rc;
}

}  // namespace libdevavu::platform
