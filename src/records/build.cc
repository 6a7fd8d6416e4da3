// Build: a list to one stream, group after group, each record in chain order.
#include <cstring>

#include "records/blocks.h"
#include "records/record_ops.h"

namespace libdevavu::records {

namespace {

// True when the chain of groups comes back on itself. A loop of groups
// without records would add nothing to the sum below, so only this test
// ends it.
bool GroupsLoop(const SmfmtGroup* groups) {
  const SmfmtGroup* slow = groups;
  for (const SmfmtGroup* fast = groups; fast != nullptr && fast->next != nullptr;) {
    fast = fast->next->next;
    slow = slow->next;
    if (fast == slow) return true;
  }
  return false;
}

// The length of the stream the list makes, or a refusal: a list over the
// limit or one whose groups loop. Every record adds at least 4 to the sum,
// which stops at the limit, so a looping chain of records ends too.
Outcome MeasureList(const SmfmtGroup* groups, uint32_t* total) {
  if (GroupsLoop(groups)) return Outcome::kRefused;
  uint32_t sum = 0;
  for (const SmfmtGroup* g = groups; g != nullptr; g = g->next) {
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      sum += r->len + 4u;
      if (sum > SMFMT_MAX_STREAM) return Outcome::kRefused;
    }
  }
  *total = sum;
  return Outcome::kDone;
}

}  // namespace

Outcome BuildStream(SmfmtRequest& request) {
  uint32_t total = 0;
  if (const Outcome measured = MeasureList(request.groups, &total); measured != Outcome::kDone) {
    return measured;
  }
  request.len = static_cast<int32_t>(total);
  auto* stream = static_cast<uint8_t*>(ZeroedMemgetBlock(total));
  if (stream == nullptr) return Outcome::kMemory;
  request.buf = stream;

  uint8_t* at = stream;
  for (SmfmtGroup* g = request.groups; g != nullptr; g = g->next) {
    for (SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      const uint16_t data_length = r->len;
      const auto record_length = static_cast<uint16_t>(data_length + 4);
      at[0] = r->type;
      at[1] = r->subtype;
      at[2] = static_cast<uint8_t>(record_length >> 8);
      at[3] = static_cast<uint8_t>(record_length);
      if (r->data != nullptr && data_length != 0) std::memcpy(at + 4, r->data, data_length);
      r->len = record_length;
      at += record_length;
    }
  }
  return Outcome::kDone;
}

}  // namespace libdevavu::records
