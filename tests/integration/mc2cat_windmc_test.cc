// The .mc reader against windmc: for every .mc file of tests/data/mc, each
// language windmc makes a message table for holds the texts the reader gives
// (windmc keeps CR LF in a text; the reader ends each line with LF).
#include <cstdio>
#include <filesystem>
#include <map>

#include "formats/little_endian.h"
#include "formats/utf16.h"
#include "mc_file.h"
#include "shell_test.h"

namespace {

namespace fs = std::filesystem;
using Table = std::map<uint32_t, std::string>;  // identifier -> UTF-8 text, LF line ends

// A message table resource: blocks of identifiers, each entry a 16-bit
// length (the entry's own 4 bytes and padding included), 16-bit flags (1:
// UTF-16, as windmc writes each) and the NUL-padded text.
Table ReadMessageTable(const std::string& bin) {
  using libdevavu::formats::GetLe;
  using libdevavu::formats::Utf16LeToUtf8;
  Table table;
  const auto* data = reinterpret_cast<const uint8_t*>(bin.data());
  for (uint32_t block = 0; block < GetLe(data, 0, 4); ++block) {
    const uint8_t* entry = data + 4 + 12 * block;
    for (size_t id = GetLe(entry, 0, 4), at = GetLe(entry, 8, 4); id <= GetLe(entry, 4, 4);
         ++id, at += GetLe(data, at, 2)) {
      std::string text = Utf16LeToUtf8(bin.substr(at + 4, GetLe(data, at, 2) - 4));
      text.erase(text.find_last_not_of('\0') + 1);
      for (size_t cr; (cr = text.find("\r\n")) != std::string::npos;) text.erase(cr, 1);
      table[static_cast<uint32_t>(id)] = text;
    }
  }
  return table;
}

using McFileAgainstWindmc = ShellTest;

TEST_F(McFileAgainstWindmc, EachLanguageHoldsTheTextsOfWindmcsMessageTable) {
  if (std::string(WINDMC).empty()) {
    GTEST_SKIP() << "x86_64-w64-mingw32-windmc (binutils-mingw-w64-x86-64) is not installed: "
                    "the .mc reader is not compared with windmc";
  }
  for (const auto& source : fs::directory_iterator(MC_DATA_DIR)) {
    const std::string stem = source.path().stem().string();
    SCOPED_TRACE(stem);
    const std::string content = ReadFile(source.path());
    ASSERT_EQ(Run(WINDMC " -C 65001 '" + source.path().string() + "'").exit_code, 0);
    // "LANGUAGE 0x7, 0x1" then "1 MESSAGETABLE "MSG00407.bin"" in the .rc.
    std::map<uint16_t, Table> windmc;
    std::istringstream rc(ReadFile(Path(stem + ".rc")));
    unsigned primary = 0, sub = 0;
    char bin[64];
    for (std::string line; std::getline(rc, line);) {
      if (std::sscanf(line.c_str(), "LANGUAGE %x, %x", &primary, &sub) == 2) continue;
      if (std::sscanf(line.c_str(), "1 MESSAGETABLE \"%63[^\"]\"", bin) != 1) continue;
      windmc[static_cast<uint16_t>(sub << 10 | primary)] = ReadMessageTable(ReadFile(Path(bin)));
    }
    mc2cat::McFile file;
    mc2cat::McError error{};
    ASSERT_TRUE(mc2cat::ParseMcFile(content, &file, &error)) << error.line << ": " << error.what;
    std::map<uint16_t, Table> read;
    for (size_t i = 0; i < file.languages.size(); ++i) {
      Table& table = read[file.languages[i].id];
      for (const auto& message : file.messages) {
        if (message.texts[i]) table[message.id] = *message.texts[i];
      }
    }
    EXPECT_EQ(read, windmc);
  }
}

}  // namespace
