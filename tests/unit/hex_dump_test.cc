#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devavu.h"

namespace {

// Standard output goes to a temporary file while the capture lives. The
// text is read without flushing stdout here: QXFormatData must have done it.
class StdoutCapture {
 public:
  StdoutCapture() {
    std::fflush(stdout);
    file_ = std::tmpfile();
    saved_ = dup(STDOUT_FILENO);
    dup2(fileno(file_), STDOUT_FILENO);
  }
  ~StdoutCapture() {
    Restore();
    std::fclose(file_);
  }

  std::string Text() {
    std::string text;
    std::rewind(file_);
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file_)) > 0;) text.append(chunk, n);
    return text;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    saved_ = -1;
  }

  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

std::string Dump(const void* data, uint16_t length) {
  StdoutCapture capture;
  QXFormatData(data, length);
  return capture.Text();
}

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

// The expected line for bytes [from, from + count) of Counting(), written out
// the long way.
std::string CountingLine(size_t from, size_t count) {
  std::string line = "    ";
  char hex[3];
  for (size_t i = 0; i < 16; ++i) {
    if (i < count) {
      std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>((from + i) & 0xFF));
      line += hex;
    } else {
      line += "  ";
    }
    if (i % 4 == 3) line += ' ';
  }
  line += "    < ";
  for (size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>((from + i) & 0xFF);
    line += (c >= 0x20 && c <= 0x7D) ? static_cast<char>(c) : '.';
  }
  return line + " >\n";
}

const std::string kEmptyLine = "    " + std::string(36, ' ') + "    <  >\n";

TEST(HexDump, NullDataWritesNothing) { EXPECT_EQ(Dump(nullptr, 100), ""); }

TEST(HexDump, LengthZeroWritesOneEmptyLine) {
  const uint8_t byte = 0x41;
  EXPECT_EQ(Dump(&byte, 0), kEmptyLine);
}

TEST(HexDump, OneByte) {
  const uint8_t byte = 0x41;
  EXPECT_EQ(Dump(&byte, 1),
            "    41                                      < A >\n");
}

TEST(HexDump, FifteenSixteenAndSeventeenBytes) {
  const auto bytes = Counting(17);
  EXPECT_EQ(Dump(bytes.data(), 15), CountingLine(0, 15));
  EXPECT_EQ(Dump(bytes.data(), 16),
            "    00010203 04050607 08090A0B 0C0D0E0F     < ................ >\n");
  EXPECT_EQ(Dump(bytes.data(), 17),
            CountingLine(0, 16) +
                "    10                                      < . >\n");
}

TEST(HexDump, CharacterClasses) {
  const uint8_t bytes[] = {0x41, 0x7E, 0x0A, 0xC1, 0x1F, 0x20, 0x7D, 0x7F, 0x80, 0xFF, 0x00};
  EXPECT_EQ(Dump(bytes, sizeof bytes),
            "    417E0AC1 1F207D7F 80FF00                < A.... }.... >\n");
}

TEST(HexDump, LongestAreaEndsAtItsLastByte) {
  const auto bytes = Counting(65536);
  const std::string text = Dump(bytes.data(), 65535);
  std::string expected;
  for (size_t from = 0; from < 65520; from += 16) expected += CountingLine(from, 16);
  expected += CountingLine(65520, 15);
  EXPECT_EQ(text.size(), 4095u * 65 + 64);
  EXPECT_EQ(text, expected);
}

}  // namespace
