// qrx dump and qrx records as a user runs them, against the real library:
// what qrx itself adds to the library's parse and build.
#include <gtest/gtest.h>

#include <string>

#include "shell_test.h"

namespace {

class QrxTest : public ShellTest {
 protected:
  Outcome Qrx(const std::string& args) const { return Run("'" QRX "' " + args); }
};

TEST_F(QrxTest, DumpWritesAlignedLinesAcrossChunksFromAFileOrStandardInput) {
  // Two chunks of the dump and a short end: 65520 + 65520 + 20 bytes.
  std::string bytes;
  std::string expected;
  for (size_t i = 0; i < 131060; ++i) bytes += static_cast<char>('A' + i % 16);
  for (size_t line = 0; line < 131060 / 16; ++line) {
    expected += "    41424344 45464748 494A4B4C 4D4E4F50     < ABCDEFGHIJKLMNOP >\n";
  }
  expected += "    41424344                                < ABCD >\n";
  Write("data.bin", bytes);
  for (const char* args : {"dump data.bin", "dump <data.bin"}) {
    const Outcome run = Qrx(args);
    EXPECT_EQ(run.exit_code, 0) << args << run.err;
    EXPECT_TRUE(run.out == expected) << args;
  }
  EXPECT_EQ(Qrx("dump missing.bin").err, "qrx dump: missing.bin: No such file or directory\n");
}

TEST_F(QrxTest, BuildThenListAStream) {
  Write("stream.txt",
        "# two types, the first one twice\n"
        "1 0 \"hi\"      # text\n"
        "2 0x10 00ff\n"
        "1 7\n");
  const Outcome built = Qrx("records --build stream.txt -o stream.bin");
  ASSERT_EQ(built.exit_code, 0) << built.err;
  EXPECT_EQ(built.out, "stream.bin: 3 records, 16 bytes\n");
  const Outcome listed = Qrx("records stream.bin");
  ASSERT_EQ(listed.exit_code, 0) << listed.err;
  EXPECT_EQ(listed.out,
            "stream.bin: 16 bytes; types seen 0x003, repeated 0x001\n"
            "group 1: type 1\n"
            "  record 1.1: type 1, subtype 0, length 2, flags 0x0\n"
            "    6869                                    < hi >\n"
            "  record 1.2: type 1, subtype 7, length 0, flags 0x0\n"
            "group 2: type 2\n"
            "  record 2.1: type 2, subtype 16, length 2, flags 0x0\n"
            "    00FF                                    < .. >\n");
}

TEST_F(QrxTest, ListReportsMalformedRecordsAndRecordsLeftOut) {
  const struct {
    std::string description;  // or raw bytes, when it starts with '!'
    int exit_code;
    std::string out, err;
  } cases[] = {
      {"3 0 aabb\n12 0\n13 0 \"left out\"\nraw 04 01 00 09 00 00\n", 1,
       "record 3.1: type 4, subtype 1, length 9, flags 0x1 (malformed)",
       "qrx records: s.bin: malformed record at offset 22: type 4, record length 9, "
       "only 6 bytes left\n"},
      {std::string("!\x05\x00\x00\x04\x05\x00", 7), 1, "",
       "qrx records: s.bin: malformed record at offset 4: 2 stray bytes at the end\n"},
      {"12 0\n0 0\nraw 0d 02 00 09 00\n", 1,
       "left out: type 13, subtype 2, length 9, flags 0x1 (malformed)\n"
       "2 records of a second type of 0 and 12 to 255 left out: that class has one group\n",
       "qrx records: s.bin: malformed record at offset 8: type 13, record length 9, "
       "only 5 bytes left\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    if (c.description[0] == '!') {
      Write("s.bin", c.description.substr(1));
    } else {
      Write("s.txt", c.description);
      ASSERT_EQ(Qrx("records --build s.txt -o s.bin").exit_code, 0);
    }
    const Outcome run = Qrx("records s.bin");
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_EQ(run.err, c.err);
  }
}

TEST_F(QrxTest, BuildErrorsNameFileAndLine) {
  const std::string full = "1 0 " + std::string(2 * 22000, 'a') + "\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"1 0\n300 0\n", "d.txt:2: type '300' is not a number from 0 to 255"},
      {"1 0 " + std::string(2 * 65532, 'a') + "\n",
       "d.txt:1: 65532 bytes of data; a record holds at most 65531"},
      {full + full + full, "d.txt: the records make 66012 bytes; a stream holds at most 65535"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    Write("d.txt", c.text);
    const Outcome run = Qrx("records --build d.txt -o d.bin");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "qrx records: " + c.error + "\n");
  }
}

TEST_F(QrxTest, UsageAndInputErrors) {
  for (const char* args : {"dump a b", "records", "records --build d.txt", "records x -o y"}) {
    EXPECT_EQ(Qrx(args).exit_code, 2) << args;
  }
  const Outcome endless = Qrx("records /dev/zero");
  EXPECT_EQ(endless.exit_code, 1);
  EXPECT_EQ(endless.err,
            "qrx records: /dev/zero: more than 16777216 bytes (16 MiB), the most it reads\n");
}

}  // namespace
