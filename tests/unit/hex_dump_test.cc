// QXFormatData writes its lines to standard output and flushes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "devavu.h"

namespace {

// What QXFormatData wrote, read without flushing stdout here.
std::string Dump(const void* data, uint16_t length) {
  std::fflush(stdout);
  std::FILE* file = std::tmpfile();
  const int saved = dup(STDOUT_FILENO);
  dup2(fileno(file), STDOUT_FILENO);
  QXFormatData(data, length);
  std::string text;
  std::rewind(file);
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::fclose(file);
  return text;
}

TEST(HexDump, OneLinePerSixteenBytes) {
  const std::vector<uint8_t> bytes(65535, 0x41);
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
