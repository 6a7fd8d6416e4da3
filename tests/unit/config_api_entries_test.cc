// ProcessCFNFileEntries through the configuration API (a fake of its request
// function), QXGetCfg and the link to the trace library.
#include <map>

#include "config/config_api_entries.h"
#include "config/trace_link.h"
#include "config_test.h"
#include "krtcapi.h"

namespace {

std::string NameField(const fakes::ConfigApiCall& call) {
  return std::string(reinterpret_cast<const char*>(call.block.data() + KRTC_NAME_OFFSET),
                     KRTC_NAME_SIZE);
}

// The fake's handle 0x00C0FFEE as the block carries it, low byte first.
std::vector<uint8_t> HandleBytes(const fakes::ConfigApiCall& call) {
  return {call.block.begin() + KRTC_HANDLE_OFFSET, call.block.begin() + KRTC_HANDLE_OFFSET + 4};
}

class ConfigApiTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    SetValue("QRXCONFIG", "Lab");
  }
  void TearDown() override {
    Release(entries_);
    ExpectNothingLeftOver();
    ConfigTest::TearDown();
  }

  std::vector<uint16_t> Codes() const {
    std::vector<uint16_t> codes;
    for (const auto& call : Api().calls) codes.push_back(call.code);
    return codes;
  }
};

TEST_F(ConfigApiTest, AttachOpenEntriesCloseDetachInThisOrder) {
  Api().entries = {{"CMMUSER", "A", "1"}, {"PROVIDER", "P", "x"}, {"CMMUSER", "B", "2"},
                   {"SERVICES", "S", ""}, {"cmmuser", "lower", "case"}, {"TRACE", "T", "t"}};
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  EXPECT_STREQ(entries_.trace_module_name, "VIRARUDI");
  EXPECT_STREQ(entries_.trace_entry_name, "_LOGFACILITIESEP@8");
  EXPECT_EQ(Entries(entries_.cmmuser), (std::vector<std::string>{"B=2", "A=1"}));
  EXPECT_EQ(Entries(entries_.provider), (std::vector<std::string>{"P=x"}));
  EXPECT_EQ(entries_.cmmusergw, nullptr);
  EXPECT_EQ(Entries(entries_.services), (std::vector<std::string>{"S="}));

  EXPECT_EQ(Codes(), (std::vector<uint16_t>{KRTC_OPEN, KRTC_ENTRIES, KRTC_CLOSE}));
  const auto& open = Api().calls[0];
  EXPECT_EQ(open.block.size(), KRTC_OPEN_LENGTH);
  EXPECT_EQ(NameField(open), "Lab" + std::string(257, ' '));
  EXPECT_EQ(open.block[KRTC_OPEN_LEVEL_OFFSET], 7);
  EXPECT_EQ(Api().calls[1].block.size(), KRTC_ENTRIES_LENGTH);
  EXPECT_EQ(Api().calls[2].block.size(), KRTC_CLOSE_LENGTH);
  EXPECT_EQ(HandleBytes(Api().calls[1]), (std::vector<uint8_t>{0xEE, 0xFF, 0xC0, 0x00}));
  EXPECT_EQ(HandleBytes(Api().calls[2]), (std::vector<uint8_t>{0xEE, 0xFF, 0xC0, 0x00}));

  const auto& requests = fakes::TraceLib().requests;
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].type, static_cast<uint32_t>(LOGREQ_ATTACH));
  EXPECT_EQ(requests[0].component, "ORVESVC");
  EXPECT_EQ(requests[1].type, static_cast<uint32_t>(LOGREQ_DETACH));
  EXPECT_EQ(requests[1].component, "ORVESVC");
}

TEST_F(ConfigApiTest, OnlyTrueInCapitalsSelectsTheRegistry) {
  for (const char* run : {"", "true", "TRUE ", " TRUE", "True"}) {
    SetValue("QRXRUN", run);
    Api().calls.clear();
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), 0) << run;
    EXPECT_EQ(Api().calls.size(), 3u) << run;
    Release(entries_);
  }
  SetValue("QRXRUN", "TRUE");
  Api().calls.clear();
  fakes::TraceLib().requests.clear();
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE) << "no registry file";
  EXPECT_TRUE(Api().calls.empty());
  EXPECT_EQ(RequestCount(), 0u) << "no attach and no detach on the registry path";
}

TEST_F(ConfigApiTest, NameFieldIsTheNameCutOrBlankPadded) {
  const std::string long_name = std::string(259, 'n') + "XY";
  for (const std::string& name : {std::string(), long_name}) {
    SetValue("QRXCONFIG", name);
    Api().calls.clear();
    ProcessCFNFileEntries(&entries_);
    EXPECT_EQ(NameField(Api().calls.at(0)), (name + std::string(260, ' ')).substr(0, 260));
    EXPECT_EQ(Api().calls.at(0).block[KRTC_OPEN_LEVEL_OFFSET], 7) << "nothing past the field";
    Release(entries_);
  }
}

TEST_F(ConfigApiTest, AnswerIsReadWithinTheBlockAndItsFields) {
  for (int i = 0; i < 30; ++i) Api().entries.push_back({"CMMUSER", "E" + std::to_string(i), "v"});
  Api().entries[0] = {"CMMUSER", std::string(128, 'N'), std::string(128, 'V')};
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  const auto list = Entries(entries_.cmmuser);
  ASSERT_EQ(list.size(), 24u) << "a count above what the block holds";
  EXPECT_EQ(list.front(), "E23=v");
  EXPECT_EQ(list.back(), std::string(128, 'N') + "=" + std::string(128, 'V'))
      << "fields without terminator end at the field's end";
}

TEST_F(ConfigApiTest, FailedRequestsAreLoggedAndTheConfigurationClosed) {
  const struct {
    std::map<uint16_t, fakes::ConfigApiFailure> failures;
    int32_t rc;
    std::vector<uint16_t> codes;
    std::vector<std::pair<uint32_t, std::string>> errors;  // id offset, message id
  } cases[] = {
      {{{KRTC_ENTRIES, {KRTC_RC_REFUSED, KRTC_TOO_MANY_ENTRIES}}}, DV_CFG_TOO_MANY_ENTRIES,
       {KRTC_OPEN, KRTC_ENTRIES, KRTC_CLOSE}, {}},
      {{{KRTC_ENTRIES, {9, 5}}, {KRTC_CLOSE, {0xFFFF, -2}}}, DV_UNUSABLE,
       {KRTC_OPEN, KRTC_ENTRIES, KRTC_CLOSE}, {{0x22102, "QRX0003E"}, {0x22103, "QRX0003E"}}},
      {{{KRTC_OPEN, {5, 0}}}, DV_UNUSABLE, {KRTC_OPEN}, {{0x22101, "QRX0004E"}}},
  };
  for (const auto& c : cases) {
    fakes::ResetAll();
    Api() = fakes::ConfigApi{};
    Api().failures = c.failures;
    SetValue("QRXCONFIG", "Lab");
    entries_.cmmuser = reinterpret_cast<CFNEntry*>(&entries_);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), c.rc);
    EXPECT_EQ(entries_.cmmuser, reinterpret_cast<CFNEntry*>(&entries_)) << "lists not written";
    entries_.cmmuser = nullptr;
    EXPECT_EQ(Codes(), c.codes);
    std::vector<std::pair<uint32_t, std::string>> errors;
    for (const auto& e : Requests(LOGREQ_ERROR)) {
      errors.emplace_back(e.error.error_id - 0x00100000u, e.msg_id);
      EXPECT_EQ(e.component, "ORVESVC");
      EXPECT_EQ(e.error.code, 0x10000u + e.error.msg_no);
    }
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u);
    Release(entries_);
  }
}

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

TEST_F(ConfigApiTest, EveryMemgetFailingInTurnGivesMinus10AndLeavesOnlyTheCallersBlocks) {
  Api().entries = {{"CMMUSER", "A", "1"}, {"CMMUSER", "B", "2"}, {"SERVICES", "S", "3"}};
  FailMemget(0);
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  const uint64_t blocks = MemgetCalls();
  EXPECT_EQ(blocks, 2u + 3u * 3u);
  Release(entries_);
  for (uint64_t n = 1; n <= blocks; ++n) {
    FailMemget(n);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE) << n;
    if (n <= 2) {
      EXPECT_EQ(entries_.trace_module_name, nullptr) << n;
    } else {
      // The lists hold every complete node made before the failure.
      const size_t whole = (n - 3) / 3;
      EXPECT_EQ(Entries(entries_.cmmuser).size() + Entries(entries_.services).size(), whole) << n;
    }
    Release(entries_);
    ExpectNothingLeftOver();
  }
}

TEST_F(ConfigApiTest, QXGetCfgHandsTheValueThrough) {
  SetValue("QRXRUN", "TRUE");
  EXPECT_EQ(QXGetCfg("QRXRUN"), win32_getcfg("QRXRUN"));
  EXPECT_EQ(QXGetCfg("NO_SUCH_VALUE"), nullptr);
}

}  // namespace
