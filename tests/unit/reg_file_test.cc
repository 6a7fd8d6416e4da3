#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/reg_file.h"
#include "platform/registry.h"

namespace {

using libdevavu::formats::ParseRegFile;
using libdevavu::formats::RegFileContents;
using libdevavu::formats::RegNode;
using libdevavu::formats::RegValue;

constexpr char kHeader4[] = "REGEDIT4\r\n";
constexpr char kConfigurations[] = "SOFTWARE\\Veltara\\Quorix\\V100\\Configurations";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const RegNode* Walk(const RegNode* node, const std::string& path) {
  std::stringstream names(path);
  for (std::string name; node != nullptr && std::getline(names, name, '\\');) {
    node = node->FindChild(name);
  }
  return node;
}

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

RegFileContents ParseOk(const std::string& text) {
  RegFileContents contents = ParseRegFile(text);
  EXPECT_NE(contents.local_machine, nullptr)
      << "line " << contents.error.line << ": " << contents.error.what;
  return contents;
}

TEST(RegFile, AnsiVersion4AndUnicodeVersion5ExportsGiveTheSameTree) {
  const auto ansi = ParseOk(ReadFile(CONFIG_DATA_DIR "/lab.reg"));
  const auto unicode = ParseOk(ReadFile(CONFIG_DATA_DIR "/lab_unicode.reg"));
  for (const auto* contents : {&ansi, &unicode}) {
    const RegNode* configurations = Walk(contents->local_machine.get(), kConfigurations);
    ASSERT_NE(configurations, nullptr);
    EXPECT_EQ(configurations->FindValue("")->data, Bytes(std::string_view("Lab", 4)));
    const RegNode* provider = Walk(configurations, "Lab\\[PROVIDER]");
    ASSERT_NE(provider, nullptr);
    ASSERT_EQ(provider->values().size(), 3u);
    EXPECT_EQ(provider->values()[1].type, libdevavu::platform::kRegDword);
    EXPECT_EQ(provider->values()[1].data, (std::vector<uint8_t>{3, 0, 0, 0}));
    // hex(2) of a version 5 file is UTF-16LE, handed out narrow.
    EXPECT_EQ(provider->values()[2].type, libdevavu::platform::kRegExpandSz);
    EXPECT_EQ(provider->values()[2].data, Bytes(std::string_view("%QRX%\\p", 8)));
    EXPECT_NE(Walk(configurations, "Lab\\[CMMUSERGW]"), nullptr);
  }
  EXPECT_TRUE(Walk(unicode.local_machine.get(), "Software\\Veltara")->values().empty())
      << "the HKEY_CURRENT_USER value is passed over";
}

TEST(RegFile, KeyNamesMayEndInABracketAndCompareInAnyCase) {
  const auto contents = ParseOk(std::string(kHeader4) +
                                "[HKEY_LOCAL_MACHINE\\A\\Default\\[TRACE]]\r\n\"V\"=\"x\"\r\n"
                                "[hkey_local_machine\\a\\DEFAULT\\[trace]]\r\n\"w\"=\"y\"\r\n");
  const RegNode* trace = Walk(contents.local_machine.get(), "a\\default\\[TRACE]");
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->name(), "[TRACE]");
  EXPECT_EQ(trace->values().size(), 2u) << "both key lines name one key";
}

// Names compare as the Windows registry's do, letters beyond ASCII included.
TEST(RegFile, NamesCompareWithoutRegardToCase) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"\xC3\xBCmlaut", "\xC3\x9CMLAUT", true},            // ümlaut ÜMLAUT
      {"\xC3\xBF", "\xC5\xB8", true},                      // ÿ Ÿ
      {"\xC5\x91\xC5\x82\xC5\xBE", "\xC5\x90\xC5\x81\xC5\xBD", true},  // őłž ŐŁŽ
      {"\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3", true},      // σς ΣΣ
      {"\xD1\x8F\xD1\x91", "\xD0\xAF\xD0\x81", true},      // яё ЯЁ
      {"stra\xC3\x9F" "e", "STRASSE", false},               // ß has no one upper case
      {"\xC3\xA4", "a", false},
      {"\xC3\xBC", "\xC3\xBC\xC3\xBC", false},
      {"\xFC", "\xDC", false},                              // not UTF-8: bytes as they are
      {"\xFC", "\xFC", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(libdevavu::formats::SameRegName(c.a, c.b), c.same);
    EXPECT_EQ(libdevavu::formats::SameRegName(c.b, c.a), c.same);
  }
}

// A REGEDIT4 file is in the ANSI code page: names and strings come out as
// UTF-8, as those of a version 5 file do; a UTF-8 byte-order mark keeps it.
TEST(RegFile, AnsiFileComesOutAsUtf8) {
  const auto contents = ParseOk(std::string(kHeader4) +
                                "[HKEY_LOCAL_MACHINE\\\xDCmlaut]\r\n"
                                "\"Gr\xF6\xDF" "e\"=\"\x80 5\"\r\n"
                                "\"x\"=hex(1):e9,00\r\n");
  const RegNode* key = Walk(contents.local_machine.get(), "\xC3\xBCMLAUT");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->name(), "\xC3\x9Cmlaut");
  ASSERT_EQ(key->values().size(), 2u);
  EXPECT_EQ(key->values()[0].name, "Gr\xC3\xB6\xC3\x9F" "e");
  EXPECT_EQ(key->values()[0].data, Bytes(std::string_view("\xE2\x82\xAC 5", 6)));
  EXPECT_EQ(key->values()[1].data, Bytes(std::string_view("\xC3\xA9", 3)));

  const auto utf8 = ParseOk("\xEF\xBB\xBFREGEDIT4\n[HKEY_LOCAL_MACHINE\\\xC3\x9Cmlaut]\n");
  EXPECT_NE(Walk(utf8.local_machine.get(), "\xC3\x9Cmlaut"), nullptr);
}

TEST(RegFile, ValueDataOfEveryKind) {
  const auto contents = ParseOk(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_LOCAL_MACHINE\\K]\n"
      "@=\"default\"\n"
      "\"quo\\\"ted\\\\\"=\"a\\\"b\\\\c\\nd\\re\"\n"
      "\"dw\"=dword:2A\n"
      "\"bin\"=hex:01,ff, 7f ,\\\n"
      "     02\n"
      "\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
      "\"typed\"=hex(100):01\n"
      "\"empty\"=hex:\n"
      "\"later\"=\"first\"\n"
      "\"later\"=\"second\"\n");
  const RegNode* k = contents.local_machine->FindChild("K");
  ASSERT_NE(k, nullptr);
  const std::vector<std::string> order = {"", "quo\"ted\\", "dw", "bin", "multi", "typed", "empty", "later"};
  ASSERT_EQ(k->values().size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(k->values()[i].name, order[i]);
  EXPECT_EQ(k->values()[1].data, Bytes(std::string_view("a\"b\\c\nd\re", 10)));
  EXPECT_EQ(k->values()[2].data, (std::vector<uint8_t>{0x2A, 0, 0, 0}));
  EXPECT_EQ(k->values()[3].data, (std::vector<uint8_t>{1, 0xFF, 0x7F, 2}));
  EXPECT_EQ(k->values()[4].data, Bytes(std::string_view("a\0b\0\0", 5)));
  EXPECT_EQ(k->values()[5].type, 0x100u);
  EXPECT_TRUE(k->values()[6].data.empty());
  EXPECT_EQ(k->values()[7].data, Bytes(std::string_view("second", 7))) << "replaced in place";
}

TEST(RegFile, DeletionsRemoveKeysWithTheirSubkeysAndSingleValues) {
  const auto contents = ParseOk(std::string(kHeader4) +
                                "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n"
                                "[HKEY_LOCAL_MACHINE\\A\\D]\n\"keep\"=\"1\"\n\"drop\"=\"2\"\n"
                                "\"drop\"=-\n"
                                "[-HKEY_LOCAL_MACHINE\\A\\B]\n\"ignored\"=hex:01,\\\n 02\n"
                                "[-HKEY_LOCAL_MACHINE\\A\\Missing\\Key]\n");
  const RegNode* a = contents.local_machine->FindChild("A");
  EXPECT_EQ(a->FindChild("B"), nullptr);
  ASSERT_NE(a->FindChild("D"), nullptr);
  ASSERT_EQ(a->FindChild("D")->values().size(), 1u);
  EXPECT_EQ(a->FindChild("D")->values()[0].name, "keep");
}

struct BadFile {
  std::string text;
  size_t line;
  std::string says;
};

TEST(RegFile, AMalformedFileGivesItsFirstBadLineAndNoTree) {
  const std::string k = "[HKEY_LOCAL_MACHINE\\K]\n";
  const std::vector<BadFile> cases = {
      {"", 1, "first line"},
      {"\xFE\xFF", 1, "big-endian"},
      {"REGEDIT4\n\"v\"=\"x\"\n", 2, "before the first key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2, "must end with ']'"},
      {"REGEDIT4\n[HKEY_NOWHERE\\K]\n", 2, "unknown root key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty name"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", 2, "root key cannot be deleted"},
      {"REGEDIT4\n" + k + "\"v\"=dword:123456789\n", 3, "dword"},
      {"REGEDIT4\n" + k + "\"v\"=hex:01,\\\n  02,1x\n", 4, "hex data"},
      {"REGEDIT4\n" + k + "\"v\"=hex:01,\\\n", 3, "ends inside"},
      {"REGEDIT4\n" + k + "\"v\"=\"open\n", 3, "no closing quote"},
      {"REGEDIT4\n" + k + "\"v\"=\"x\" y\n", 3, "after the closing quote"},
      {"REGEDIT4\n" + k + "\"v\"=\"a\\tb\"\n", 3, "unknown escape \\t"},
      {"REGEDIT4\n" + k + "junk\n", 3, "was expected"},
  };
  for (const BadFile& bad : cases) {
    const RegFileContents contents = ParseRegFile(bad.text);
    EXPECT_EQ(contents.local_machine, nullptr) << bad.text;
    EXPECT_EQ(contents.error.line, bad.line) << bad.text;
    EXPECT_NE(contents.error.what.find(bad.says), std::string::npos)
        << bad.text << " -> " << contents.error.what;
  }
}

}  // namespace
