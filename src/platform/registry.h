// Read-only registry operations in the library's own terms, with the results
// that the Windows registry gives (its ERROR_* numbers). Only
// HKEY_LOCAL_MACHINE exists. On Linux the registry is the export file (.reg)
// named by QRX_REGISTRY, read again when it changes; without QRX_REGISTRY the
// registry is empty. A file that cannot be read, is not a file, is larger
// than 64 MiB (real exports hold a few MB) or is malformed is reported once
// on standard error, and every operation that starts from
// HKEY_LOCAL_MACHINE then fails with kRegIoFailed or kRegCorrupt until the
// file changes. A key that is open keeps the contents it was opened on.
//
// Names and strings are handed out as UTF-8; lengths count bytes.
#ifndef DEVAVU_PLATFORM_REGISTRY_H_
#define DEVAVU_PLATFORM_REGISTRY_H_

#include <cstdint>

namespace libdevavu::platform {

inline constexpr int32_t kRegOk = 0;
inline constexpr int32_t kRegFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
inline constexpr int32_t kRegInvalidHandle = 6;     // ERROR_INVALID_HANDLE
inline constexpr int32_t kRegNoMemory = 8;          // ERROR_NOT_ENOUGH_MEMORY
inline constexpr int32_t kRegInvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr int32_t kRegMoreData = 234;        // ERROR_MORE_DATA
inline constexpr int32_t kRegNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS
inline constexpr int32_t kRegCorrupt = 1009;        // ERROR_BADDB: the file is malformed
inline constexpr int32_t kRegIoFailed = 1016;       // ERROR_REGISTRY_IO_FAILED: not readable

// Value types.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

struct RegKeyData;
using RegKey = RegKeyData*;

RegKey LocalMachineKey();

// Opens the subkey path (names separated by '\', compared without regard to
// case) below parent; a null or empty path opens parent again. The key must
// be closed with CloseRegistryKey.
int32_t OpenRegistryKey(RegKey parent, const char* subkey, RegKey* result);

struct RegKeyInfo {
  uint32_t values = 0;              // the default value counts when it is set
  uint32_t longest_value_name = 0;  // without the terminator
  uint32_t longest_value_data = 0;  // in bytes
};
int32_t QueryRegistryKeyInfo(RegKey key, RegKeyInfo* info);

// A value by name (null or "" for the default value). data may be null to
// learn the length. *data_length: in, the buffer's size; out, the data's
// length, also with kRegMoreData when the buffer is too small.
int32_t QueryRegistryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                           uint32_t* data_length);

// The value at index, in the file's order; kRegNoMoreItems past the last.
// *name_length: in, the name buffer's size with room for the terminator;
// out, the name's length without it. Data as for QueryRegistryValue.
int32_t EnumRegistryValue(RegKey key, uint32_t index, char* name, uint32_t* name_length,
                          uint32_t* type, uint8_t* data, uint32_t* data_length);

int32_t CloseRegistryKey(RegKey key);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_REGISTRY_H_
