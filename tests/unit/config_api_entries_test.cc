// ProcessCFNFileEntries through the configuration API (a fake of its request
// function), QXGetCfg and the link to the trace library.
#include <cstring>

#include "config/config_api_entries.h"
#include "config/trace_link.h"
#include "config_test.h"
#include "krtcapi.h"

namespace {

std::string NameField(const fakes::ConfigApiCall& call) {
  return std::string(reinterpret_cast<const char*>(call.block.data() + KRTC_NAME_OFFSET),
                     KRTC_NAME_SIZE);
}

uint32_t HandleOf(const fakes::ConfigApiCall& call) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | call.block[KRTC_HANDLE_OFFSET + i];
  return v;
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
  EXPECT_EQ(HandleOf(Api().calls[1]), Api().handle);
  EXPECT_EQ(HandleOf(Api().calls[2]), Api().handle);

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

TEST_F(ConfigApiTest, WithoutANameTheNameFieldIsAllBlanksAndTooLongANameIsCut) {
  SetValue("QRXCONFIG", "");
  ProcessCFNFileEntries(&entries_);
  EXPECT_EQ(NameField(Api().calls.at(0)), std::string(260, ' '));
  Release(entries_);

  fakes::Services().config_values.erase("QRXCONFIG");
  Api().calls.clear();
  ProcessCFNFileEntries(&entries_);
  EXPECT_EQ(NameField(Api().calls.at(0)), std::string(260, ' '));
  Release(entries_);

  const std::string long_name = std::string(259, 'n') + "XY";
  SetValue("QRXCONFIG", long_name);
  Api().calls.clear();
  ProcessCFNFileEntries(&entries_);
  EXPECT_EQ(NameField(Api().calls.at(0)), long_name.substr(0, 260));
  EXPECT_EQ(Api().calls.at(0).block[KRTC_OPEN_LEVEL_OFFSET], 7) << "nothing past the field";
}

TEST_F(ConfigApiTest, EmptyAnswersGiveEmptyLists) {
  for (const auto& answer : {std::vector<fakes::ConfigApiEntry>{},
                             std::vector<fakes::ConfigApiEntry>{{"TRACE", "T", "t"}, {"OTHER", "O", "o"}}}) {
    Api().entries = answer;
    entries_.cmmuser = entries_.provider = entries_.cmmusergw = entries_.services =
        reinterpret_cast<CFNEntry*>(&entries_);
    ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
    EXPECT_EQ(entries_.cmmuser, nullptr);
    EXPECT_EQ(entries_.provider, nullptr);
    EXPECT_EQ(entries_.cmmusergw, nullptr);
    EXPECT_EQ(entries_.services, nullptr);
    Release(entries_);
  }
}

TEST_F(ConfigApiTest, ACountAboveWhatTheBlockHoldsReadsOnlyTheEntriesItHolds) {
  for (int i = 0; i < 30; ++i) Api().entries.push_back({"CMMUSER", "E" + std::to_string(i), "v"});
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  const auto list = Entries(entries_.cmmuser);
  ASSERT_EQ(list.size(), 24u);
  EXPECT_EQ(list.front(), "E23=v");
}

TEST_F(ConfigApiTest, FieldsWithoutTerminatorEndAtTheFieldsEnd) {
  Api().entries = {{std::string(32, 'S'), "n", "v"},
                   {"CMMUSER", std::string(128, 'N'), std::string(128, 'V')}};
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  ASSERT_NE(entries_.cmmuser, nullptr);
  EXPECT_EQ(std::strlen(entries_.cmmuser->name), 128u);
  EXPECT_EQ(std::strlen(entries_.cmmuser->value), 128u);
}

TEST_F(ConfigApiTest, Refusal49WithAGoodCloseGivesMinus12AndLogsNothing) {
  Api().failures[KRTC_ENTRIES] = {KRTC_RC_REFUSED, 49};
  entries_.cmmuser = reinterpret_cast<CFNEntry*>(&entries_);
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_CFG_TOO_MANY_ENTRIES);
  EXPECT_EQ(Codes(), (std::vector<uint16_t>{KRTC_OPEN, KRTC_ENTRIES, KRTC_CLOSE}));
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty());
  EXPECT_EQ(entries_.cmmuser, reinterpret_cast<CFNEntry*>(&entries_)) << "lists not written";
  entries_.cmmuser = nullptr;
  EXPECT_NE(entries_.trace_module_name, nullptr) << "the trace entry stays the caller's";
}

TEST_F(ConfigApiTest, EntriesAndCloseBothFailingLogTwoMessages) {
  Api().failures[KRTC_ENTRIES] = {9, 5};
  Api().failures[KRTC_CLOSE] = {0xFFFF, -2};
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE);
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 2u);
  const uint32_t base = 0x00100000;
  EXPECT_EQ(errors[0].error.error_id, base + 0x22102);
  EXPECT_EQ(errors[1].error.error_id, base + 0x22103);
  for (const auto& e : errors) {
    EXPECT_EQ(e.component, "ORVESVC");
    EXPECT_EQ(e.msg_id, "QRX0003E");
    EXPECT_EQ(e.error.msg_no, 3u);
    EXPECT_EQ(e.error.code, 0x10003u);
    EXPECT_EQ(e.error.log_option, 1);
    EXPECT_EQ(e.error.data_length, 0);
  }
  EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u);
}

TEST_F(ConfigApiTest, ErrorTextsShowTheCodesAsTheirFieldsHoldThem) {
  static std::vector<std::string> seen;
  seen.clear();
  // Keeps the texts, which are valid only during the call.
  auto keep_texts = +[](uint32_t type, LogRequest* request) -> int32_t {
    if (type == LOGREQ_ERROR) seen.emplace_back(static_cast<const char*>(request->error.data));
    return 0;
  };
  Api().failures[KRTC_CLOSE] = {0xFFFF, -2};
  EXPECT_EQ(libdevavu::config::ReadConfigApiEntries(&entries_, keep_texts), 0)
      << "a failed close leaves the result as it was";
  Release(entries_);
  Api().failures[KRTC_OPEN] = {5, 0};
  EXPECT_EQ(libdevavu::config::ReadConfigApiEntries(&entries_, keep_texts), DV_UNUSABLE);
  Release(entries_);
  SetValue("QRXCONFIG", "");
  libdevavu::config::ReadConfigApiEntries(&entries_, keep_texts);
  Release(entries_);
  SetValue("QRXCONFIG", std::string(300, 'n'));
  libdevavu::config::ReadConfigApiEntries(&entries_, keep_texts);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], "KRT_CFG_API primary_rc=65535, secondary_rc=-2");
  EXPECT_EQ(seen[1], "KRT_CFG_API(Lab) primary_rc=5, secondary_rc=0");
  EXPECT_EQ(seen[2], "KRT_CFG_API() primary_rc=5, secondary_rc=0");
  EXPECT_EQ(seen[3], "KRT_CFG_API(" + std::string(243, 'n')) << "cut to 255 characters";
}

TEST_F(ConfigApiTest, AFailedOpenLogsQrx0004EAndSendsNoFurtherRequest) {
  Api().failures[KRTC_OPEN] = {5, 0};
  EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE);
  EXPECT_EQ(Codes(), (std::vector<uint16_t>{KRTC_OPEN}));
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].msg_id, "QRX0004E");
  EXPECT_EQ(errors[0].error.error_id, 0x00100000u + 0x22101);
  EXPECT_EQ(errors[0].error.msg_no, 4u);
  EXPECT_EQ(errors[0].error.code, 0x10004u);
  EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u);
}

TEST_F(ConfigApiTest, WithoutATraceLibraryTheErrorsGoNowhere) {
  Api().failures[KRTC_OPEN] = {5, 0};
  EXPECT_EQ(libdevavu::config::ReadConfigApiEntries(&entries_, nullptr), DV_UNUSABLE);
  EXPECT_EQ(RequestCount(), 0u);
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

TEST_F(ConfigApiTest, QXGetCfgAndQXGetEnvAreOneFunctionHandingTheValueThrough) {
  EXPECT_EQ(reinterpret_cast<void*>(&QXGetCfg), reinterpret_cast<void*>(&QXGetEnv));
  SetValue("QRXRUN", "TRUE");
  EXPECT_EQ(QXGetCfg("QRXRUN"), win32_getcfg("QRXRUN"));
  EXPECT_STREQ(QXGetEnv("QRXRUN"), "TRUE");
  EXPECT_EQ(QXGetCfg("NO_SUCH_VALUE"), nullptr);
}

}  // namespace
