// GetNLSMessage and GetMsgText against the catalogues of the build, found
// from the libraries' own directory.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "orvesvc.h"
#include "platform/process.h"
#include "support/test_thread.h"
#include "txtcat.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

// The language is settled at the first lookup of the process: English.
TEST(MessageSources, ReadByNumberOrIdentifierCutToTheSizeInOneLanguage) {
  SetEnvironmentValue("LC_ALL", "C");
  SetEnvironmentValue("NLSPATH", nullptr);
  char text[512];
  uint16_t length = 0;
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(GetNLSMessage(text, 10, 352, "QRXMSG.DLL", &length), 0u);
  EXPECT_EQ(std::string(text, length + 1), "The trace #") << "no terminator past the size";
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 70, "qrxtrc.dll", &length), ORV_MESSAGE_NOT_FOUND);
  EXPECT_EQ(GetNLSMessage(text, sizeof text, 2, "nosuch.dll", &length), ORV_CATALOGUE_NOT_FOUND);

  SetEnvironmentValue("LC_ALL", "de_DE.UTF-8");
  char small[8];
  ASSERT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0002, sizeof small, small), TXT_FOUND);
  EXPECT_STREQ(small, "Interna") << "English, though the catalogue is first used now";
  EXPECT_EQ(GetMsgText("qrxtrc.dll", 0xCFFF0036, sizeof text, text), TXT_FOUND);
  EXPECT_EQ(GetMsgText("qrxmsg.dll", 0xCFFF0999, sizeof text, text), TXT_NO_MESSAGE);
  EXPECT_EQ(GetMsgText("qrxmsg.dll", 0x0FFF0002, sizeof text, text), TXT_NO_MESSAGE) << "a set";
  EXPECT_EQ(GetMsgText("nosuch.dll", 0xCFFF0002, sizeof text, text), TXT_NO_LIBRARY);
  SetEnvironmentValue("LC_ALL", "C");
}

// Threads that each look up their first texts at the same moment open the
// catalogues, and note the many missing ones, one at a time.
TEST(MessageSources, ThreadsOpenTheCataloguesAtOnce) {
  SetEnvironmentValue("LC_ALL", "C");
  SetEnvironmentValue("NLSPATH", nullptr);
  std::atomic<int> ready{0};
  std::atomic<int> wrong{0};
  std::vector<TestThread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&ready, &wrong, t] {
      for (++ready; ready.load() < 8;) {
      }
      char text[64];
      if (GetMsgText("qrxmsg.dll", 0xCFFF0002, sizeof text, text) != TXT_FOUND ||
          GetMsgText("qrxtrc.dll", 0xCFFF0036, sizeof text, text) != TXT_FOUND) {
        ++wrong;
      }
      for (int m = 0; m < 50; ++m) {
        const std::string missing = "missing" + std::to_string(t * 100 + m) + ".dll";
        if (GetMsgText(missing.c_str(), 0xCFFF0002, sizeof text, text) != TXT_NO_LIBRARY) ++wrong;
      }
    });
  }
  for (TestThread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
