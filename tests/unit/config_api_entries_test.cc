// ProcessCFNFileEntries through the configuration API library over the
// sample .cfn files, the reading of its answer, QXGetCfg and the link to the
// trace library.
#include <cstring>

#include "config/section_list.h"
#include "config/trace_link.h"
#include "config_test.h"
#include "krtcapi.h"
#include "platform/process.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

class ConfigApiTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    SetValue("QRXCONFIG", "lab");
    // The library reads it through the common services: the fakes where they
    // interpose, the real ones elsewhere.
    SetValue("QRXCFNDIR", CONFIG_DATA_DIR);
    SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR);
  }
  void TearDown() override {
    SetEnvironmentValue("QRXCFNDIR", nullptr);
    ConfigTest::TearDown();
  }
};

TEST_F(ConfigApiTest, TheConfigurationIsReadBetweenAttachAndDetach) {
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  EXPECT_STREQ(entries_.trace_module_name, "VIRARUDI");
  EXPECT_STREQ(entries_.trace_entry_name, "_LOGFACILITIESEP@8");
  EXPECT_EQ(Entries(entries_.cmmuser), (std::vector<std::string>{"MODE=active", "PORT=4711", "HOST=lab-gw-1"}));
  EXPECT_EQ(Entries(entries_.provider),
            (std::vector<std::string>{"URL=https://lab.example/cfg?a=1;b=2#top", "NAME=quorix.provider"}));
  EXPECT_EQ(entries_.cmmusergw, nullptr);
  EXPECT_EQ(Entries(entries_.services), (std::vector<std::string>{"EMPTY="}));
  std::vector<std::pair<uint32_t, std::string>> requests;
  for (const auto& r : fakes::TraceLib().requests) requests.emplace_back(r.type, r.component);
  EXPECT_EQ(requests, (decltype(requests){{LOGREQ_ATTACH, "ORVESVC"}, {LOGREQ_DETACH, "ORVESVC"}}));
  Release();
  SetValue("QRXCONFIG", "full");
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0) << "as many entries as one answer holds";
  EXPECT_EQ(Entries(entries_.cmmuser).size(), KRTC_MAX_ENTRIES);
}

TEST_F(ConfigApiTest, OnlyTrueInCapitalsSelectsTheRegistry) {
  for (const char* run : {"", "true", "TRUE ", " TRUE", "True"}) {
    SetValue("QRXRUN", run);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), 0) << run;
    Release();
  }
  SetValue("QRXRUN", "TRUE");
  fakes::TraceLib().requests.clear();
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE) << "no registry file";
  EXPECT_EQ(RequestCount(), 0u) << "no attach and no detach on the registry path";
}

TEST_F(ConfigApiTest, AFailedReadIsLoggedAndWritesNoList) {
  // The last name is longer than the request's field.
  const std::pair<std::string, int32_t> cases[] = {
      {"crowded", DV_CFG_TOO_MANY_ENTRIES}, {"absent", DV_UNUSABLE}, {std::string(400, 'n'), DV_UNUSABLE}};
  for (const auto& [name, rc] : cases) {
    fakes::TraceLib().requests.clear();
    SetValue("QRXCONFIG", name);
    entries_.cmmuser = reinterpret_cast<CFNEntry*>(&entries_);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), rc) << name;
    EXPECT_EQ(entries_.cmmuser, reinterpret_cast<CFNEntry*>(&entries_)) << "lists not written";
    entries_.cmmuser = nullptr;
    const auto errors = Requests(LOGREQ_ERROR);  // a failed open's
    ASSERT_EQ(errors.size(), rc == DV_UNUSABLE ? 1u : 0u) << name;
    for (const auto& e : errors) {
      EXPECT_EQ(e.component, "ORVESVC");
      EXPECT_EQ(e.msg_id, "QRX0004E");
      EXPECT_EQ(e.error.error_id, 0x00122101u);
      EXPECT_EQ(e.error.code, 0x10000u + e.error.msg_no);
    }
    EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u);
    Release();
  }
}

// Answers the library never gives: a count above what the block holds,
// fields without their terminator.
TEST_F(ConfigApiTest, AnAnswerIsReadWithinTheBlockAndItsFields) {
  std::vector<uint8_t> answer(KRTC_ENTRIES_LENGTH);
  answer[KRTC_COUNT_OFFSET] = 30;
  const auto field = [&answer](size_t entry, size_t offset) {
    return reinterpret_cast<char*>(answer.data() + KRTC_ENTRY_OFFSET + entry * KRTC_ENTRY_SIZE + offset);
  };
  for (size_t i = 0; i < KRTC_MAX_ENTRIES; ++i) {
    std::strcpy(field(i, 0), i == 1 ? "cmmuser" : "CMMUSER");
    std::strcpy(field(i, KRTC_SECTION_SIZE), ("E" + std::to_string(i)).c_str());
    std::strcpy(field(i, KRTC_SECTION_SIZE + KRTC_ENTRY_NAME_SIZE), "v");
  }
  std::memset(field(0, KRTC_SECTION_SIZE), 'N', KRTC_ENTRY_NAME_SIZE + KRTC_VALUE_SIZE);
  ASSERT_EQ(libdevavu::config::BuildSectionList(answer.data(), "[CMMUSER]", &entries_.cmmuser), 0);
  const auto list = Entries(entries_.cmmuser);
  ASSERT_EQ(list.size(), 23u) << "the entries the block holds, byte for byte the section's";
  EXPECT_EQ(list.front(), "E23=v");
  EXPECT_EQ(list.back(), std::string(128, 'N') + "=" + std::string(128, 'N'));
}

TEST_F(ConfigApiTest, EveryMemgetFailingInTurnGivesMinus10) { ExpectEveryMemgetFailureHandled(); }

TEST_F(ConfigApiTest, TheTraceLibraryIsLookedForUntilFoundAndThenKept) {
  fakes::Services().load_result = ORV_MODULE_NOT_FOUND;
  libdevavu::config::TraceLibraryLink link;
  EXPECT_EQ(link.Entry(), nullptr);
  fakes::Services().load_result = 0;
  EXPECT_EQ(link.Entry(), &fakes::FakeLogFacilities) << "a failed first load is tried again";
  EXPECT_EQ(link.Entry(), &fakes::FakeLogFacilities);
  EXPECT_EQ(fakes::Services().loaded_modules, (std::vector<std::string>{"VIRARUDI", "VIRARUDI"}));
  EXPECT_EQ(fakes::Services().resolved_entries.back(), "_LOGFACILITIESEP@8");
}

TEST_F(ConfigApiTest, QXGetCfgHandsTheValueThrough) {
  EXPECT_EQ(QXGetCfg("QRXCONFIG"), win32_getcfg("QRXCONFIG"));
  EXPECT_EQ(QXGetCfg("NO_SUCH_VALUE"), nullptr);
}

}  // namespace
