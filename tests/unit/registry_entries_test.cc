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

  void UseActive(const std::string& name) { UseLabWith(std::string(kConfigurations) + "@=\"" + name + "\"\r\n"); }

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
  UseLabWith("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltara\\Quorix\\V100\\Configurations]\r\n");
  EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << "no Configurations key";
  UseLabWith(std::string(kConfigurations) + "@=-\r\n");
  EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << "no default value";
  UseLabWith(std::string(kConfigurations) + "@=hex(2):4c,61,62,00\r\n");
  EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << "a default value of type REG_EXPAND_SZ";
  UseLabWith(std::string(kConfigurations) + "@=\"\"\r\n");
  EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << "an empty name";
  UseActive("Nowhere");
  EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << "a configuration without its key";
  for (const char* trace : {"TwoTrace", "NumberTrace", "NoTrace"}) {
    UseActive(trace);
    EXPECT_EQ(ReadFailing(), DV_UNUSABLE) << trace;
  }
  ExpectNothingLeftOver();
}

TEST_F(RegistryEntriesTest, ASectionFailingHalfWayKeepsWhatWasReadAndStopsTheRest) {
  UseLabWith("");
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  Release(entries_);
  // The trace entry takes 3 blocks, the configuration's name again 1,
  // CMMUSER 3 for each of its values and 3 for the end, PROVIDER's first
  // value 3: the 20th block is the node for PROVIDER's second value.
  FailMemget(3 + 1 + 4 * 3 + 3 + 1);
  entries_.cmmusergw = entries_.services = kUntouched;
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE);
  EXPECT_EQ(Entries(entries_.cmmuser).size(), 3u);
  EXPECT_EQ(Entries(entries_.provider), (std::vector<std::string>{"NAME=quorix.provider"}));
  EXPECT_EQ(entries_.cmmusergw, kUntouched);
  EXPECT_EQ(entries_.services, kUntouched);
  entries_.cmmusergw = entries_.services = nullptr;
  Release(entries_);
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
