#include <gtest/gtest.h>

#include <string>

#include "record_format.h"

namespace virarudi {
namespace {

const RecordStamp kStamp{{2026, 12, 6, 3, 4, 5}, 23, 12345};
const std::string kHeader = "2026-12-06 03:04:05.023 [12345] ";
const char kSeventeenBytes[] = "0123456789ABCDEFG";
const std::string kSeventeenBytesDump =
    "    30313233 34353637 38394142 43444546     < 0123456789ABCDEF >\n"
    "    47                                      < G >\n";

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
      {"X", "APP", "f", kSeventeenBytes, 0, "APP      X            f\n"},
      // Only the low 16 bits of the length word count.
      {"X", "APP", "f", kSeventeenBytes, 0x10011,
       "APP      X            f\n" + kSeventeenBytesDump},
  };
  for (const auto& c : cases) {
    const LogTraceRequest request{c.label, c.component, c.text, c.data, c.length};
    EXPECT_EQ(FormatTraceRecord(kStamp, request), kHeader + c.record);
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
