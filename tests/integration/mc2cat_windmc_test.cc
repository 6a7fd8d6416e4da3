// mc2cat + gencat against windmc: for every .mc file of tests/data/mc, as it
// is and with CR LF line ends, and every language windmc makes a message
// table for, catgets returns the text windmc stores for each identifier, or
// nothing where windmc has none (windmc keeps CR LF in a text; on Linux a
// line ends in LF).
#include <gtest/gtest.h>
#include <nl_types.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "formats/catalogue_numbers.h"
#include "formats/little_endian.h"
#include "formats/utf16.h"

namespace {

namespace fs = std::filesystem;
using Table = std::map<uint32_t, std::string>;  // identifier -> UTF-8 text, LF line ends

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Succeeds(const std::string& command) { return std::system(command.c_str()) == 0; }

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

// The language identifier and message table of each language in the .rc
// windmc writes: "LANGUAGE 0x7, 0x1" then "1 MESSAGETABLE "MSG00407.bin"".
std::map<uint16_t, Table> WindmcTables(const fs::path& dir, const std::string& stem) {
  std::map<uint16_t, Table> tables;
  std::istringstream rc(ReadFile(dir / (stem + ".rc")));
  unsigned primary = 0, sub = 0;
  char bin[64];
  for (std::string line; std::getline(rc, line);) {
    if (std::sscanf(line.c_str(), "LANGUAGE %x, %x", &primary, &sub) == 2) continue;
    if (std::sscanf(line.c_str(), "1 MESSAGETABLE \"%63[^\"]\"", bin) == 1) {
      tables[static_cast<uint16_t>(sub << 10 | primary)] = ReadMessageTable(ReadFile(dir / bin));
    }
  }
  return tables;
}

TEST(Mc2catAgainstWindmc, CatgetsGivesTheTextsOfWindmcsMessageTables) {
  if (std::string(WINDMC).empty()) {
    GTEST_SKIP() << "x86_64-w64-mingw32-windmc (binutils-mingw-w64-x86-64) is not installed: "
                    "mc2cat is not compared with windmc";
  }
  char pattern[] = "/tmp/devavu-windmc-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  for (const auto& source : fs::directory_iterator(MC_DATA_DIR)) {
    for (const bool crlf : {false, true}) {
      const std::string stem = source.path().stem().string();
      SCOPED_TRACE(stem + (crlf ? " with CR LF" : ""));
      fs::remove_all(dir / "out");
      std::string content = ReadFile(source.path());
      for (size_t lf = 0; crlf && (lf = content.find('\n', lf)) != std::string::npos; lf += 2) {
        content.insert(lf, 1, '\r');
      }
      std::ofstream(dir / (stem + ".mc"), std::ios::binary) << content;
      ASSERT_TRUE(Succeeds("cd '" + dir.string() + "' && " + WINDMC + " -C 65001 " + stem + ".mc"));
      const auto tables = WindmcTables(dir, stem);
      ASSERT_GE(tables.size(), 1u);
      std::set<uint32_t> ids;
      for (const auto& [language, table] : tables) {
        for (const auto& entry : table) ids.insert(entry.first);
      }
      for (const auto& [language, table] : tables) {
        char asked[8];
        std::snprintf(asked, sizeof asked, "0x%x", language);
        const fs::path out = dir / "out" / asked;
        ASSERT_TRUE(Succeeds(std::string(MC2CAT) + " '" + (dir / (stem + ".mc")).string() + "' '" +
                        (dir / "out").string() + "' " + asked + " 2>/dev/null && LC_ALL=C.UTF-8 " +
                        GENCAT + " '" + (out / "x.cat").string() + "' '" +
                        (out / (stem + ".msg")).string() + "'"));
        const nl_catd catalogue = catopen((out / "x.cat").c_str(), 0);
        ASSERT_NE(catalogue, reinterpret_cast<nl_catd>(-1));
        for (const uint32_t id : ids) {
          const auto at = libdevavu::formats::CatalogueNumbersOf(id);
          static const char kMissing[] = "";
          const char* text = catgets(catalogue, at.set, at.message, kMissing);
          const auto expected = table.find(id);
          EXPECT_EQ(text == kMissing ? "(none)" : text,
                    expected == table.end() ? "(none)" : expected->second)
              << asked << " identifier " << std::hex << id;
        }
        catclose(catalogue);
      }
    }
  }
  fs::remove_all(dir);
}

}  // namespace
