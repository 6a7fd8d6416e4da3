#include <gtest/gtest.h>

#include <string>

#include "component_table.h"
#include "trace_settings.h"

namespace virarudi {
namespace {

class ComponentTableTest : public testing::Test {
 protected:
  const TraceSettings settings_ = TraceSettings::Parse("ORVESVC=0x40,APP=0xC0");
  ComponentTable table_;
};

TEST_F(ComponentTableTest, SlotsFollowTheOrderOfFirstAttach) {
  const auto first = table_.Attach("ORVESVC", settings_);
  const auto second = table_.Attach("APP", settings_);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->error_id_base, 0x100000u);
  EXPECT_EQ(first->attach_word, 1u);
  EXPECT_EQ(*first->flags, 0x40);
  EXPECT_EQ(second->error_id_base, 0x200000u);
  EXPECT_EQ(second->attach_word, 2u);
  EXPECT_EQ(*second->flags, 0xC0);
}

TEST_F(ComponentTableTest, AttachingAgainGivesTheSameByteAndBase) {
  const auto first = table_.Attach("ORVESVC", settings_);
  table_.Attach("APP", settings_);
  const auto again = table_.Attach("ORVESVC", settings_);
  ASSERT_TRUE(first && again);
  EXPECT_EQ(again->flags, first->flags);
  EXPECT_EQ(again->error_id_base, first->error_id_base);
  EXPECT_EQ(again->attach_word, first->attach_word);
}

TEST_F(ComponentTableTest, NamesDifferingInCaseAreDifferentComponents) {
  const auto upper = table_.Attach("APP", settings_);
  const auto lower = table_.Attach("app", settings_);
  ASSERT_TRUE(upper && lower);
  EXPECT_NE(upper->flags, lower->flags);
  EXPECT_EQ(*lower->flags, 0);
}

TEST_F(ComponentTableTest, FlagsByteStaysWhereItIsWhileTheTableGrows) {
  const auto first = table_.Attach("ORVESVC", settings_);
  ASSERT_TRUE(first);
  for (int i = 0; i < 1000; ++i) table_.Attach("C" + std::to_string(i), settings_);
  *first->flags = 0x55;  // components may test it at any time
  const auto again = table_.Attach("ORVESVC", settings_);
  EXPECT_EQ(again->flags, first->flags);
  EXPECT_EQ(*again->flags, 0x55);
}

TEST_F(ComponentTableTest, DetachedComponentKeepsItsSlotAndByte) {
  const auto first = table_.Attach("ORVESVC", settings_);
  table_.Detach("ORVESVC");
  table_.Detach("ORVESVC");
  table_.Detach("NEVER-ATTACHED");
  const auto second = table_.Attach("APP", settings_);
  const auto again = table_.Attach("ORVESVC", settings_);
  ASSERT_TRUE(first && second && again);
  EXPECT_EQ(again->flags, first->flags);
  EXPECT_EQ(again->error_id_base, 0x100000u);
  EXPECT_EQ(second->error_id_base, 0x200000u);
}

TEST_F(ComponentTableTest, RefusesANewNameWhenNoBaseIsLeft) {
  for (uint32_t i = 0; i < ComponentTable::kMaxComponents; ++i) {
    const auto attachment = table_.Attach("C" + std::to_string(i), settings_);
    ASSERT_TRUE(attachment) << i;
    ASSERT_EQ(attachment->error_id_base, (i + 1) << 20);
  }
  EXPECT_FALSE(table_.Attach("ONE-TOO-MANY", settings_));
  const auto known = table_.Attach("C4094", settings_);
  ASSERT_TRUE(known);
  EXPECT_EQ(known->error_id_base, 0xFFF00000u);
}

}  // namespace
}  // namespace virarudi
