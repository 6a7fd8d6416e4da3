#include <gtest/gtest.h>

#include "records_test_support.h"

namespace {

using Groups = std::vector<std::vector<RecordView>>;

class RecordsParse : public RecordsTest {};

TEST_F(RecordsParse, HeaderOnlyRecordHasNoData) {
  ASSERT_EQ(Parse(Record(5, 9)), 0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(5, 9)}}));
  EXPECT_EQ(request_.groups->first->data, nullptr);
  EXPECT_EQ(request_.seen_types, 0x010u);
  EXPECT_EQ(request_.repeated_types, 0u);
}

TEST_F(RecordsParse, GroupsByFirstAppearanceKeepingStreamOrder) {
  ASSERT_EQ(Parse(Concat({Record(2, 1, {0xAA}), Record(1, 2, {0xBB, 0xCC}), Record(2, 3),
                          Record(1, 4, {0xDD})})),
            0);
  EXPECT_EQ(ListOf(request_.groups),
            (Groups{{Parsed(2, 1, {0xAA}), Parsed(2, 3)},
                    {Parsed(1, 2, {0xBB, 0xCC}), Parsed(1, 4, {0xDD})}}));
  EXPECT_EQ(request_.seen_types, 0x003u);
  EXPECT_EQ(request_.repeated_types, 0x003u);
}

TEST_F(RecordsParse, OneBitPerTypeFromOneToEleven) {
  const uint32_t expected[] = {0x001, 0x002, 0x004, 0x008, 0x010, 0x020,
                               0x040, 0x080, 0x100, 0x200, 0x800};
  for (uint8_t type = 1; type <= 11; ++type) {
    SCOPED_TRACE(type);
    ASSERT_EQ(Parse(Concat({Record(type, 0), Record(type, 1)})), 0);
    EXPECT_EQ(request_.seen_types, expected[type - 1]);
    EXPECT_EQ(request_.repeated_types, expected[type - 1]);
    ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  }
}

TEST_F(RecordsParse, TypeZeroAndTwelveUpShareOneBit) {
  for (int type : {0, 12, 13, 200, 255}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(Parse(Record(static_cast<uint8_t>(type), 0)), 0);
    EXPECT_EQ(request_.seen_types, 0x400u);
    ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  }
}

TEST_F(RecordsParse, SameSharedTypeTwiceIsOneGroup) {
  ASSERT_EQ(Parse(Concat({Record(12, 0, {1}), Record(12, 1, {2})})), 0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(12, 0, {1}), Parsed(12, 1, {2})}}));
  EXPECT_EQ(request_.seen_types, 0x400u);
  EXPECT_EQ(request_.repeated_types, 0x400u);
}

TEST_F(RecordsParse, SecondSharedTypeIsLeftOutAndTakesNoMemory) {
  ASSERT_EQ(Parse(Concat({Record(12, 0, {1}), Record(13, 0, {2, 3}), Record(0, 0),
                          Record(12, 7)})),
            0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(12, 0, {1}), Parsed(12, 7)}}));
  EXPECT_EQ(request_.seen_types, 0x400u);
  EXPECT_EQ(request_.repeated_types, 0x400u);
  // Group, two records and one data block.
  EXPECT_EQ(fakes::LiveBlocks(), 4u);
}

TEST_F(RecordsParse, TypeElevenIsNotInTheSharedClass) {
  ASSERT_EQ(Parse(Concat({Record(11, 0), Record(12, 0), Record(11, 1)})), 0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(11, 0), Parsed(11, 1)}, {Parsed(12, 0)}}));
  EXPECT_EQ(request_.seen_types, 0xC00u);
  EXPECT_EQ(request_.repeated_types, 0x800u);
}

TEST_F(RecordsParse, HeaderLengthBelowFourIsMalformedAndLast) {
  for (uint8_t length = 0; length < 4; ++length) {
    SCOPED_TRACE(length);
    const Bytes bad{3, 8, 0, length, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(Parse(Concat({Record(3, 1, {0x11}), Record(4, 0), bad, Record(3, 2)})), -1);
    EXPECT_EQ(ListOf(request_.groups),
              (Groups{{Parsed(3, 1, {0x11}), Malformed(3, 8, length)}, {Parsed(4, 0)}}));
    EXPECT_EQ(request_.seen_types, 0x00Cu);
    EXPECT_EQ(request_.repeated_types, 0x004u);
    ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
}

TEST_F(RecordsParse, RecordLongerThanTheRestIsMalformed) {
  Bytes stream = Concat({Record(1, 0, {1, 2}), Record(2, 5, {7, 7, 7})});
  stream.pop_back();  // the last record claims 7 bytes, 6 are left
  ASSERT_EQ(Parse(stream), -1);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(1, 0, {1, 2})}, {Malformed(2, 5, 7)}}));
}

TEST_F(RecordsParse, RecordFillingExactlyTheRestIsWellFormed) {
  ASSERT_EQ(Parse(Record(2, 5, Bytes(65531, 0x5A))), 0);
  EXPECT_EQ(request_.groups->first->len, 65531);
}

TEST_F(RecordsParse, StrayBytesAtTheEndAreAMalformedRecord) {
  const Bytes tails[] = {{7}, {7, 9}, {7, 9, 0x01}};
  for (const Bytes& tail : tails) {
    SCOPED_TRACE(tail.size());
    ASSERT_EQ(Parse(Concat({Record(7, 0, {1}), tail})), -1);
    const uint8_t subtype = tail.size() > 1 ? tail[1] : 0;
    const uint16_t length = tail.size() > 2 ? static_cast<uint16_t>(tail[2] << 8) : 0;
    EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(7, 0, {1}), Malformed(7, subtype, length)}}));
    ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  }
}

TEST_F(RecordsParse, MalformedRecordOfASecondSharedTypeIsLeftOut) {
  ASSERT_EQ(Parse(Concat({Record(12, 0), Bytes{13, 0, 0, 2}})), -1);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(12, 0)}}));
  EXPECT_EQ(request_.repeated_types, 0x400u);
}

TEST_F(RecordsParse, EmptyStreamGivesAnEmptyList) {
  const Bytes some{1, 0, 0, 4};
  for (int32_t length : {0, -1, INT32_MIN}) {
    SCOPED_TRACE(length);
    request_.seen_types = request_.repeated_types = 0xFFFF;
    request_.buf = const_cast<uint8_t*>(some.data());
    request_.len = length;
    EXPECT_EQ(Call(SMFMT_PARSE), 0);
    EXPECT_EQ(request_.groups, nullptr);
    EXPECT_EQ(request_.seen_types, 0u);
    EXPECT_EQ(request_.repeated_types, 0u);
  }
  EXPECT_EQ(MemgetCalls(), 0u);
}

TEST_F(RecordsParse, NoStreamChangesNothing) {
  SmfmtGroup marker{};
  request_.groups = &marker;
  request_.seen_types = 5;
  request_.repeated_types = 6;
  request_.len = 4;
  EXPECT_EQ(Call(SMFMT_PARSE), -1);
  EXPECT_EQ(request_.groups, &marker);
  EXPECT_EQ(request_.seen_types, 5u);
  EXPECT_EQ(request_.repeated_types, 6u);
}

// A request block is reused after a release: the stale list pointer left
// there is never read.
TEST_F(RecordsParse, StartsANewListWhateverGroupsHolds) {
  ASSERT_EQ(Parse(Record(1, 0, {1})), 0);
  ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  ASSERT_NE(request_.groups, nullptr);
  ASSERT_EQ(Parse(Record(2, 0, {2})), 0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(2, 0, {2})}}));

  ASSERT_EQ(Call(SMFMT_FREE_LIST), 0);
  request_.groups = reinterpret_cast<SmfmtGroup*>(uintptr_t{0x10});
  request_.len = 0;
  ASSERT_EQ(Call(SMFMT_PARSE), 0);
  EXPECT_EQ(request_.groups, nullptr);
}

TEST_F(RecordsParse, DataIsACopyOfTheStream) {
  ASSERT_EQ(Parse(Record(1, 0, {1, 2, 3})), 0);
  stream_.assign(stream_.size(), 0);
  EXPECT_EQ(ListOf(request_.groups), (Groups{{Parsed(1, 0, {1, 2, 3})}}));
}

TEST_F(RecordsParse, UnknownOperationsAndNoRequestFail) {
  for (uint16_t op : {4, 5, 0xFFFF}) EXPECT_EQ(Call(op), -1);
  EXPECT_EQ(QXSMFMT(nullptr), -1);
}

TEST_F(RecordsParse, ReleasingNoListFails) {
  EXPECT_EQ(Call(SMFMT_FREE_LIST), -1);
}

}  // namespace
