#include <gtest/gtest.h>

#include <string>

#include "record_format.h"

namespace virarudi {
namespace {

const RecordStamp kStamp{{2026, 12, 6, 3, 4, 5}, 123, 12345};
const std::string kHeader = "2026-12-06 03:04:05.123 [12345] ";

const char kSeventeenBytes[] = "0123456789ABCDEFG";
const std::string kSeventeenBytesDump =
    "    30313233 34353637 38394142 43444546     < 0123456789ABCDEF >\n"
    "    47                                      < G >\n";

LogTraceRequest Trace(const char* label, const char* component, const char* text) {
  LogTraceRequest request{};
  request.label = label;
  request.component_name = component;
  request.text = text;
  return request;
}

TEST(TraceRecordTest, HeaderLine) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("FUNC CALL", "ORVESVC", "devavu_init2")),
            kHeader + "ORVESVC  FUNC CALL    devavu_init2\n");
}

TEST(TraceRecordTest, StampFieldsAreZeroPadded) {
  const RecordStamp stamp{{2027, 1, 2, 0, 0, 9}, 7, 3};
  EXPECT_EQ(FormatTraceRecord(stamp, Trace("FUNC RET", "APP", "x")),
            "2027-01-02 00:00:09.007 [3] APP      FUNC RET     x\n");
}

TEST(TraceRecordTest, TrailingBlanksOfALabelAreKept) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("DEBUG INFO ", "ORVESVC", "value")),
            kHeader + "ORVESVC  DEBUG INFO   value\n");
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("PROV CALL   ", "ORVESVC", "value")),
            kHeader + "ORVESVC  PROV CALL    value\n");
}

TEST(TraceRecordTest, TextEndingItsOwnLineMakesNoEmptyLine) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("DEBUG INFO ", "ORVESVC", "woken up at 1f\n")),
            kHeader + "ORVESVC  DEBUG INFO   woken up at 1f\n");
}

TEST(TraceRecordTest, WithoutTextTheLineEndsWithTheLabelAsGiven) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("DEBUG INFO ", "ORVESVC", nullptr)),
            kHeader + "ORVESVC  DEBUG INFO \n");
}

TEST(TraceRecordTest, LongNamesAndLabelsPushTheColumns) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace("A-LABEL-OF-14C", "LONGCOMPONENT", "t")),
            kHeader + "LONGCOMPONENT A-LABEL-OF-14C t\n");
}

TEST(TraceRecordTest, NullNameAndLabelPrintAsDash) {
  EXPECT_EQ(FormatTraceRecord(kStamp, Trace(nullptr, nullptr, "t")),
            kHeader + "-        -            t\n");
}

TEST(TraceRecordTest, DataFollowsAsSixteenByteDumpLines) {
  LogTraceRequest request = Trace("===RECV====>", "ORVESVC", "frame");
  request.data = kSeventeenBytes;
  request.length = 17;
  EXPECT_EQ(FormatTraceRecord(kStamp, request),
            kHeader + "ORVESVC  ===RECV====> frame\n" + kSeventeenBytesDump);
}

TEST(TraceRecordTest, LengthIsTheLowSixteenBitsOfItsWord) {
  LogTraceRequest request = Trace("FUNC CALL", "ORVESVC", "f");
  request.data = kSeventeenBytes;
  request.length = 0x10011;
  EXPECT_EQ(FormatTraceRecord(kStamp, request),
            kHeader + "ORVESVC  FUNC CALL    f\n" + kSeventeenBytesDump);
}

TEST(TraceRecordTest, NoDumpWithoutDataOrLength) {
  LogTraceRequest request = Trace("FUNC CALL", "ORVESVC", "f");
  request.length = 17;
  EXPECT_EQ(FormatTraceRecord(kStamp, request), kHeader + "ORVESVC  FUNC CALL    f\n");
  request.data = kSeventeenBytes;
  request.length = 0;
  EXPECT_EQ(FormatTraceRecord(kStamp, request), kHeader + "ORVESVC  FUNC CALL    f\n");
}

LogErrorRequest Error() {
  LogErrorRequest request{};
  request.component_name = "ORVESVC";
  request.error_id = 0x121101;
  request.msg_no = 2;
  request.code = 0x10002;
  request.msg_id = "QRX0002E";
  return request;
}

TEST(ErrorRecordTest, HeaderLine) {
  EXPECT_EQ(FormatErrorRecord(kStamp, Error()),
            kHeader +
                "ORVESVC  ERROR QRX0002E msg=2 id=00121101 code=00010002 object=00000000 "
                "option=0 extra=00000000,00000000\n");
}

TEST(ErrorRecordTest, AllFields) {
  LogErrorRequest request = Error();
  request.error_id = 0xFFF00ABC;
  request.msg_no = 4294967295u;
  request.code = 0xDEADBEEF;
  request.object = 0x1234ABCD;
  request.log_option = 65535;
  request.extra[0] = 0xA;
  request.extra[1] = 0x7FFFFFFF;
  EXPECT_EQ(FormatErrorRecord(kStamp, request),
            kHeader +
                "ORVESVC  ERROR QRX0002E msg=4294967295 id=FFF00ABC code=DEADBEEF "
                "object=1234ABCD option=65535 extra=0000000A,7FFFFFFF\n");
}

TEST(ErrorRecordTest, NullNameAndMessageIdPrintAsDash) {
  LogErrorRequest request = Error();
  request.component_name = nullptr;
  request.msg_id = nullptr;
  EXPECT_EQ(FormatErrorRecord(kStamp, request).substr(kHeader.size(), 18),
            "-        ERROR - m");
}

TEST(ErrorRecordTest, DataOfItsLength) {
  LogErrorRequest request = Error();
  request.data = kSeventeenBytes;
  request.data_length = 17;
  const std::string record = FormatErrorRecord(kStamp, request);
  EXPECT_EQ(record.substr(record.find('\n') + 1), kSeventeenBytesDump);
}

TEST(ErrorRecordTest, LengthZeroDumpsTheTerminatedText) {
  LogErrorRequest request = Error();
  request.data = "disk full";
  const std::string record = FormatErrorRecord(kStamp, request);
  EXPECT_EQ(record.substr(record.find('\n') + 1),
            "    6469736B 2066756C 6C                    < disk full >\n");
}

TEST(ErrorRecordTest, NoDumpWithoutData) {
  LogErrorRequest request = Error();
  request.data_length = 17;
  const std::string record = FormatErrorRecord(kStamp, request);
  EXPECT_EQ(record.find('\n'), record.size() - 1);
}

TEST(AttachRecordTest, Lines) {
  EXPECT_EQ(FormatAttachRecord(kStamp, "ORVESVC", 0x100000, 0x40),
            kHeader + "ORVESVC  ATTACH base=00100000 flags=40\n");
  EXPECT_EQ(FormatAttachRecord(kStamp, "APP", 0xFFF00000, 0x0C),
            kHeader + "APP      ATTACH base=FFF00000 flags=0C\n");
  EXPECT_EQ(FormatDetachRecord(kStamp, "ORVESVC"), kHeader + "ORVESVC  DETACH\n");
}

}  // namespace
}  // namespace virarudi
