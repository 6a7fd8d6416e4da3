// Build: a list to one stream, group after group, each record in chain order.
#include <cstring>

#include "records/blocks.h"
#include "records/record_ops.h"

namespace libdevavu::records {

namespace {

// The length of the stream the list makes, or a refusal: a list without
// records, one built before, or one over the limit. The sum stops at the
// limit, so even a looping chain ends.
Outcome MeasureList(const SmfmtGroup* groups, uint32_t* total) {
  uint32_t sum = 0;
  bool any = false;
  for (const SmfmtGroup* g = groups; g != nullptr; g = g->next) {
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      if ((r->flags & SMFMT_BUILT) != 0) return Outcome::kRefused;
      any = true;
      sum += r->len + 4u;
      if (sum > SMFMT_MAX_STREAM) return Outcome::kRefused;
    }
  }
  if (!any) return Outcome::kRefused;
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
      r->flags |= SMFMT_BUILT;
      at += record_length;
    }
  }
  return Outcome::kDone;
}

}  // namespace libdevavu::records
