// Blocks of lists and streams: they cross components, so they come from the
// common services and go back there.
#ifndef DEVAVU_RECORDS_BLOCKS_H_
#define DEVAVU_RECORDS_BLOCKS_H_

#include <cstdint>

#include "frame/common_services.h"

namespace libdevavu::records {

using frame::ZeroedMemgetBlock;

template <typename T>
T* ZeroedBlockOf() {
  return static_cast<T*>(ZeroedMemgetBlock(sizeof(T)));
}

// MEMFREE of the block; false when the common services report a failure.
bool ReleaseBlock(void* block);

}  // namespace libdevavu::records

#endif  // DEVAVU_RECORDS_BLOCKS_H_
