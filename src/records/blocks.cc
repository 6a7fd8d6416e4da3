#include "records/blocks.h"

#include <cstring>

#include "orvesvc.h"

namespace libdevavu::records {

bool ReleaseBlock(void* block) { return MEMFREE(0, block) == 0; }

}  // namespace libdevavu::records
