#include <gtest/gtest.h>

#include <string>

#include "component_table.h"
#include "trace_settings.h"

namespace virarudi {
namespace {

TEST(ComponentTableTest, SlotsInOrderOfFirstAttachForGood) {
  const TraceSettings settings = TraceSettings::Parse("ORVESVC=0x40,APP=0xC0");
  ComponentTable table;
  const auto first = table.Attach("ORVESVC", settings);
  table.Detach("ORVESVC");
  table.Detach("NEVER-ATTACHED");
  const auto second = table.Attach("app", settings);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->error_id_base, 0x100000u);
  EXPECT_EQ(first->attach_word, 1u);
  EXPECT_EQ(*first->flags, 0x40);
  EXPECT_EQ(second->error_id_base, 0x200000u) << "a detached name keeps its slot";
  EXPECT_EQ(*second->flags, 0) << "names are case-sensitive";
  *first->flags = 0x55;  // components may test their byte at any time
  for (uint32_t i = 2; i < ComponentTable::kMaxComponents; ++i) {
    ASSERT_TRUE(table.Attach("C" + std::to_string(i), settings)) << i;
  }
  EXPECT_FALSE(table.Attach("ONE-TOO-MANY", settings)) << "no base is left";
  const auto again = table.Attach("ORVESVC", settings);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->flags, first->flags) << "the byte stays where it is while the table grows";
  EXPECT_EQ(*again->flags, 0x55);
  EXPECT_EQ(again->error_id_base, 0x100000u);
  EXPECT_EQ(table.Attach("C4094", settings)->error_id_base, 0xFFF00000u);
}

}  // namespace
}  // namespace virarudi
