// Blocks of lists and streams: they cross components, so they come from the
// common services and go back there.
#ifndef DEVAVU_RECORDS_BLOCKS_H_
#define DEVAVU_RECORDS_BLOCKS_H_

#include <cstdint>

namespace libdevavu::records {

// A zero-filled MEMGET block of size bytes, or null.
void* ZeroedBlock(uint32_t size);

template <typename T>
T* ZeroedBlockOf() {
  return static_cast<T*>(ZeroedBlock(sizeof(T)));
}

// MEMFREE of the block; false when the common services report a failure.
bool ReleaseBlock(void* block);

}  // namespace libdevavu::records

#endif  // DEVAVU_RECORDS_BLOCKS_H_
