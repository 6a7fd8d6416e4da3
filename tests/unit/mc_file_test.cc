// The .mc reader of the build.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "mc_file.h"

namespace {

constexpr char kHeader[] =  // six lines
    "; comment\n"
    "MessageIdTypedef=DWORD\n"
    "SeverityNames=(Success=0x0 Error=0x3:STATUS_SEVERITY_ERROR)\n"
    "FacilityNames=(Quorix=0xFFF:FACILITY_QUORIX\n"
    "              )\n"
    "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\n";

// The languages' locales, then each message's identifier, name and texts
// ("-": none in that language), then the warnings; or the fault.
std::string Read(const std::string& content) {
  mc2cat::McFile file;
  mc2cat::McError error{};
  if (!ParseMcFile(content, &file, &error)) return std::to_string(error.line) + ": " + error.what;
  std::string out;
  for (const auto& language : file.languages) out += language.code + ",";
  for (const auto& message : file.messages) {
    char id[12];
    std::snprintf(id, sizeof id, " %08X", message.id);
    out += id + (" " + message.symbolic_name);
    for (const auto& text : message.texts) out += "[" + text.value_or("-") + "]";
  }
  for (const auto& warning : file.warnings) {
    out += " (" + std::to_string(warning.line) + ": " + warning.what + ")";
  }
  return out;
}

TEST(McFile, ReadsMessagesOrNamesTheFaultyLine) {
  const std::string h(kHeader);
  const struct {
    std::string content;
    std::string read;
  } cases[] = {
      {"\xEF\xBB\xBF" + h + "messageid=0x2\r\nSEVERITY=Error\r\nFacility=Quorix\r\n"
                            "Language=English\r\nText\r\n.\r\n",
       "en_US, CFFF0002 [Text\n]"},
      // Each language identifier has its own locale; a Severity not stated
      // is 0, with a warning.
      {"LanguageNames=(Chinese=0x804:A Taiwanese=0x404:B Neutral=0x0007:C Other=0x4FF:D)\n"
       "MessageId=1\nSeverity=Warning\nLanguage=Chinese\nc\n.\n"
       "Language=Neutral\nn\n.\nMessageId=\nLanguage=Taiwanese\nt\n.\nLanguage=Other\no\n.\n",
       "zh_CN,zh_TW,de,, 80000001 [c\n][-][n\n][-] 00000002 [-][t\n][-][o\n] (10: message 2 "
       "states no Severity: 0 here, as windmc gives; Microsoft's compiler carries "
       "over the one of line 3)"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=English\nno end\n",
       "10: text in English is not ended by a line holding only '.'"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=French\nx\n.\n",
       "10: language 'French' is not in LanguageNames"},
      {h + "MessageId=1\nLanguage=English\n.\n",
       "8: empty text in English (a '.' right after Language=)"},
      {h + "MessageId=5\nLanguage=English\na\n.\nMessageId=5\nSymbolicName=A\nLanguage=English\n"
           "b\n.\n",
       "11: message 5 (A): identifier 0x00000005 again (first at line 7)"},
      {h + "MessageId=1\nSeverty=Error\n", "8: unknown keyword 'severty'"},
      {h, "0: no messages"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.content), c.read) << c.content;
}

}  // namespace
