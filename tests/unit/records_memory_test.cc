#include <gtest/gtest.h>

#include "records_test_support.h"

namespace {

class RecordsMemory : public RecordsTest {};

// Three groups, one of them with a second type of the shared class left out
// and records with and without data.
const Bytes kStream = Concat({Record(1, 0, {1, 2}), Record(12, 0), Record(1, 1),
                              Record(13, 0, {5}), Record(4, 0, {6, 7, 8}), Record(12, 1, {9})});
constexpr uint64_t kParseBlocks = 3 + 5 + 3;  // groups, records, data

TEST_F(RecordsMemory, ParseTakesOneZeroFilledBlockPerGroupRecordAndData) {
  ASSERT_EQ(Parse(kStream), 0);
  EXPECT_EQ(MemgetCalls(), kParseBlocks);
  EXPECT_EQ(fakes::LiveBlocks(), kParseBlocks);
  for (const SmfmtGroup* g = request_.groups; g != nullptr; g = g->next) {
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) EXPECT_EQ(r->spare, 0u);
  }
  ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
  libdevavu::platform::LockHolder hold(fakes::Lock());
  EXPECT_EQ(fakes::Services().bad_frees, 0);
}

TEST_F(RecordsMemory, ParseFailingAtEachAllocationReleasesCleanly) {
  for (uint64_t nth = 1; nth <= kParseBlocks; ++nth) {
    SCOPED_TRACE(nth);
    FailMemget(nth);
    request_.groups = nullptr;
    EXPECT_EQ(Parse(kStream), -10);
    // The first failure leaves no list at all; every later one a list that
    // the release takes back completely.
    if (nth == 1) {
      EXPECT_EQ(request_.groups, nullptr);
    } else {
      EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
    }
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
  FailMemget(kParseBlocks + 1);
  EXPECT_EQ(Parse(kStream), 0);
}

TEST_F(RecordsMemory, ParseFailingAtAGroupsFirstRecordLeavesAnEmptyLastGroup) {
  FailMemget(2);
  EXPECT_EQ(Parse(kStream), -10);
  ASSERT_NE(request_.groups, nullptr);
  EXPECT_EQ(request_.groups->first, nullptr);
  EXPECT_EQ(request_.groups->next, nullptr);
  EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

TEST_F(RecordsMemory, BuildFailingToGetTheStream) {
  ASSERT_EQ(Parse(kStream), 0);
  uint8_t sentinel = 0;
  request_.buf = &sentinel;
  FailMemget(1);
  EXPECT_EQ(Call(SMFMT_BUILD), -10);
  EXPECT_EQ(request_.buf, &sentinel);
  // The list was not written: it builds once memory is back.
  EXPECT_EQ(request_.groups->first->len, 2);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(request_.len, 26);
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), 0);
  EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

TEST_F(RecordsMemory, ListReleaseStopsAtTheFirstRefusedBlock) {
  for (uint64_t nth = 1; nth <= kParseBlocks; ++nth) {
    SCOPED_TRACE(nth);
    ASSERT_EQ(Parse(kStream), 0);
    FailMemfree(nth);
    EXPECT_EQ(Call(SMFMT_FREE_LIST), -10);
    EXPECT_EQ(fakes::LiveBlocks(), kParseBlocks - (nth - 1));
    fakes::ResetAll();
    request_ = SmfmtRequest{};
  }
}

TEST_F(RecordsMemory, ListRefusedAtItsFirstBlockCanBeReleasedAgain) {
  ASSERT_EQ(Parse(kStream), 0);
  FailMemfree(2);  // the first record, after its data
  EXPECT_EQ(Call(SMFMT_FREE_LIST), -10);
  EXPECT_EQ(request_.groups->first->data, nullptr);
  EXPECT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
  libdevavu::platform::LockHolder hold(fakes::Lock());
  EXPECT_EQ(fakes::Services().bad_frees, 0);
}

TEST_F(RecordsMemory, StreamReleaseReportsARefusal) {
  ASSERT_EQ(Parse(kStream), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  FailMemfree(1);
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), -10);
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), 0);
  request_.buf = nullptr;
  EXPECT_EQ(Call(SMFMT_FREE_BUFFER), -10);
}

}  // namespace
