// QXSMFMT over streams written by hand: parse, build, release, and every
// allocation and release failing in turn.
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "library_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One well-formed record: header with the big-endian record length, then data.
Bytes Record(uint8_t type, uint8_t subtype, const Bytes& data = {}) {
  const size_t length = data.size() + 4;
  Bytes out{type, subtype, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The list as "type.subtype(data hex)" per record, groups apart by " | "; a
// malformed record shows "!raw length", a record without data no "()".
std::string ListText(const SmfmtGroup* groups) {
  std::string out;
  char hex[3];
  for (const SmfmtGroup* g = groups; g != nullptr; g = g->next) {
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      out += (r != g->first ? " " : g != groups ? " | " : "") + std::to_string(r->type) + "." +
             std::to_string(r->subtype);
      if ((r->flags & SMFMT_MALFORMED) != 0) {
        out += "!" + std::to_string(r->len);
      } else if (r->data != nullptr) {
        out += "(";
        for (uint16_t i = 0; i < r->len; ++i) {
          std::snprintf(hex, sizeof hex, "%02X", r->data[i]);
          out += hex;
        }
        out += ")";
      }
    }
  }
  return out;
}

class RecordsTest : public LibraryTest {
 protected:
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
  static void FailMemget(uint64_t nth_from_now) {
    fakes::Services().fail_at = fakes::Services().memget_calls + nth_from_now;
  }
  static void FailMemfree(uint64_t nth_from_now) {
    fakes::Services().free_fail_at = fakes::Services().memfree_calls + nth_from_now;
  }

  SmfmtRequest request_{};
  Bytes stream_;
};

TEST_F(RecordsTest, Parse) {
  const Bytes bad_length{3, 8, 0, 3, 0xEE, 0xEE, 0xEE, 0xEE};
  Bytes too_long = Concat({Record(1, 0, {1, 2}), Record(2, 5, {7, 7, 7})});
  too_long.pop_back();
  const struct {
    Bytes stream;
    int32_t rc;
    std::string list;
    uint32_t seen, repeated;
  } cases[] = {
      {Record(5, 9), 0, "5.9", 0x010, 0},
      {Concat({Record(2, 1, {0xAA}), Record(1, 2, {0xBB, 0xCC}), Record(2, 3), Record(1, 4, {0xDD}),
               Record(2, 5)}),
       0, "2.1(AA) 2.3 2.5 | 1.2(BBCC) 1.4(DD)", 0x003, 0x003},
      // Types 0 and 12 up share one class: the first type seen holds it.
      {Concat({Record(12, 0, {1}), Record(13, 0, {2, 3}), Record(0, 0), Record(12, 7)}), 0,
       "12.0(01) 12.7", 0x400, 0x400},
      {Concat({Record(11, 0), Record(12, 0), Record(11, 1)}), 0, "11.0 11.1 | 12.0", 0xC00, 0x800},
      {Concat({Record(10, 0), Record(255, 0), Record(1, 0)}), 0, "10.0 | 255.0 | 1.0", 0x601, 0},
      {Concat({Record(3, 1, {0x11}), Record(4, 0), bad_length, Record(3, 2)}), -1,
       "3.1(11) 3.8!3 | 4.0", 0x00C, 0x004},
      {Concat({Record(3, 1), Bytes{3, 8, 0, 0}}), -1, "3.1 3.8!0", 0x004, 0x004},
      {too_long, -1, "1.0(0102) | 2.5!7", 0x003, 0},
      {Concat({Record(7, 0, {1}), Bytes{7, 9, 1}}), -1, "7.0(01) 7.9!256", 0x040, 0x040},
      {Concat({Record(12, 0), Bytes{13, 0, 0, 2}}), -1, "12.0", 0x400, 0x400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    request_.groups = reinterpret_cast<SmfmtGroup*>(uintptr_t{0x10});  // stale: never read
    EXPECT_EQ(Parse(c.stream), c.rc);
    EXPECT_EQ(ListText(request_.groups), c.list);
    EXPECT_EQ(request_.seen_types, c.seen);
    EXPECT_EQ(request_.repeated_types, c.repeated);
    stream_.assign(stream_.size(), 0);
    EXPECT_EQ(ListText(request_.groups), c.list) << "the data is a copy";
    EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
}

// Each group's records together, in list order; lengths become record
// lengths; the limit is inclusive; refusals change nothing.
TEST_F(RecordsTest, Build) {
  ASSERT_EQ(Parse(Concat({Record(1, 0, {0xA}), Record(2, 0), Record(1, 1, Bytes(300, 7))})), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Concat({Record(1, 0, {0xA}), Record(1, 1, Bytes(300, 7)), Record(2, 0)}));
  EXPECT_EQ(request_.groups->first->len, 5);
  ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  SmfmtRecord records[2] = {{1, 0, 32764, 0, 0, nullptr, nullptr},
                            {2, 0, 32763, 0, 0, nullptr, nullptr}};
  SmfmtGroup groups[2] = {{&groups[1], &records[0]}, {nullptr, &records[1]}};
  request_.groups = groups;
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  const Bytes built = TakeBuilt();
  ASSERT_EQ(built.size(), 65535u);
  EXPECT_EQ(Bytes(built.begin(), built.begin() + 5), (Bytes{1, 0, 0x80, 0x00, 0}));
  EXPECT_EQ(built[32768], 2);
  records[1].len = 32764;
  uint8_t sentinel = 0;
  request_.buf = &sentinel;
  EXPECT_EQ(Call(SMFMT_BUILD), -1) << "one byte over";
  EXPECT_EQ(request_.buf, &sentinel);
  groups[0].first = groups[1].first = nullptr;
  ASSERT_EQ(Call(SMFMT_BUILD), 0) << "no records: an empty stream";
  EXPECT_TRUE(TakeBuilt().empty());
  groups[1].next = &groups[0];
  EXPECT_EQ(Call(SMFMT_BUILD), -1) << "groups that loop";
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

// Three groups, a left-out record of the shared class, records with and
// without data: 3 groups + 5 records + 3 data blocks.
const Bytes kStream = Concat({Record(1, 0, {1, 2}), Record(12, 0), Record(1, 1),
                              Record(13, 0, {5}), Record(4, 0, {6, 7, 8}), Record(12, 1, {9})});
constexpr uint64_t kParseBlocks = 11;

TEST_F(RecordsTest, EachFailingAllocationOrReleaseLeavesAReleasableList) {
  for (uint64_t nth = 1; nth <= kParseBlocks; ++nth) {
    SCOPED_TRACE(nth);
    FailMemget(nth);
    request_.groups = nullptr;
    EXPECT_EQ(Parse(kStream), -10);
    if (request_.groups != nullptr) {
      EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
    }
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
  ASSERT_EQ(Parse(kStream), 0);
  FailMemfree(2);  // the first record, after its data
  EXPECT_EQ(Call(SMFMT_FREE_LIST), -10);
  EXPECT_EQ(fakes::LiveBlocks(), kParseBlocks - 1) << "the walk stops there";
  EXPECT_EQ(Call(SMFMT_FREE_LIST), 0) << "what is left is still a list";
  ASSERT_EQ(Parse(kStream), 0);
  FailMemget(1);
  EXPECT_EQ(Call(SMFMT_BUILD), -10);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  FailMemfree(1);
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), -10);
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), 0);
  EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
  EXPECT_EQ(fakes::Services().bad_frees, 0);
}

}  // namespace
