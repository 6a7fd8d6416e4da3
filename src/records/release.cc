// Release of lists and streams. The first release that the common services
// refuse stops the walk; the list keeps no link to a released block, so
// what is left from the refused block on is still a list.
#include "records/blocks.h"
#include "records/record_ops.h"

namespace libdevavu::records {

Outcome ReleaseList(const SmfmtRequest& request) {
  if (request.groups == nullptr) return Outcome::kNothingGiven;
  SmfmtGroup* group = request.groups;
  while (group != nullptr) {
    while (SmfmtRecord* record = group->first) {
      if (record->data != nullptr) {
        if (!ReleaseBlock(record->data)) return Outcome::kMemory;
        record->data = nullptr;
      }
      SmfmtRecord* next = record->next;
      if (!ReleaseBlock(record)) return Outcome::kMemory;
      group->first = next;
    }
    SmfmtGroup* next = group->next;
    if (!ReleaseBlock(group)) return Outcome::kMemory;
    group = next;
  }
  return Outcome::kDone;
}

Outcome ReleaseStream(const SmfmtRequest& request) {
  return ReleaseBlock(request.buf) ? Outcome::kDone : Outcome::kMemory;
}

}  // namespace libdevavu::records
