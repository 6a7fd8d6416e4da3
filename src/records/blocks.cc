#include "records/blocks.h"

#include <cstring>

#include "orvesvc.h"

namespace libdevavu::records {

void* ZeroedBlock(uint32_t size) {
  void* block = MEMGET(0, size);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

bool ReleaseBlock(void* block) { return MEMFREE(0, block) == 0; }

}  // namespace libdevavu::records
