#include <gtest/gtest.h>

#include "records_test_support.h"

namespace {

class RecordsBuild : public RecordsTest {
 protected:
  // A list the caller makes: records[i] in group[i / per_group].
  void MakeList(size_t groups, size_t per_group) {
    groups_.assign(groups, SmfmtGroup{});
    records_.assign(groups * per_group, SmfmtRecord{});
    for (size_t g = 0; g < groups; ++g) {
      if (g + 1 < groups) groups_[g].next = &groups_[g + 1];
      if (per_group != 0) groups_[g].first = &records_[g * per_group];
      for (size_t r = 0; r + 1 < per_group; ++r) {
        records_[g * per_group + r].next = &records_[g * per_group + r + 1];
      }
    }
    request_.groups = groups_.empty() ? nullptr : groups_.data();
  }

  std::vector<SmfmtGroup> groups_;
  std::vector<SmfmtRecord> records_;
};

TEST_F(RecordsBuild, HeaderOnlyRecordRoundTrips) {
  ASSERT_EQ(Parse(Record(5, 9)), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Record(5, 9));
}

TEST_F(RecordsBuild, ReproducesAParsedStreamWhoseTypesStandTogether) {
  const Bytes stream = Concat({Record(3, 1, {1, 2, 3}), Record(3, 2), Record(0, 0, {9}),
                               Record(11, 4, Bytes(300, 0x7E)), Record(11, 5, {0})});
  ASSERT_EQ(Parse(stream), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(request_.len, static_cast<int32_t>(stream.size()));
  EXPECT_EQ(TakeBuilt(), stream);
}

TEST_F(RecordsBuild, WritesEachTypeTogetherInListOrder) {
  ASSERT_EQ(Parse(Concat({Record(1, 0, {0xA}), Record(2, 0, {0xB}), Record(1, 1, {0xC})})), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Concat({Record(1, 0, {0xA}), Record(1, 1, {0xC}), Record(2, 0, {0xB})}));
}

TEST_F(RecordsBuild, LengthFieldsHoldRecordLengthsAfterward) {
  ASSERT_EQ(Parse(Concat({Record(1, 0, {1, 2}), Record(2, 0)})), 0);
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(request_.groups->first->len, 6);
  EXPECT_EQ(request_.groups->next->first->len, 4);
  EXPECT_EQ(request_.groups->first->flags, 0u) << "no bit but the malformed one is ever set";
  const Bytes built = TakeBuilt();

  // With the data lengths put back, the list builds again, to the same bytes.
  request_.groups->first->len = 2;
  request_.groups->next->first->len = 0;
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), built);
  ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

TEST_F(RecordsBuild, LimitIsInclusiveAt65535) {
  // Two records: 4 + 32764 and 4 + 32763 = 65535.
  MakeList(2, 1);
  records_[0].len = 32764;
  records_[1].type = 2;
  records_[1].len = 32763;
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(request_.len, 65535);
  const Bytes built = TakeBuilt();
  EXPECT_EQ(built[2], 0x80);
  EXPECT_EQ(built[3], 0x00);
  EXPECT_EQ(built[32768], 2);
}

TEST_F(RecordsBuild, OneByteOverTheLimitChangesNothing) {
  MakeList(2, 1);
  records_[0].len = 32764;
  records_[1].len = 32764;
  uint8_t sentinel = 0;
  request_.buf = &sentinel;
  request_.len = 77;
  EXPECT_EQ(Call(SMFMT_BUILD), -1);
  EXPECT_EQ(request_.buf, &sentinel);
  EXPECT_EQ(request_.len, 77);
  EXPECT_EQ(records_[0].len, 32764);
  EXPECT_EQ(records_[0].flags, 0u);
  EXPECT_EQ(MemgetCalls(), 0u);
}

TEST_F(RecordsBuild, LongListStopsCountingAtTheLimit) {
  MakeList(1, 20000);  // 20000 * 4 bytes
  EXPECT_EQ(Call(SMFMT_BUILD), -1);
}

TEST_F(RecordsBuild, CallersListWithoutDataLeavesZeros) {
  MakeList(1, 2);
  records_[0] = SmfmtRecord{7, 1, 3, 0, 0, &records_[1], nullptr};
  uint8_t data[] = {0xDE, 0xAD};
  records_[1] = SmfmtRecord{7, 2, 2, 0, 0, nullptr, data};
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Concat({Record(7, 1, {0, 0, 0}), Record(7, 2, {0xDE, 0xAD})}));
}

TEST_F(RecordsBuild, GroupsNeedNotBeOnePerType) {
  MakeList(3, 1);
  records_[0].type = 1;
  records_[1].type = 2;
  records_[2].type = 1;
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Concat({Record(1, 0), Record(2, 0), Record(1, 0)}));
}

TEST_F(RecordsBuild, ListWithoutRecordsBuildsAnEmptyStream) {
  for (size_t groups : {0, 2}) {
    SCOPED_TRACE(groups);
    MakeList(groups, 0);
    request_.len = 9;
    ASSERT_EQ(Call(SMFMT_BUILD), 0);
    EXPECT_EQ(request_.len, 0);
    EXPECT_TRUE(TakeBuilt().empty());
  }
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

TEST_F(RecordsBuild, GroupsThatLoopAreRefused) {
  MakeList(3, 0);
  groups_[2].next = &groups_[1];
  uint8_t sentinel = 0;
  request_.buf = &sentinel;
  EXPECT_EQ(Call(SMFMT_BUILD), -1);
  EXPECT_EQ(request_.buf, &sentinel);
  EXPECT_EQ(MemgetCalls(), 0u);
}

TEST_F(RecordsBuild, GroupWithoutRecordsIsSkipped) {
  MakeList(3, 1);
  groups_[1].first = nullptr;
  records_[2].type = 9;
  ASSERT_EQ(Call(SMFMT_BUILD), 0);
  EXPECT_EQ(TakeBuilt(), Concat({Record(0, 0), Record(9, 0)}));
}

}  // namespace
