// ProcessCFNFileEntries through the configuration API library over the
// sample .cfn files, and the reading of its answer.
#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "config/section_list.h"
#include "config_test.h"
#include "krtcapi.h"
#include "platform/process.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

class ConfigApiTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    // The library reads it through the common services: the fakes where they
    // interpose, the real ones elsewhere.
    SetValue("QRXCFNDIR", CONFIG_DATA_DIR);
    SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR);
  }
};

// QRXRUN other than TRUE (in capitals, without blanks) selects this store. The
// configuration is read between the reader's attach and detach; a failed open
// is logged.
TEST_F(ConfigApiTest, TheConfigurationIsReadBetweenAttachAndDetach) {
  const std::string lab =
      "MODE=active,PORT=4711,HOST=lab-gw-1,|URL=https://lab.example/cfg?a=1;b=2#top,"
      "NAME=quorix.provider,||EMPTY=,|";
  // QRXRUN, QRXCONFIG, the result. The last name is longer than the request's
  // field.
  const std::tuple<const char*, std::string, int32_t> cases[] = {
      {"", "lab", 0}, {"true", "lab", 0}, {"TRUE ", "lab", 0}, {"True", "lab", 0},
      {"", "crowded", DV_CFG_TOO_MANY_ENTRIES}, {"", "absent", DV_UNUSABLE},
      {"", std::string(400, 'n'), DV_UNUSABLE}};
  for (const auto& [run, name, rc] : cases) {
    SCOPED_TRACE(name + "/" + run);
    SetValue("QRXRUN", run);
    SetValue("QRXCONFIG", name);
    fakes::TraceLib().requests.clear();
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), rc);
    EXPECT_EQ(Entries(), rc == 0 ? lab : "||||") << "a failed read writes no list";
    std::vector<uint32_t> sent;
    for (const auto& r : fakes::TraceLib().requests) sent.push_back(r.type);
    EXPECT_EQ(sent, (rc == DV_UNUSABLE
                         ? std::vector<uint32_t>{LOGREQ_ATTACH, LOGREQ_ERROR, LOGREQ_DETACH}
                         : std::vector<uint32_t>{LOGREQ_ATTACH, LOGREQ_DETACH}));
    Release();
  }
  SetValue("QRXCONFIG", "lab");
  ExpectEveryMemgetFailureHandled();
  SetValue("QRXCONFIG", "full");
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0) << "as many entries as one answer holds";
  EXPECT_EQ(std::ranges::count(Entries(), '='), KRTC_MAX_ENTRIES);
}

// Answers the library never gives: a count above what the block holds,
// fields without their terminator. Sections compare byte for byte.
TEST_F(ConfigApiTest, AnAnswerIsReadWithinTheBlockAndItsFields) {
  std::vector<uint8_t> answer(KRTC_ENTRIES_LENGTH, 'N');
  answer[KRTC_COUNT_OFFSET] = 30;
  answer[KRTC_COUNT_OFFSET + 1] = 0;
  for (size_t i = 0; i < KRTC_MAX_ENTRIES; ++i) {
    uint8_t* const entry = answer.data() + KRTC_ENTRY_OFFSET + i * KRTC_ENTRY_SIZE;
    std::memcpy(entry, i == 1 ? "cmmuser" : "CMMUSER", 8);
  }
  ASSERT_EQ(libdevavu::config::BuildSectionList(answer.data(), "[CMMUSER]", &entries_.cmmuser), 0);
  const std::string entry = std::string(KRTC_ENTRY_NAME_SIZE, 'N') + "=" +
                            std::string(KRTC_VALUE_SIZE, 'N') + ",";
  EXPECT_EQ(Entries().size(), 23 * entry.size() + 4);
  EXPECT_TRUE(Entries().starts_with(entry));
}

}  // namespace
