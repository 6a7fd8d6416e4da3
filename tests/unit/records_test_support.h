// Helpers of the record stream tests: streams written by hand, the list of a
// request read back as plain values, and a fixture with fresh fakes.
#ifndef DEVAVU_TESTS_UNIT_RECORDS_TEST_SUPPORT_H_
#define DEVAVU_TESTS_UNIT_RECORDS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "devavu.h"
#include "fakes/fakes.h"

using Bytes = std::vector<uint8_t>;

// One well-formed record: header with the record length, then the data.
inline Bytes Record(uint8_t type, uint8_t subtype, const Bytes& data = {}) {
  const size_t length = data.size() + 4;
  Bytes out{type, subtype, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct RecordView {
  uint8_t type;
  uint8_t subtype;
  uint16_t len;
  uint32_t flags;
  Bytes data;
  bool has_data;
  bool operator==(const RecordView&) const = default;
};

// The list as groups of records, in chain order.
inline std::vector<std::vector<RecordView>> ListOf(const SmfmtGroup* groups) {
  std::vector<std::vector<RecordView>> out;
  for (const SmfmtGroup* g = groups; g != nullptr; g = g->next) {
    out.emplace_back();
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      const bool has_data = r->data != nullptr;
      out.back().push_back(RecordView{r->type, r->subtype, r->len, r->flags,
                                      has_data ? Bytes(r->data, r->data + r->len) : Bytes{},
                                      has_data});
    }
  }
  return out;
}

inline RecordView Parsed(uint8_t type, uint8_t subtype, const Bytes& data = {}) {
  return RecordView{type, subtype, static_cast<uint16_t>(data.size()), 0, data, !data.empty()};
}

inline RecordView Malformed(uint8_t type, uint8_t subtype, uint16_t raw_length) {
  return RecordView{type, subtype, raw_length, SMFMT_MALFORMED, {}, false};
}

// Blocks left behind by a test are freed by the fakes' reset.
class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { fakes::ResetAll(); }
  void TearDown() override { fakes::ResetAll(); }

  int32_t Call(uint16_t op) {
    request_.op = op;
    return QXSMFMT(&request_);
  }

  int32_t Parse(const Bytes& stream) {
    stream_ = stream;
    request_.buf = stream_.data();
    request_.len = static_cast<int32_t>(stream_.size());
    return Call(SMFMT_PARSE);
  }

  // The built stream, released at once.
  Bytes TakeBuilt() {
    Bytes out(request_.buf, request_.buf + request_.len);
    EXPECT_EQ(Call(SMFMT_FREE_BUFFER), 0);
    return out;
  }

  static uint64_t MemgetCalls() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    return fakes::Services().memget_calls;
  }

  static void FailMemget(uint64_t nth_from_now) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().fail_at = fakes::Services().memget_calls + nth_from_now;
  }

  static void FailMemfree(uint64_t nth_from_now) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().free_fail_at = fakes::Services().memfree_calls + nth_from_now;
  }

  SmfmtRequest request_{};
  Bytes stream_;
};

#endif  // DEVAVU_TESTS_UNIT_RECORDS_TEST_SUPPORT_H_
