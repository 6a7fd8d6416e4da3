// Hex dump lines and addresses, and QXFormatData's dump of an area.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devavu.h"
#include "trace/text_format.h"

namespace {

using libdevavu::trace::kHexLineMax;

TEST(HexLine, ColumnsAndPrintableRange) {
  const struct {
    std::vector<uint8_t> bytes;
    std::string line;
  } cases[] = {
      {{}, "                                            <  >\n"},
      // Printable runs from blank to close brace.
      {{0x41, 0x7E, 0x0A, 0xC1, 0x20, 0x7D, 0x7F, 0x1F},
       "    417E0AC1 207D7F1F                       < A... }.. >\n"},
  };
  for (const auto& c : cases) {
    char out[kHexLineMax];
    const size_t size = libdevavu::trace::FormatHexLine(c.bytes.data(), c.bytes.size(), out);
    EXPECT_EQ(std::string(out, size), c.line);
  }
}

TEST(Address, UpperCaseAtLeastEightDigitsNoPrefix) {
  const struct {
    uintptr_t value;
    const char* text;
  } cases[] = {{0, "00000000"}, {0xabc, "00000ABC"}, {0xFFFFFFFF, "FFFFFFFF"},
               {sizeof(void*) == 8 ? uintptr_t(0x7F12345678) : 0x7F123456,
                sizeof(void*) == 8 ? "7F12345678" : "7F123456"}};
  for (const auto& c : cases) EXPECT_STREQ(libdevavu::trace::Address(c.value).text, c.text);
}

// What QXFormatData wrote to standard output: read from the file below
// stdio, so that only what it flushed is there.
std::string Dump(const void* data, uint16_t length) {
  std::fflush(stdout);
  std::FILE* file = std::tmpfile();
  const int saved = dup(STDOUT_FILENO);
  dup2(fileno(file), STDOUT_FILENO);
  QXFormatData(data, length);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::string text;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

TEST(HexDump, OneLinePerSixteenBytes) {
  const std::vector<uint8_t> bytes(65535, 'A');
  EXPECT_EQ(Dump(nullptr, 100), "");
  EXPECT_EQ(Dump(bytes.data(), 0), "                                            <  >\n");
  EXPECT_EQ(Dump(bytes.data(), 17),
            "    41414141 41414141 41414141 41414141     < AAAAAAAAAAAAAAAA >\n"
            "    41                                      < A >\n");
  const std::string longest = Dump(bytes.data(), 65535);
  EXPECT_EQ(longest.size(), 4095u * 65 + 64);
  EXPECT_EQ(longest.substr(longest.size() - 64),
            "    41414141 41414141 41414141 414141       < AAAAAAAAAAAAAAA >\n");
}

}  // namespace
