#include <atomic>
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
  EXPECT_STREQ(entry_.entry_name, "_LOGFACILITIESEP@8");
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
  EXPECT_EQ(fakes::Services().bad_frees, 0);
  EXPECT_EQ(anchor_.log_entry, nullptr);
  EXPECT_EQ(anchor_.trace_flags, &anchor_.local_flags);
  EXPECT_EQ(anchor_.error_id_base, 0x00100000u);
  EXPECT_EQ(Requests(LOGREQ_DETACH).size(), 1u) << "a detached anchor sends no second detach";
  QXLogTrace(&anchor_, anchor_.func_call_label, "x", nullptr, 0);
  const auto traces = Requests(LOGREQ_TRACE);
  ASSERT_EQ(traces.size(), 1u) << "nothing sent when unusable or detached";
  EXPECT_EQ(traces[0].label + "|" + traces[0].component + "|" + traces[0].text,
            "DEBUG INFO |APP|text");
  EXPECT_EQ(traces[0].length, 3u);
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
      int own = 0;
      for (const auto& r : fakes::TraceLib().requests) {
        own += r.type == LOGREQ_ATTACH && r.component == "ORVESVC" ? 1 : 0;
      }
      EXPECT_EQ(own, 1);
    }
    for (int i = 0; i < kThreads; ++i) {
      UnGetTraceErrLogAddressability("APP", &entries[i], &anchors[i]);
    }
    devavu_term();
    EXPECT_EQ(fakes::LiveBlocks(), 0u);
  }
}

// A reply without flags keeps tracing off; a refused registration passes the
// trace library's answer on, and the anchor keeps its entry point.
TEST_F(AttachmentTest, RepliesThatLeaveTracingOff) {
  fakes::Services().load_result = 0x00010000;  // high bits of a load result are no failure
  fakes::TraceLib().reply_flags = false;
  fakes::TraceLib().error_id_base = 0x00500000;
  StartAndAttach();
  EXPECT_EQ(anchor_.trace_flags, &anchor_.local_flags);
  EXPECT_EQ(anchor_.error_id_base, 0x00500000u);

  fakes::TraceLib().attach_answer = 33;
  TraceEntry entry{};
  ASSERT_EQ(ProcessCFNFileTraceEntry(&entry), 0);
  TraceAnchor refused;
  InitAnchor(refused, "REFUSED");
  EXPECT_EQ(GetTraceErrLogAddressability("REFUSED", &entry, &refused), 33);
  EXPECT_NE(refused.log_entry, nullptr);
  EXPECT_EQ(refused.trace_flags, &refused.local_flags);
  EXPECT_EQ(refused.error_id_base, 0u);
  UnGetTraceErrLogAddressability("REFUSED", &entry, &refused);
  DetachAndTerm();
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

}  // namespace
