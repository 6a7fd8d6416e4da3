#include <gtest/gtest.h>

#include "trace_settings.h"

namespace virarudi {
namespace {

TEST(TraceSettingsTest, UnsetOrBlankTracesNothing) {
  for (const char* text : {static_cast<const char*>(nullptr), "", "   "}) {
    const TraceSettings settings = TraceSettings::Parse(text);
    EXPECT_TRUE(settings.error().empty());
    EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0);
  }
}

TEST(TraceSettingsTest, NamedComponentsAndDefault) {
  const TraceSettings settings = TraceSettings::Parse("ORVESVC=0x40,APP=0xC0,*=0");
  EXPECT_TRUE(settings.error().empty());
  EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0x40);
  EXPECT_EQ(settings.FlagsFor("APP"), 0xC0);
  EXPECT_EQ(settings.FlagsFor("OTHER"), 0);
}

TEST(TraceSettingsTest, StarGivesEveryUnnamedComponent) {
  const TraceSettings settings = TraceSettings::Parse("*=0x40,APP=0");
  EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0x40);
  EXPECT_EQ(settings.FlagsFor("APP"), 0);
  EXPECT_EQ(settings.FlagsFor(""), 0x40);
}

TEST(TraceSettingsTest, NamesAreCaseSensitive) {
  const TraceSettings settings = TraceSettings::Parse("app=0x40");
  EXPECT_EQ(settings.FlagsFor("APP"), 0);
  EXPECT_EQ(settings.FlagsFor("app"), 0x40);
}

TEST(TraceSettingsTest, ValuesInCIntegerSyntax) {
  const TraceSettings settings = TraceSettings::Parse("A=192,B=0XfF,C=010,D=0,E=255,F=0x0");
  EXPECT_TRUE(settings.error().empty()) << settings.error();
  EXPECT_EQ(settings.FlagsFor("A"), 192);
  EXPECT_EQ(settings.FlagsFor("B"), 255);
  EXPECT_EQ(settings.FlagsFor("C"), 8);
  EXPECT_EQ(settings.FlagsFor("D"), 0);
  EXPECT_EQ(settings.FlagsFor("E"), 255);
  EXPECT_EQ(settings.FlagsFor("F"), 0);
}

TEST(TraceSettingsTest, BlanksAroundNamesAndValues) {
  const TraceSettings settings = TraceSettings::Parse(" ORVESVC = 0x40 ,\t* =3 ");
  EXPECT_TRUE(settings.error().empty()) << settings.error();
  EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0x40);
  EXPECT_EQ(settings.FlagsFor("APP"), 3);
}

TEST(TraceSettingsTest, LastValueOfANameCounts) {
  const TraceSettings settings = TraceSettings::Parse("APP=1,*=2,APP=0x80,*=4");
  EXPECT_EQ(settings.FlagsFor("APP"), 0x80);
  EXPECT_EQ(settings.FlagsFor("X"), 4);
}

struct BadSetting {
  const char* text;
  const char* named_in_error;
};

class BadTraceSettingTest : public testing::TestWithParam<BadSetting> {};

TEST_P(BadTraceSettingTest, IsReportedAndIgnoredWhole) {
  const TraceSettings settings = TraceSettings::Parse(GetParam().text);
  EXPECT_NE(settings.error().find(GetParam().named_in_error), std::string::npos)
      << "error: " << settings.error();
  // Items before and after the bad one count for nothing either.
  EXPECT_EQ(settings.FlagsFor("ORVESVC"), 0);
  EXPECT_EQ(settings.FlagsFor("OTHER"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, BadTraceSettingTest,
    testing::Values(BadSetting{"ORVESVC=0x40,APP=256", "256"},
                    BadSetting{"ORVESVC=0x40,APP=0x100", "0x100"},
                    BadSetting{"ORVESVC=0x40,APP=99999999999999999999", "99999999999999999999"},
                    BadSetting{"ORVESVC=0x40,APP=-1", "-1"},
                    BadSetting{"ORVESVC=0x40,APP=12z", "12z"},
                    BadSetting{"ORVESVC=0x40,APP=0x", "0x"},
                    BadSetting{"ORVESVC=0x40,APP=08", "08"},
                    BadSetting{"ORVESVC=0x40,APP=1 2", "1 2"},
                    BadSetting{"ORVESVC=0x40,APP=", "APP"},
                    BadSetting{"ORVESVC=0x40,=5", "no name"},
                    BadSetting{"ORVESVC=0x40,APP", "APP"},
                    BadSetting{"ORVESVC=0x40,,*=0x40", "empty"},
                    BadSetting{"ORVESVC=0x40,*=0x40,", "empty"}));

}  // namespace
}  // namespace virarudi
