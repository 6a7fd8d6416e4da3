// Parse: stream to a list grouped by type, in the order of first appearance.
#include <bit>
#include <cstring>

#include "records/blocks.h"
#include "records/record_ops.h"

namespace libdevavu::records {

namespace {

struct Header {
  uint8_t type;
  uint8_t subtype;
  uint16_t record_length;
};

// Header bytes past the end of the stream count as zero.
Header ReadHeader(const uint8_t* at, uint32_t remaining) {
  uint8_t bytes[4] = {};
  std::memcpy(bytes, at, remaining < 4 ? remaining : 4);
  return Header{bytes[0], bytes[1], static_cast<uint16_t>(bytes[2] << 8 | bytes[3])};
}

// The list as it grows. One group per type class at most, so the groups and
// the last record of each are kept by class: appending costs no walk.
class ListBuilder {
 public:
  explicit ListBuilder(SmfmtRequest& request) : request_(request) {}

  // Opens the class's group at the end of the chain with a first record.
  // The group is linked before the record is obtained, so a release finds
  // it whatever fails.
  SmfmtRecord* OpenGroup(uint32_t bit) {
    auto* group = ZeroedBlockOf<SmfmtGroup>();
    if (group == nullptr) return nullptr;
    if (last_group_ == nullptr) {
      request_.groups = group;
    } else {
      last_group_->next = group;
    }
    last_group_ = group;
    const int slot = Slot(bit);
    groups_[slot] = group;
    group->first = ZeroedBlockOf<SmfmtRecord>();
    tails_[slot] = group->first;
    return group->first;
  }

  // Whether the class's group holds this type: a second type of the shared
  // class has no group of its own.
  bool Holds(uint32_t bit, uint8_t type) const {
    const SmfmtGroup* group = groups_[Slot(bit)];
    return group != nullptr && group->first != nullptr && group->first->type == type;
  }

  // A new record at the end of the class's group.
  SmfmtRecord* Append(uint32_t bit) {
    auto* record = ZeroedBlockOf<SmfmtRecord>();
    if (record == nullptr) return nullptr;
    SmfmtRecord*& tail = tails_[Slot(bit)];
    tail->next = record;
    tail = record;
    return record;
  }

 private:
  static constexpr int kClasses = 12;
  static int Slot(uint32_t bit) { return std::countr_zero(bit); }

  SmfmtRequest& request_;
  SmfmtGroup* last_group_ = nullptr;
  SmfmtGroup* groups_[kClasses] = {};
  SmfmtRecord* tails_[kClasses] = {};
};

}  // namespace

Outcome ParseStream(SmfmtRequest& request) {
  if (request.buf == nullptr) return Outcome::kNothingGiven;
  request.seen_types = 0;
  request.repeated_types = 0;
  request.groups = nullptr;
  if (request.len <= 0) return Outcome::kDone;

  ListBuilder list(request);
  const uint8_t* at = request.buf;
  uint32_t remaining = static_cast<uint32_t>(request.len);
  while (remaining > 0) {
    const Header header = ReadHeader(at, remaining);
    const uint32_t bit = TypeBit(header.type);

    // A record left out of the list is checked like any other, in a record
    // of its own that takes no blocks.
    SmfmtRecord left_out{};
    SmfmtRecord* record = &left_out;
    if ((request.seen_types & bit) == 0) {
      request.seen_types |= bit;
      record = list.OpenGroup(bit);
      if (record == nullptr) return Outcome::kMemory;
    } else {
      request.repeated_types |= bit;
      if (list.Holds(bit, header.type)) {
        record = list.Append(bit);
        if (record == nullptr) return Outcome::kMemory;
      }
    }

    record->type = header.type;
    record->subtype = header.subtype;
    record->len = header.record_length;
    if (header.record_length < 4 || header.record_length > remaining) {
      record->flags |= SMFMT_MALFORMED;
      return Outcome::kRefused;
    }
    const uint16_t data_length = static_cast<uint16_t>(header.record_length - 4);
    if (data_length != 0 && record != &left_out) {
      record->data = static_cast<uint8_t*>(ZeroedMemgetBlock(data_length));
      if (record->data == nullptr) return Outcome::kMemory;
      std::memcpy(record->data, at + 4, data_length);
    }
    record->len = data_length;
    at += header.record_length;
    remaining -= header.record_length;
  }
  return Outcome::kDone;
}

}  // namespace libdevavu::records
