#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "formats/reg_file.h"

namespace {

using namespace std::string_literals;
using libdevavu::formats::ParseRegFile;
using libdevavu::formats::RegNode;

// "name{value:type=data;...}" of the key at path, "" when there is none.
std::string Dump(const RegNode* node, const std::string& path) {
  std::stringstream names(path);
  for (std::string name; node && std::getline(names, name, '\\');) node = node->FindChild(name);
  if (node == nullptr) return "";
  std::string out = node->name() + "{";
  for (const auto& v : node->values()) {
    const std::string data(v.data.begin(), v.data.end());
    out += v.name + ":" + std::to_string(v.type) + "=" + data + ";";
  }
  return out + "}";
}

TEST(RegFile, WellFormedFilesGiveTheirKeysAndValues) {
  const std::string v5 = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n";
  // ÿőłžσςяё and ŸŐŁŽΣΣЯЁ.
  const std::string lower = "\xC3\xBF\xC5\x91\xC5\x82\xC5\xBE\xCF\x83\xCF\x82\xD1\x8F\xD1\x91";
  const std::string upper = "\xC5\xB8\xC5\x90\xC5\x81\xC5\xBD\xCE\xA3\xCE\xA3\xD0\xAF\xD0\x81";
  std::stringstream unicode;  // UTF-16LE with a byte-order mark
  unicode << std::ifstream(CONFIG_DATA_DIR "/lab_unicode.reg", std::ios::binary).rdbuf();
  // The text, and the Dump of keys at their paths.
  const std::pair<std::string, std::vector<std::pair<std::string, std::string>>> cases[] = {
      // hex(2) data is UTF-16LE, handed out narrow; HKEY_CURRENT_USER is passed over.
      {unicode.str(),
       {{"SOFTWARE\\Veltara\\Quorix\\V100\\Configurations\\Lab\\[PROVIDER]",
         "[PROVIDER]{NAME:1=quorix.provider\0;RETRY:4=\3\0\0\0;PATH:2=%QRX%\\p\0;}"s},
        {"Software\\Veltara", "Veltara{}"}}},
      {v5 + "@=\"default\"\n\"quo\\\"ted\\\\\"=\"a\\\"b\\\\c\\nd\\re\"\n\"dw\"=dword:2A\n"
            "\"bin\"=hex:01,ff, 7f ,\\\n     02\n\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
            "\"typed\"=hex(100):01\n\"empty\"=hex:\n\"later\"=\"first\"\n\"later\"=\"second\"\n",
       {{"K", "K{:1=default\0;quo\"ted\\:1=a\"b\\c\nd\re\0;dw:4=\x2A\0\0\0;bin:3=\1\xFF\x7F\2;"
              "multi:7=a\0b\0\0;typed:256=\1;empty:3=;later:1=second\0;}"s}}},
      // Bracketed last names; key lines in another case name the same key.
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\\Default\\[TRACE]]\r\n\"V\"=\"x\"\r\n"
       "[hkey_local_machine\\a\\DEFAULT\\[trace]]\r\n\"w\"=\"y\"\r\n",
       {{"a\\default\\[TRACE]", "[TRACE]{V:1=x\0;w:1=y\0;}"s}}},
      // REGEDIT4 is Windows-1252, handed out as UTF-8; a UTF-8 byte-order mark
      // keeps UTF-8.
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\\xDCmlaut]\r\n\"Gr\xF6\xDF" "e\"=\"\x80 5\"\r\n"
       "\"x\"=hex(1):e9,00\r\n",
       {{"\xC3\xBCMLAUT",
         "\xC3\x9Cmlaut{Gr\xC3\xB6\xC3\x9F" "e:1=\xE2\x82\xAC 5\0;x:1=\xC3\xA9\0;}"s}}},
      // Letters beyond ASCII compare as the Windows registry's names do; ß has
      // no one upper case.
      {"\xEF\xBB\xBFREGEDIT4\n[HKEY_LOCAL_MACHINE\\" + lower +
           "]\n[HKEY_LOCAL_MACHINE\\stra\xC3\x9F" "e]\n",
       {{upper, lower + "{}"}, {"STRASSE", ""}}},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n[HKEY_LOCAL_MACHINE\\A\\D]\n"
       "\"keep\"=\"1\"\n\"drop\"=\"2\"\n\"drop\"=-\n[-HKEY_LOCAL_MACHINE\\A\\B]\n"
       "\"ignored\"=hex:01,\\\n 02\n[-HKEY_LOCAL_MACHINE\\A\\Missing\\Key]\n",
       {{"A\\B", ""}, {"A\\D", "D{keep:1=1\0;}"s}}},
  };
  for (const auto& [text, keys] : cases) {
    SCOPED_TRACE(text);
    const auto file = ParseRegFile(text);
    ASSERT_NE(file.local_machine, nullptr) << file.error.line << ": " << file.error.what;
    for (const auto& [path, dump] : keys) EXPECT_EQ(Dump(file.local_machine.get(), path), dump);
  }
}

TEST(RegFile, AMalformedFileGivesItsFirstBadLineAndNoTree) {
  const std::string k = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
  const std::tuple<std::string, size_t, std::string> cases[] = {
      {"", 1, "first line"},
      {"REGEDIT4\n\"v\"=\"x\"\n", 2, "before the first key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2, "must end with ']'"},
      {"REGEDIT4\n[HKEY_NOWHERE\\K]\n", 2, "unknown root key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty name"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", 2, "root key cannot be deleted"},
      {k + "\"v\"=hex:01,\\\n  02,1x\n", 4, "hex data"},
      {k + "\"v\"=hex:01,\\\n", 3, "ends inside"},
      {k + "\"v\"=\"open\n", 3, "no closing quote"},
      {k + "\"v\"=\"a\\tb\"\n", 3, "unknown escape \\t"},
      {k + "junk\n", 3, "was expected"},
  };
  for (const auto& [text, line, says] : cases) {
    const auto file = ParseRegFile(text);
    EXPECT_EQ(file.local_machine, nullptr) << text;
    EXPECT_EQ(file.error.line, line) << text;
    EXPECT_NE(file.error.what.find(says), std::string::npos) << file.error.what;
  }
}

}  // namespace
