#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "trace/text_format.h"

namespace {

using libdevavu::trace::FormatAddress;
using libdevavu::trace::FormatHexLine;
using libdevavu::trace::kHexLineMax;

TEST(HexLine, ColumnsAndPrintableRange) {
  const struct {
    std::vector<uint8_t> bytes;
    std::string line;
  } cases[] = {
      {{}, "                                            <  >\n"},
      {{0x41}, "    41                                      < A >\n"},
      // Printable runs from blank to close brace.
      {{0x41, 0x7E, 0x0A, 0xC1, 0x20, 0x7D, 0x7F, 0x1F},
       "    417E0AC1 207D7F1F                       < A... }.. >\n"},
      {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q'},
       "    61626364 65666768 696A6B6C 6D6E6F70     < abcdefghijklmnop >\n"},
  };
  for (const auto& c : cases) {
    char out[kHexLineMax];
    EXPECT_EQ(std::string(out, FormatHexLine(c.bytes.data(), c.bytes.size(), out)), c.line);
  }
  EXPECT_EQ(kHexLineMax, 65u);
}

TEST(Address, UpperCaseAtLeastEightDigitsNoPrefix) {
  const struct {
    uintptr_t value;
    const char* text;
  } cases[] = {{0, "00000000"}, {0xabc, "00000ABC"}, {0xFFFFFFFF, "FFFFFFFF"},
               {sizeof(void*) == 8 ? uintptr_t(0x7F12345678) : 0x7F123456,
                sizeof(void*) == 8 ? "7F12345678" : "7F123456"}};
  for (const auto& c : cases) {
    char out[libdevavu::trace::kAddressTextMax];
    FormatAddress(reinterpret_cast<void*>(c.value), out);
    EXPECT_STREQ(out, c.text);
  }
}

}  // namespace
