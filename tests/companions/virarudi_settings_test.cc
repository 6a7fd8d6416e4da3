// The flags of each component: QRXTRACE read, and the table of the
// components attached.
#include <gtest/gtest.h>

#include <string>

#include "component_table.h"
#include "trace_settings.h"

namespace virarudi {
namespace {

TEST(TraceSettingsTest, FlagsOfEachComponent) {
  const struct {
    const char* text;
    std::vector<std::pair<const char*, uint8_t>> flags;
  } cases[] = {
      {nullptr, {{"ORVESVC", 0}}},
      {"   ", {{"ORVESVC", 0}}},
      {"ORVESVC=0x40,APP=0xC0,*=0", {{"ORVESVC", 0x40}, {"APP", 0xC0}, {"OTHER", 0}}},
      {"*=0x40,APP=0", {{"ORVESVC", 0x40}, {"APP", 0}, {"", 0x40}}},
      {"app=0x40", {{"APP", 0}, {"app", 0x40}}},
      {"A=192,B=0XfF,C=010,D=0,E=255,F=0x0", {{"A", 192}, {"B", 255}, {"C", 8}, {"F", 0}}},
      {" ORVESVC = 0x40 ,\t* =3 ", {{"ORVESVC", 0x40}, {"APP", 3}}},
      {"APP=1,*=2,APP=0x80,*=4", {{"APP", 0x80}, {"X", 4}}},  // the last value counts
  };
  for (const auto& c : cases) {
    const TraceSettings settings = TraceSettings::Parse(c.text);
    EXPECT_EQ(settings.error(), "") << c.text;
    for (auto [name, flags] : c.flags) EXPECT_EQ(settings.FlagsFor(name), flags) << c.text;
  }
}

// A bad item is reported and the whole setting ignored.
TEST(TraceSettingsTest, BadSettingIsReportedAndIgnoredWhole) {
  const std::pair<const char*, const char*> cases[] = {
      {"APP=256", "256"}, {"APP=0x100", "0x100"}, {"APP=99999999999999999999", "9999999999"},
      {"APP=-1", "-1"},   {"APP=12z", "12z"},     {"APP=0x", "0x"},
      {"APP=08", "08"},   {"APP=1 2", "1 2"},     {"APP=", "APP"},
      {"=5", "no name"},  {"APP", "APP"},         {",*=0x40", "empty"},
      {"*=0x40,", "empty"}};
  for (auto [bad, named] : cases) {
    const std::string text = std::string("ORVESVC=0x40,") + bad;
    const TraceSettings settings = TraceSettings::Parse(text.c_str());
    EXPECT_NE(settings.error().find(named), std::string::npos) << bad << ": " << settings.error();
    EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0) << bad;
  }
}

// A name keeps its slot for good, in order of its first attachment, and its
// flags byte stays where it is while the table grows.
TEST(ComponentTableTest, SlotsInOrderOfFirstAttachForGood) {
  const TraceSettings settings = TraceSettings::Parse("ORVESVC=0x40,APP=0xC0");
  ComponentTable table;
  const auto first = table.Attach("ORVESVC", settings);
  table.Detach("ORVESVC");
  table.Detach("NEVER-ATTACHED");
  const auto second = table.Attach("app", settings);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->error_id_base, 0x100000u);
  EXPECT_EQ(second->error_id_base, 0x200000u);
  EXPECT_EQ(*second->flags, 0) << "names are case-sensitive";
  for (uint32_t i = 2; i < ComponentTable::kMaxComponents; ++i) {
    ASSERT_TRUE(table.Attach("C" + std::to_string(i), settings)) << i;
  }
  EXPECT_FALSE(table.Attach("ONE-TOO-MANY", settings)) << "no base is left";
  const auto again = table.Attach("ORVESVC", settings);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->flags, first->flags);
  EXPECT_EQ(again->error_id_base, 0x100000u);
  EXPECT_EQ(table.Attach("C4094", settings)->error_id_base, 0xFFF00000u);
}

}  // namespace
}  // namespace virarudi
