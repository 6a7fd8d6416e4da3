// The .mc reader against windmc: for every .mc file of tests/data/mc, as it
// is and with CR LF line ends, each language windmc makes a message table
// for holds the texts the reader gives (windmc keeps CR LF in a text; the
// reader ends each line with LF).
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
// UTF-16) and the NUL-padded text.
Table ReadMessageTable(const std::string& bin) {
  using libdevavu::formats::GetLe;
  Table table;
  const auto* data = reinterpret_cast<const uint8_t*>(bin.data());
  for (uint32_t block = 0, blocks = GetLe(data, 0, 4); block < blocks; ++block) {
    const size_t entry = 4 + 12 * block;
    size_t at = GetLe(data, entry + 8, 4);
    for (uint32_t id = GetLe(data, entry, 4); id <= GetLe(data, entry + 4, 4); ++id) {
      const uint32_t length = GetLe(data, at, 2);
      EXPECT_EQ(GetLe(data, at + 2, 2), 1u) << "a UTF-16 entry";
      std::string text = libdevavu::formats::Utf16LeToUtf8(bin.substr(at + 4, length - 4u));
      text.erase(text.find_last_not_of('\0') + 1);
      for (size_t cr; (cr = text.find("\r\n")) != std::string::npos;) text.erase(cr, 1);
      table[id] = text;
      at += length;
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
    for (const bool crlf : {false, true}) {
      const std::string stem = source.path().stem().string();
      SCOPED_TRACE(stem + (crlf ? " with CR LF" : ""));
      std::string content = ReadFile(source.path());
      for (size_t lf = 0; crlf && (lf = content.find('\n', lf)) != std::string::npos; lf += 2) {
        content.insert(lf, 1, '\r');
      }
      Write(stem + ".mc", content);
      ASSERT_EQ(Run(WINDMC " -C 65001 " + stem + ".mc").exit_code, 0);
      // "LANGUAGE 0x7, 0x1" then "1 MESSAGETABLE "MSG00407.bin"" in the .rc.
      std::map<uint16_t, Table> windmc;
      std::istringstream rc(ReadFile(Path(stem + ".rc")));
      unsigned primary = 0, sub = 0;
      char bin[64];
      for (std::string line; std::getline(rc, line);) {
        if (std::sscanf(line.c_str(), "LANGUAGE %x, %x", &primary, &sub) == 2) continue;
        if (std::sscanf(line.c_str(), "1 MESSAGETABLE \"%63[^\"]\"", bin) == 1) {
          windmc[static_cast<uint16_t>(sub << 10 | primary)] =
              ReadMessageTable(ReadFile(Path(bin)));
        }
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
}

}  // namespace
