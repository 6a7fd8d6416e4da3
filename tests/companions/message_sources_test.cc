// GetNLSMessage and GetMsgText against the catalogues of the build, found
// from the libraries' own directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "orvesvc.h"
#include "platform/process.h"
#include "txtcat.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

// The language is settled at the first lookup of the process: English.
class MessageSourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnvironmentValue("LC_ALL", "C");
    SetEnvironmentValue("NLSPATH", nullptr);
  }
};

TEST_F(MessageSourcesTest, GetNlsMessageReadsTheProductMessageByNumber) {
  char text[512];
  uint16_t length = 0;
  ASSERT_EQ(GetNLSMessage(text, sizeof text, 352, "qrxmsg.dll", &length), 0u);
  const std::string got(text, length);
  EXPECT_EQ(got.rfind("The trace library %2 could not be loaded (code %1).", 0), 0u) << got;
  EXPECT_EQ(got.back(), '\n') << "the raw text as the source holds it";
  EXPECT_EQ(text[length], '\0');
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(GetNLSMessage(text, 10, 352, "QRXMSG.DLL", &length), 0u);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(std::string(text, 11), "The trace #") << "no terminator past the size";
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 53, "qrxtrc.dll", &length), 0u);
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 70, "qrxtrc.dll", &length), ORV_MESSAGE_NOT_FOUND);
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 2, "nosuch.dll", &length),
            ORV_CATALOGUE_NOT_FOUND);
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 2, nullptr, &length), ORV_BAD_ARGUMENT);
}

TEST_F(MessageSourcesTest, GetMsgTextReadsByIdentifierAndTerminates) {
  char text[256];
  ASSERT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0002, sizeof text, text), TXT_FOUND);
  EXPECT_EQ(std::string(text).rfind("Internal error in a Quorix component: %1.", 0), 0u) << text;
  char small[8];
  ASSERT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0002, sizeof small, small), TXT_FOUND);
  EXPECT_STREQ(small, "Interna");
  EXPECT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0999, sizeof text, text), TXT_NO_MESSAGE);
  EXPECT_EQ(GetMsgText("qrxmsg.dll", 0x0FFF0002, sizeof text, text), TXT_NO_MESSAGE)
      << "another set";
  EXPECT_EQ(GetMsgText("nosuch.dll", 0xCFFF0002, sizeof text, text), TXT_NO_LIBRARY);
  EXPECT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0002, 0, text), TXT_BAD_ARGUMENT);
}

TEST_F(MessageSourcesTest, OneLanguageForTheWholeProcess) {
  char text[256];
  uint16_t length = 0;
  ASSERT_EQ(GetNLSMessage(text, sizeof text, 352, "qrxmsg.dll", &length), 0u);
  SetEnvironmentValue("LC_ALL", "de_DE.UTF-8");
  // Another library and another catalogue, both first used after the change.
  ASSERT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0160, sizeof text, text), TXT_FOUND);
  EXPECT_EQ(std::string(text).rfind("The trace library", 0), 0u) << text;
  ASSERT_EQ(GetMsgText("qrxtrc.dll", 0xCFFF0036, sizeof text, text), TXT_FOUND);
  // The line ends as the platform's message tables end it.
  EXPECT_EQ(std::string(text).rfind("Thread %1 started", 0), 0u) << text;
  SetEnvironmentValue("LC_ALL", "C");
}

}  // namespace
