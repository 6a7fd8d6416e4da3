#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "library_test.h"
#include "platform/trace_file.h"
#include "support/test_thread.h"

namespace {

using libdevavu::frame::State;

using AttachmentTest = LibraryTest;

// The first attachment registers the library's own anchor first; traces go
// out while attached and usable; detaching releases the names once and keeps
// the labels and the base.
TEST_F(AttachmentTest, AttachTraceAndDetach) {
  StartAndAttach();
  const auto attaches = Requests(LOGREQ_ATTACH);
  ASSERT_EQ(attaches.size(), 2u);
  EXPECT_EQ(attaches[0].component + " " + attaches[1].component, "ORVESVC APP");
  EXPECT_EQ(anchor_.attach_word, 7u);
  EXPECT_EQ(*anchor_.trace_flags, QX_TRACE_ON);
  const uint8_t data[3] = {1, 2, 3};
  QXLogTrace(&anchor_, anchor_.debug_info_label, "text", data, sizeof data);
  State().lib_unusable = 1;
  QXLogTrace(&anchor_, anchor_.func_call_label, "x", nullptr, 0);
  State().lib_unusable = 0;

  const size_t before = fakes::LiveBlocks();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(UnGetTraceErrLogAddressability("APP", &entry_, &anchor_), 0);
  }
  EXPECT_EQ(fakes::LiveBlocks(), before - 2);
  EXPECT_EQ(anchor_.log_entry, nullptr);
  EXPECT_EQ(anchor_.trace_flags, &anchor_.local_flags);
  EXPECT_EQ(anchor_.error_id_base, 0x00100000u);
  EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u) << "a detached anchor sends no second detach";
  QXLogTrace(&anchor_, anchor_.func_call_label, "x", nullptr, 0);
  const auto traces = Requests(LOGREQ_TRACE);
  ASSERT_EQ(traces.size(), 1u) << "nothing sent when unusable or detached";
  EXPECT_EQ(traces[0].label + "|" + traces[0].component + "|" + traces[0].text + "|" +
                std::to_string(traces[0].length),
            "DEBUG INFO |APP|text|3");
  devavu_term();
}

// Components of several threads attaching at once, while another thread
// takes lib_lock again and again, attach the library itself once and leave
// no block behind.
TEST_F(AttachmentTest, SimultaneousFirstAttachmentsAttachTheLibraryOnce) {
  constexpr int kThreads = 8;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    fakes::ResetAll();
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(devavu_init2(0), 0);
    std::vector<TraceEntry> entries(kThreads);
    std::vector<TraceAnchor> anchors(kThreads);
    std::vector<int32_t> results(kThreads, -99);
    for (int i = 0; i < kThreads; ++i) {
      ASSERT_EQ(ProcessCFNFileTraceEntry(&entries[i]), 0);
      InitAnchor(anchors[i], "APP");
    }
    std::atomic<bool> go{false};
    std::atomic<bool> done{false};
    TestThread busy([&] {
      uint8_t version[4];
      while (!done.load()) devavu(0, version);
    });
    std::vector<TestThread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        while (!go.load()) libdevavu::platform::YieldProcessor();
        results[i] = GetTraceErrLogAddressability("APP", &entries[i], &anchors[i]);
      });
    }
    go = true;
    for (auto& t : threads) t.join();
    done = true;
    busy.join();
    EXPECT_EQ(results, std::vector<int32_t>(kThreads, 0));
    {
      libdevavu::platform::LockHolder hold(fakes::Lock());
      const auto& requests = fakes::TraceLib().requests;
      const auto own = [](const fakes::Request& r) {
        return r.type == LOGREQ_ATTACH && r.component == "ORVESVC";
      };
      EXPECT_EQ(std::count_if(requests.begin(), requests.end(), own), 1);
    }
    for (int i = 0; i < kThreads; ++i) {
      UnGetTraceErrLogAddressability("APP", &entries[i], &anchors[i]);
    }
    devavu_term();
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
}

// Fails every MEMGET of a whole component life in turn: each failure gives
// its documented result, and nothing is left behind.
TEST_F(AttachmentTest, EveryMemgetFailureIsCleanlyHandled) {
  for (uint64_t nth = 1;; ++nth) {
    SCOPED_TRACE(nth);
    fakes::ResetAll();
    fakes::Services().fail_at = nth;
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(devavu_init2(0), 0);
    TraceEntry entry{};
    const int32_t entry_rc = ProcessCFNFileTraceEntry(&entry);
    TraceAnchor anchor;
    InitAnchor(anchor, "APP");
    const int32_t attach_rc = GetTraceErrLogAddressability("APP", &entry, &anchor);
    if (attach_rc == 0) QXLogTrace(&anchor, anchor.func_call_label, "work", nullptr, 0);
    UnGetTraceErrLogAddressability("APP", &entry, &anchor);
    devavu_term();

    EXPECT_EQ(fakes::LiveBlocks(), 0u);
    EXPECT_EQ(fakes::Services().bad_frees, 0);
    if (nth <= 2) {  // the component's own entry fails, and no name is stored
      EXPECT_EQ(entry_rc, -10);
      EXPECT_EQ(entry.entry_name, nullptr);
    } else if (nth <= 4) {  // the library's own entry fails: its result comes back
      EXPECT_EQ(attach_rc, -10);
    } else {
      EXPECT_EQ(attach_rc, 0);
      EXPECT_EQ(fakes::Services().memget_calls, 4u);
      break;
    }
  }
}

TEST_F(AttachmentTest, ErrorRequestAndTraceCopyHoldEveryArgument) {
  StartAndAttach();
  const auto* object = reinterpret_cast<const void*>(uintptr_t{0xABCDEF});
  const DvWord extras[3] = {0xAAAA, 0xBBBB, 0xCCCC};
  const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(QXLogErrMsg(&anchor_, 0x00121201, object, 0, 0xFFFFFFFF, 0x10003, sizeof data, data,
                        "QRX0003E", 3, extras),
            0);
  const auto error = Requests(LOGREQ_ERROR).at(0);
  const LogErrorRequest& err = error.error;
  EXPECT_EQ(error.component + " " + error.msg_id, "APP QRX0003E");
  EXPECT_EQ((std::vector<DvWord>{err.error_id, err.object, err.msg_no, err.code, err.data_length,
                                 err.extra[0], err.extra[1]}),
            (std::vector<DvWord>{0x121201, 0xABCDEF, 0xFFFFFFFF, 0x10003, 4, 0xAAAA, 0xBBBB}));
  EXPECT_EQ(err.data, data);
  const auto copy = Requests(LOGREQ_TRACE).at(0);
  EXPECT_EQ(copy.label + "|" + copy.text, "***ERROR***|00ABCDEF 00121201 FFFFFFFF 00010003");
  EXPECT_EQ(copy.data_pointer, data);
  DetachAndTerm();
}

// Which requests go out: the error unless suppressed, its trace copy when
// either trace bit is on and the library is usable; the log option needs flag
// bit 0 and an init2 mode.
TEST_F(AttachmentTest, ErrorAndItsTraceCopyGoOutIndependently) {
  StartAndAttach();
  const struct {
    uint8_t trace, log;
    uint16_t mode, option;
    bool suppressed, unusable;
    int32_t answer, rc;
    size_t errors, traces;
  } cases[] = {
      {0, 1, 0, 0, false, false, 0, 0, 1, 0},
      {0, 0xFE, 1, 0, false, false, 0, 0, 1, 0},
      {0, 3, 7, 2, false, false, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, 0, 0, 0, false, false, 0, 0, 1, 1},
      {QX_TRACE_ON, 0, 0, 0, false, false, 5, -1, 1, 1},
      {QX_TRACE_ON, 0, 0, 0, false, true, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, 0, 0, 0, true, false, 5, 0, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.trace) << " " << int(c.log) << " " << c.mode);
    ClearRequests();
    uint8_t flags = c.trace;
    anchor_.trace_flags = &flags;
    fakes::TraceLib().error_answer = c.answer;
    State().init2_mode = c.mode;
    State().lib_unusable = c.unusable ? 1 : 0;
    if (c.suppressed) QXSuppressMsgLogging();
    EXPECT_EQ(QXLogErrMsg(&anchor_, 0x00121301, nullptr, c.log, 2, 0x10002, 0, "MEMGET(40)",
                          "QRX0002E", 0, nullptr),
              c.rc);
    EXPECT_EQ(Requests(LOGREQ_TRACE).size(), c.traces);
    ASSERT_EQ(Requests(LOGREQ_ERROR).size(), c.errors);
    if (c.errors == 1) {
      EXPECT_EQ(Requests(LOGREQ_ERROR).back().error.log_option, c.option);
    }
    if (c.traces == 1) {  // a zero length with data traces the text
      const auto copy = Requests(LOGREQ_TRACE).back().data;
      EXPECT_EQ(std::string(copy.begin(), copy.end()), "MEMGET(40)");
    }
  }
  State().lib_unusable = 0;
  anchor_.trace_flags = &anchor_.local_flags;
  DetachAndTerm();
}

}  // namespace
