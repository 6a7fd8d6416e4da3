// The trace library's parts: QRXTRACE read, the table of the components
// attached, and the lines of a record.
#include <gtest/gtest.h>

#include <string>

#include "component_table.h"
#include "record_format.h"
#include "trace_settings.h"

namespace virarudi {
namespace {

TEST(TraceSettingsTest, FlagsOfEachComponent) {
  const struct {
    const char* text;
    std::vector<std::pair<const char*, uint8_t>> flags;
  } cases[] = {
      {nullptr, {{"ORVESVC", 0}}},
      {"ORVESVC=0x40,APP=0xC0,*=0", {{"ORVESVC", 0x40}, {"APP", 0xC0}, {"OTHER", 0}}},
      {"*=0x40,APP=0", {{"ORVESVC", 0x40}, {"APP", 0}, {"", 0x40}}},
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
      {"APP=256", "256"}, {"APP=99999999999999999999", "9999999999"},
      {"APP=-1", "-1"},   {"APP=12z", "12z"},
      {"APP=08", "08"},   {"APP", "APP"},
      {"=5", "no name"},  {",*=0x40", "empty"}};
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
  EXPECT_TRUE(again && again->flags == first->flags && again->error_id_base == 0x100000u);
  EXPECT_EQ(table.Attach("C4094", settings)->error_id_base, 0xFFF00000u);
}

const RecordStamp kStamp{{2026, 12, 6, 3, 4, 5}, 23, 12345};
const std::string kHeader = "2026-12-06 03:04:05.023 [12345] ";
const char kData[] = "0123";
const std::string kLongText(2000, 't');

TEST(TraceRecordTest, Lines) {
  const struct {
    const char *label, *component, *text;
    const void* data;
    DvWord length;
    std::string record;
  } cases[] = {
      {"FUNC CALL", "ORVESVC", "devavu_init2", nullptr, 0, "ORVESVC  FUNC CALL    devavu_init2\n"},
      {"DEBUG INFO ", "ORVESVC", "woken up\n", nullptr, 0, "ORVESVC  DEBUG INFO   woken up\n"},
      {"DEBUG INFO ", "ORVESVC", nullptr, nullptr, 0, "ORVESVC  DEBUG INFO \n"},
      {"A-LABEL-OF-14C", "LONGCOMPONENT", "t", nullptr, 0, "LONGCOMPONENT A-LABEL-OF-14C t\n"},
      {nullptr, nullptr, "t", nullptr, 0, "-        -            t\n"},
      {"X", "APP", "f", nullptr, 17, "APP      X            f\n"},
      {"X", "APP", "f", kData, 0, "APP      X            f\n"},
      {"X", "APP", kLongText.c_str(), nullptr, 0, "APP      X            " + kLongText + "\n"},
      // Only the low 16 bits of the length word count.
      {"X", "APP", "f", kData, 0x10003,
       "APP      X            f\n    303132                                  < 012 >\n"},
  };
  for (const auto& c : cases) {
    const LogTraceRequest request{c.label, c.component, c.text, c.data, c.length};
    RecordRoom room;
    EXPECT_EQ(FormatTraceRecord(kStamp, request, room), kHeader + c.record);
  }
}

TEST(ErrorRecordTest, Lines) {
  LogErrorRequest request{"ORVESVC", 0xFFF00ABC, 0x1234ABCD, 65535, 4294967295u,
                          0xDEADBEEF, 17, nullptr, "QRX0002E", {0xA, 0x7FFFFFFF}};
  const std::string line =
      "ORVESVC  ERROR QRX0002E msg=4294967295 id=FFF00ABC code=DEADBEEF "
      "object=1234ABCD option=65535 extra=0000000A,7FFFFFFF\n";
  EXPECT_EQ(FormatErrorRecord(kStamp, request), kHeader + line) << "no data, no dump";
  request.data_length = 0;
  request.data = "disk";
  EXPECT_EQ(FormatErrorRecord(kStamp, request),
            kHeader + line + "    6469736B                                < disk >\n")
      << "length 0: the terminated text";
}

}  // namespace
}  // namespace virarudi
