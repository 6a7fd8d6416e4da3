// The four operations of QXSMFMT and their internal results, which the
// export maps to its own.
#ifndef DEVAVU_RECORDS_RECORD_OPS_H_
#define DEVAVU_RECORDS_RECORD_OPS_H_

#include <cstdint>

#include "devavu.h"

namespace libdevavu::records {

enum class Outcome {
  kDone = 0,
  kRefused = 1,     // a malformed record, a stream too long or a list not buildable
  kNothingGiven = 4,
  kMemory = 8,      // MEMGET gave no block or MEMFREE reported a failure
};

// The flag bit of a type code in seen_types and repeated_types.
constexpr uint32_t TypeBit(uint8_t type) {
  if (type >= 1 && type <= 10) return 1u << (type - 1);
  if (type == 11) return SMFMT_TYPE11_BIT;
  return SMFMT_SHARED_TYPE_BIT;
}

Outcome ParseStream(SmfmtRequest& request);
Outcome BuildStream(SmfmtRequest& request);
Outcome ReleaseList(const SmfmtRequest& request);
Outcome ReleaseStream(const SmfmtRequest& request);

}  // namespace libdevavu::records

#endif  // DEVAVU_RECORDS_RECORD_OPS_H_
