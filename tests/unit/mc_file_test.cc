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
  EXPECT_EQ(file.languages[0].code, "en");
  EXPECT_EQ(file.languages[1].code, "de");
  ASSERT_EQ(file.messages.size(), 1u);
  EXPECT_EQ(file.messages[0].id, 0xCFFF0160u);
  EXPECT_EQ(file.messages[0].symbolic_name, "QRX_352");
  EXPECT_EQ(file.messages[0].texts[0], "Line one%n\nline two\n");
  EXPECT_EQ(file.messages[0].texts[1], "Zeile\n");
}

TEST(McFile, FaultsNameTheirLine) {
  const std::string h(kHeader);  // six lines
  struct Case {
    std::string content;
    int line;
    std::string what;
  } cases[] = {
      {h + "MessageId=1\nSeverity=Eror\n", 8, "unknown severity 'Eror'"},
      {h + "MessageId=1\nFacility=Quorix\nLanguage=English\nx\n.\n", 7, "states no Severity"},
      {h + "MessageId=1\nSeverity=Error\nLanguage=English\nx\n.\n", 7, "states no Facility"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=English\nno end\n", 10,
       "is not ended by a line holding only '.'"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=French\nx\n.\n", 10,
       "language 'French' is not in LanguageNames"},
      {h + "MessageId=1\nSeverity=Error\nFacility=Quorix\nLanguage=English\nx\n.\n" +
           Message("2", "y", "y"),
       7, "message 1 has no text in German"},
      {h + Message("5", "a", "a") + Message("5", "b", "b"), 17, "identifier 0xCFFF0005 again"},
      {h + "MessageId=0x10000\n", 7, "bad MessageId '0x10000'"},
      {h + "MessageId=1\nSeverty=Error\n", 8, "unknown keyword 'severty'"},
      {h + "Severity=Error\n", 7, "severity before the first MessageId"},
      {h + "just text\n", 7, "expected keyword=value, found 'just text'"},
      {h + "FacilityNames=(A=0x1\n", 7, "'(' of facilitynames is never closed"},
      {h + "FacilityNames=(A=0x1000)\n", 7, "bad value '0x1000' in facilitynames"},
      {h + "LanguageNames=(Klingon=0x4FF:X)\n", 7, "no catalogue language is known for"},
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

TEST(GencatSource, SetsFromTheHighHalfAndEscapes) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("352", "back\\slash\ttab", "b") +
                              Message("2", " lead %1", "c") +
                              "MessageId=7\nSeverity=Success\nFacility=Quorix\n"
                              "Language=English\nlow\n.\nLanguage=German\nlow\n.\n",
                          &file, &error))
      << error.what;
  std::string out;
  ASSERT_TRUE(mc2cat::WriteGencatSource(file, 0, "x.mc", &out, &error)) << error.what;
  EXPECT_EQ(out,
            "$ Generated from x.mc (English); edit the .mc file instead.\n"
            "$set 4095\n"
            "7 low\\n\n"
            "$set 53247\n"
            "2  lead %1\\n\n"
            "352 back\\\\slash\\ttab\\n\n");
}

TEST(GencatSource, NumberZeroCannotBeHeld) {
  McFile file;
  McError error{};
  ASSERT_TRUE(ParseMcFile(std::string(kHeader) + Message("0", "zero", "null"), &file, &error));
  std::string out;
  EXPECT_FALSE(mc2cat::WriteGencatSource(file, 0, "x.mc", &out, &error));
  EXPECT_EQ(error.line, 7);
}

}  // namespace
