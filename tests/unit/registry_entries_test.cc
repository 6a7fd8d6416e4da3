// ProcessCFNFileEntries over the registry store, from the sample files.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "config_test.h"
#include "platform/process.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

constexpr char kConfigurations[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltara\\Quorix\\V100\\Configurations]\r\n";

// A pointer that no store hands out, to see which fields were written.
CFNEntry* const kUntouched = reinterpret_cast<CFNEntry*>(0x1);
char* const kUntouchedText = reinterpret_cast<char*>(0x1);

class RegistryEntriesTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    SetValue("QRXRUN", "TRUE");
    path_ = "/tmp/devavu-registry-entries-" + std::to_string(getpid()) + ".reg";
    SetEnvironmentValue("QRX_REGISTRY", path_.c_str());
  }
  void TearDown() override {
    SetEnvironmentValue("QRX_REGISTRY", nullptr);
    std::remove(path_.c_str());
    ConfigTest::TearDown();
  }

  // The sample file with lines added at its end, renamed into place.
  void UseLabWith(const std::string& added) {
    std::ifstream in(CONFIG_DATA_DIR "/lab.reg", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf() << "\r\n" << added;
    const std::string next = path_ + ".new";
    std::ofstream(next, std::ios::binary) << text.str();
    ASSERT_EQ(std::rename(next.c_str(), path_.c_str()), 0);
  }


  void MarkUntouched() {
    entries_ = {kUntouchedText, kUntouchedText, kUntouched, kUntouched, kUntouched, kUntouched};
  }

  int32_t ReadFailing() {
    MarkUntouched();
    const int32_t rc = ProcessCFNFileEntries(&entries_);
    EXPECT_EQ(entries_.trace_module_name, kUntouchedText);
    EXPECT_EQ(entries_.cmmuser, kUntouched);
    entries_ = CFNFileEntries{};
    return rc;
  }

  std::string path_;
};

TEST_F(RegistryEntriesTest, TheActiveConfigurationIsDeliveredWithoutTheTraceLibrary) {
  UseLabWith("");
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  EXPECT_STREQ(entries_.trace_module_name, "VIRARUDI");
  EXPECT_STREQ(entries_.trace_entry_name, "_LOGFACILITIESEP@8");
  EXPECT_EQ(Entries(entries_.cmmuser),
            (std::vector<std::string>{"MODE=active", "PORT=4711", "HOST=lab-gw-1"}));
  const auto provider = Entries(entries_.provider);
  ASSERT_EQ(provider.size(), 3u);
  EXPECT_EQ(provider[0], "PATH=%QRX%\\p") << "REG_EXPAND_SZ as stored, not expanded";
  EXPECT_EQ(std::memcmp(entries_.provider->next->value, "\x03\0\0\0\0", 5), 0)
      << "a number's bytes, then a terminator";
  EXPECT_EQ(entries_.cmmusergw, nullptr) << "a section without values";
  EXPECT_EQ(entries_.services, nullptr) << "a section that does not exist";
  EXPECT_EQ(RequestCount(), 0u);
  EXPECT_TRUE(Api().calls.empty());
  Release(entries_);
  ExpectNothingLeftOver();
}

TEST_F(RegistryEntriesTest, ABrokenActiveConfigurationGivesMinus10WithNothingWritten) {
  const std::string active = kConfigurations;
  for (const std::string& added :
       {std::string("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltara\\Quorix\\V100\\Configurations]\r\n"),
        active + "@=-\r\n", active + "@=hex(2):4c,61,62,00\r\n", active + "@=\"\"\r\n",
        active + "@=\"Nowhere\"\r\n", active + "@=\"TwoTrace\"\r\n",
        active + "@=\"NumberTrace\"\r\n", active + "@=\"NoTrace\"\r\n"}) {
    UseLabWith(added);
    EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << added;
  }
  ExpectNothingLeftOver();
}

TEST_F(RegistryEntriesTest, EveryMemgetFailingInTurnGivesMinus10AndLeavesOnlyTheCallersBlocks) {
  UseLabWith("");
  FailMemget(0);
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  const uint64_t blocks = MemgetCalls();
  Release(entries_);
  for (uint64_t n = 1; n <= blocks; ++n) {
    FailMemget(n);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE) << n;
    Release(entries_);
    ExpectNothingLeftOver();
  }
}

}  // namespace
