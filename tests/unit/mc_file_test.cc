// The .mc reader of the build and the gencat sources it writes.
#include <gtest/gtest.h>

#include <string>

#include "gencat_source.h"
#include "mc_file.h"

namespace {

using mc2cat::McError;
using mc2cat::McFile;
using mc2cat::ParseMcFile;

constexpr char kHeader[] =
    "; comment\n"
    "MessageIdTypedef=DWORD\n"
    "SeverityNames=(Success=0x0 Error=0x3:STATUS_SEVERITY_ERROR)\n"
    "FacilityNames=(Quorix=0xFFF:FACILITY_QUORIX\n"
    "              )\n"
    "LanguageNames=(English=0x409:MSG00409 German=0x407:MSG00407)\n";

std::string Message(const std::string& id, const std::string& en, const std::string& de) {
  return "MessageId=" + id + "\nSeverity=Error\nFacility=Quorix\nSymbolicName=QRX_" + id +
         "\nLanguage=English\n" + en + "\n.\nLanguage=German\n" + de + "\n.\n";
}

McError ErrorOf(const std::string& content) {
  McFile file;
  McError error{};
  EXPECT_FALSE(ParseMcFile(content, &file, &error)) << content;
  return error;
}

TEST(McFile, MessagesGetTheirIdentifierAndATextPerLanguage) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("352", "Line one%n\nline two", "Zeile"),
                          &file, &error))
      << error.line << ": " << error.what;
  ASSERT_EQ(file.languages.size(), 2u);
  EXPECT_EQ(file.languages[0].code, "en_US");
  EXPECT_EQ(file.languages[1].code, "de_DE");
  ASSERT_EQ(file.messages.size(), 1u);
  EXPECT_EQ(file.messages[0].id, 0xCFFF0160u);
  EXPECT_EQ(file.messages[0].symbolic_name, "QRX_352");
  EXPECT_EQ(file.messages[0].texts[0], "Line one%n\nline two\n");
  EXPECT_EQ(file.messages[0].texts[1], "Zeile\n");
}

TEST(McFile, CrLfLinesByteOrderMarkAndCaseOfKeywords) {
  std::string content = "\xEF\xBB\xBF" + std::string(kHeader) +
                        "messageid=0x2\r\nSEVERITY=Error\r\nFacility=Quorix\r\n"
                        "Language=English\r\nText\r\n.\r\nLanguage=German\r\nText\r\n.\r\n";
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(content, &file, &error)) << error.line << ": " << error.what;
  EXPECT_EQ(file.messages[0].id, 0xCFFF0002u);
  EXPECT_EQ(file.messages[0].texts[0], "Text\n");
}

TEST(McFile, EmptyMessageIdIsThePreviousPlusOne) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("51", "a", "a") + Message("", "b", "b"),
                          &file, &error));
  EXPECT_EQ(file.messages[1].id, 0xCFFF0034u);
}

TEST(McFile, OnlyTheLanguagesInUseAreCollected) {
  McFile file;
  McError error{};
  const std::string content =
      "LanguageNames=(German=0x407:MSG00407 Klingon=0x4FF:X)\nFacilityNames=(Q=0xFFF)\n"
      "MessageId=1\nSeverity=Error\nFacility=Q\nLanguage=German\nNur deutsch\n.\n";
  ASSERT_TRUE(ParseMcFile(content, &file, &error)) << error.what;
  ASSERT_EQ(file.languages.size(), 1u);
  EXPECT_EQ(file.languages[0].name, "German");
}

// What windmc does where Microsoft's compiler differs or the format is
// silent: no Severity or Facility is 0 and not carried over (a warning says
// so where an earlier message stated one), a SymbolicName may repeat, a
// message may lack a language, and each language identifier has its own
// locale.
TEST(McFile, ReadsAsWindmcDoes) {
  McFile file;
  McError error{};
  const std::string content =
      "LanguageNames=(Chinese=0x804:A Taiwanese=0x404:B Neutral=0x0007:C Other=0x4FF:D)\n"
      "MessageId=0\nSymbolicName=S\nLanguage=English\nzero\n.\n"
      "MessageId=5\nSeverity=Warning\nFacility=System\nSymbolicName=S\nLanguage=Chinese\nc\n.\n"
      "Language=Taiwanese\nt\n.\nLanguage=Neutral\nn\n.\nLanguage=Other\no\n.\n"
      "MessageId=\nFacility=System\nLanguage=English\nsix\n.\n";
  ASSERT_TRUE(ParseMcFile(content, &file, &error)) << error.line << ": " << error.what;
  ASSERT_EQ(file.messages.size(), 3u);
  EXPECT_EQ(file.messages[0].id, 0u);
  EXPECT_EQ(file.messages[1].id, 0x80FF0005u);
  EXPECT_EQ(file.messages[2].id, 0x00FF0006u);
  std::vector<std::string> codes;
  for (const auto& l : file.languages) codes.push_back(l.code);
  EXPECT_EQ(codes, (std::vector<std::string>{"en_US", "zh_CN", "zh_TW", "de", ""}));
  EXPECT_FALSE(file.messages[0].texts[1].has_value());
  ASSERT_EQ(file.warnings.size(), 1u);
  EXPECT_EQ(file.warnings[0].line, 23);
  EXPECT_NE(file.warnings[0].what.find("carries over the one of line 8"), std::string::npos)
      << file.warnings[0].what;
}

TEST(McFile, FaultsNameTheirLine) {
  const std::string h(kHeader);  // six lines
  struct Case {
    std::string content;
    int line;
    std::string what;
  } cases[] = {
      {h + "MessageId=1\nSeverity=Eror\n", 8, "unknown severity 'Eror'"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=English\nno end\n", 10,
       "is not ended by a line holding only '.'"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=French\nx\n.\n", 10,
       "language 'French' is not in LanguageNames"},
      {h + "MessageId=1\nLanguage=English\n.\n", 8, "empty text in English"},
      {h + Message("5", "a", "a") + Message("5", "b", "b"), 17,
       "identifier 0xCFFF0005 again (first at line 7)"},
      {h + "MessageId=0x10000\n", 7, "bad MessageId '0x10000'"},
      {h + "MessageId=1\nSeverty=Error\n", 8, "unknown keyword 'severty'"},
      {h + "Severity=Error\n", 7, "severity before the first MessageId"},
      {h + "just text\n", 7, "expected keyword=value, found 'just text'"},
      {h + "FacilityNames=(A=0x1\n", 7, "'(' of facilitynames is never closed"},
      {h + "FacilityNames=(A=0x1000)\n", 7, "bad value '0x1000' in facilitynames"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=English\nx\n.\n"
           "Severity=Error\n",
       13, "severity after the message's text"},
      {h, 0, "no messages"},
  };
  for (const Case& c : cases) {
    const McError error = ErrorOf(c.content);
    EXPECT_EQ(error.line, c.line) << c.what << " / " << error.what;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << error.what;
  }
}

TEST(GencatSource, NumbersFromEitherHalfPlusOneAndEscapes) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("352", "back\\slash\ttab", "b") +
                              Message("2", " lead %1", "c") +
                              "MessageId=7\nSeverity=Success\nFacility=Quorix\n"
                              "Language=English\nlow\n.\nLanguage=German\nlow\n.\n"
                              "MessageId=0\nLanguage=English\nzero\n.\n",
                          &file, &error))
      << error.what;
  std::string out;
  mc2cat::WriteGencatSource(file, 0, "x.mc", &out);
  EXPECT_EQ(out,
            "$ Generated from x.mc (English); edit the .mc file instead.\n"
            "$set 1\n"
            "1 zero\\n\n"
            "$set 4096\n"
            "8 low\\n\n"
            "$set 53248\n"
            "3  lead %1\\n\n"
            "353 back\\\\slash\\ttab\\n\n");
  mc2cat::WriteGencatSource(file, 1, "x.mc", &out);
  EXPECT_EQ(out.find("zero"), std::string::npos) << "no German text";
}

TEST(GencatSource, ControlCharactersAreOctalEscapes) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("2", "a\x01z\x7f", "b"), &file, &error));
  std::string out;
  mc2cat::WriteGencatSource(file, 0, "x.mc", &out);
  EXPECT_NE(out.find("3 a\\001z\\177\\n\n"), std::string::npos) << out;
}

}  // namespace
