// Opening the keys of the registry store.
#ifndef DEVAVU_CONFIG_REGISTRY_KEYS_H_
#define DEVAVU_CONFIG_REGISTRY_KEYS_H_

#include <cstdint>

#include "platform/registry.h"

namespace libdevavu::config {

inline constexpr char kConfigurationsKey[] = "SOFTWARE\\Veltara\\Quorix\\V100\\Configurations";
inline constexpr int32_t kNoSuchKey = 4;

// Opens subkey below parent and hands out what the caller asks for (each
// pointer may be null): the number of values, the size of a buffer for the
// longest value name with its terminator, the longest value data in bytes.
// 0 with the key open for the caller; kNoSuchKey when the subkey does not
// exist; -10 on any other failure, with nothing open.
int32_t OpenKeyAndQueryInfo(platform::RegKey parent, const char* subkey, platform::RegKey* key,
                            uint32_t* values, uint32_t* name_buffer_size, uint32_t* longest_data);

// Opens the active configuration: the subkey of the Configurations key that
// the key's default value (a non-empty REG_SZ) names. 0, or -1.
int32_t OpenActiveConfiguration(platform::RegKey* key);

// A MEMGET block for value data: one byte more than the longest data and
// zero-filled, so that whatever is read into it is a terminated text. Its
// size is DataBufferSize(longest_data). Null when no block is to be had.
char* DataBuffer(uint32_t longest_data);
inline uint32_t DataBufferSize(uint32_t longest_data) { return longest_data + 1; }

}  // namespace libdevavu::config

#endif  // DEVAVU_CONFIG_REGISTRY_KEYS_H_
