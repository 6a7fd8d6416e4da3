#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "trace/text_format.h"

namespace {

using libdevavu::trace::FormatAddress;
using libdevavu::trace::FormatHexLine;
using libdevavu::trace::kHexLineMax;

std::string Line(const std::vector<uint8_t>& bytes) {
  char out[kHexLineMax];
  return std::string(out, FormatHexLine(bytes.data(), bytes.size(), out));
}

TEST(HexLine, FullLineHasItsColumns) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<uint8_t>('a' + i));
  const std::string line = Line(bytes);
  EXPECT_EQ(line,
            "    61626364 65666768 696A6B6C 6D6E6F70     < abcdefghijklmnop >\n");
  EXPECT_EQ(line.size(), 65u);
  EXPECT_EQ(line.size(), kHexLineMax);
}

TEST(HexLine, EmptyLineKeepsTheColumns) {
  EXPECT_EQ(Line({}), "    " "         " "         " "         " "         " "    < " " >\n");
  EXPECT_EQ(Line({}).find('<'), Line(std::vector<uint8_t>(16, 0)).find('<'));
}

TEST(HexLine, ShortLineKeepsTheColumns) {
  EXPECT_EQ(Line({0x41}), "    " "41       " "         " "         " "         " "    < A >\n");
}

TEST(HexLine, PrintableRangeEndsAtCloseBrace) {
  EXPECT_EQ(Line({0x41, 0x7E, 0x0A, 0xC1, 0x20, 0x7D, 0x7F, 0x1F}),
            "    " "417E0AC1 " "207D7F1F " "         " "         " "    < A... }.. >\n");
}

TEST(Address, UpperCaseAtLeastEightDigitsNoPrefix) {
  char out[libdevavu::trace::kAddressTextMax];
  FormatAddress(nullptr, out);
  EXPECT_STREQ(out, "00000000");
  FormatAddress(reinterpret_cast<void*>(uintptr_t{0xabc}), out);
  EXPECT_STREQ(out, "00000ABC");
  FormatAddress(reinterpret_cast<void*>(uintptr_t{0xFFFFFFFF}), out);
  EXPECT_STREQ(out, "FFFFFFFF");
  if (sizeof(void*) == 8) {
    FormatAddress(reinterpret_cast<void*>(uintptr_t{0x7F12345678}), out);
    EXPECT_STREQ(out, "7F12345678");
  }
}

}  // namespace
