#include <cstring>

#include "frame/library_state.h"
#include "timer_test_support.h"
#include "trace/text_format.h"

namespace {

using libdevavu::timer::Timers;
using libdevavu::timer::TimerCB;
using libdevavu::timer::TimerList;

TEST_F(TimerTest, ValidationComesBeforeAnyAllocation) {
  const uint64_t memgets = fakes::Services().memget_calls;
  EXPECT_EQ(Add(1, 65535001), QXTIMER_INVALID);
  EXPECT_EQ(Add(1, 100, 6), QXTIMER_INVALID);
  EXPECT_EQ(Add(1, 100, 0, ""), QXTIMER_INVALID);
  EXPECT_EQ(Add(1, 100, 0, "OnTimer", ""), QXTIMER_INVALID);
  EXPECT_EQ(Add(1, 100, 0, nullptr), QXTIMER_INVALID);
  EXPECT_EQ(QXTIMER(QXTIMER_ADD, nullptr), QXTIMER_INVALID);
  EXPECT_EQ(QXTIMER(2, nullptr), QXTIMER_INVALID);
  EXPECT_EQ(fakes::Services().memget_calls, memgets);
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty()) << "a rejection writes no error record";
  EXPECT_TRUE(Queue().empty());
}

TEST_F(TimerTest, LimitsAreAcceptedAndShortIntervalsRaised) {
  EXPECT_EQ(Add(1, 65535000, 5), QXTIMER_OK);
  EXPECT_EQ(Add(2, 0), QXTIMER_OK);
  EXPECT_EQ(Add(3, 99), QXTIMER_OK);
  const TimerCB* head = Timers().list.head;
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->interval, 100u);
  EXPECT_EQ(head->next->interval, 100u);
  EXPECT_EQ(head->start_time, now_);
  EXPECT_STREQ(head->dll_name, "SAMPLE");
  EXPECT_STREQ(head->entry_name, "OnTimer");
  EXPECT_EQ(Timers().list.tail->interval, 65535000u);
}

TEST_F(TimerTest, ListIsOrderedByExpiryWithTiesInArrivalOrder) {
  Add(1, 3000);
  Add(2, 1000);
  Add(3, 2000);
  Add(4, 1000);
  Add(5, 3000);
  Add(6, 500);
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{6, 2, 4, 3, 1, 5}));
  const TimerList& list = Timers().list;
  EXPECT_EQ(list.head->prev, nullptr);
  EXPECT_EQ(list.tail->next, nullptr);
  for (const TimerCB* cb = list.head; cb->next != nullptr; cb = cb->next) {
    EXPECT_EQ(cb->next->prev, cb);
  }
}

TEST_F(TimerTest, OrderingHoldsAcrossTheClockWrap) {
  now_ = 0xFFFFFF00u;
  Add(1, 0x200);  // expires at 0x100, after the wrap
  Add(2, 0x80);   // expires at 0xFFFFFF80, before it
  now_ = 0xFFFFFF40u;
  Add(3, 0x100);  // expires at 0x40, after the wrap but before 1
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{2, 3, 1}));
}

TEST_F(TimerTest, RemoveTakesTheEarliestMatchOnly) {
  EXPECT_EQ(Remove(7), QXTIMER_NOT_FOUND) << "empty list";
  Add(7, 2000);
  Add(8, 1500);
  Add(7, 1000);
  EXPECT_EQ(Remove(9), QXTIMER_NOT_FOUND);
  EXPECT_EQ(Remove(7), QXTIMER_OK);
  EXPECT_EQ(Timers().list.head->interval, 1500u) << "the earlier-expiring 7 went";
  EXPECT_EQ(Remove(7), QXTIMER_OK);
  EXPECT_EQ(Remove(7), QXTIMER_NOT_FOUND);
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{8}));
  EXPECT_EQ(Remove(8), QXTIMER_OK);
  EXPECT_EQ(Timers().list.head, nullptr);
  EXPECT_EQ(Timers().list.tail, nullptr);
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, UnusableLibraryRefusesEveryRequest) {
  libdevavu::frame::State().lib_unusable = 1;
  const size_t requests = RequestCount();
  EXPECT_EQ(Add(1, 100), QXTIMER_UNUSABLE);
  EXPECT_EQ(Remove(1), QXTIMER_UNUSABLE);
  EXPECT_EQ(QXTIMER(7, nullptr), QXTIMER_UNUSABLE);
  EXPECT_EQ(RequestCount(), requests) << "nothing traced";
  libdevavu::frame::State().lib_unusable = 0;
}

TEST_F(TimerTest, EachMemgetFailureIsLoggedAndLeaksNothing) {
  struct Site {
    uint64_t nth;
    uint32_t offset;
    std::string text;
  } sites[] = {{1, 0x21301, "MEMGET(" + std::to_string(sizeof(TimerCB)) + ")"},
               {2, 0x21302, "MEMGET(7)"},     // "SAMPLE" and its terminator
               {3, 0x21303, "MEMGET(8)"}};    // "OnTimer"
  for (const Site& site : sites) {
    SCOPED_TRACE(site.offset);
    const size_t errors = Requests(LOGREQ_ERROR).size();
    fakes::Services().fail_at = fakes::Services().memget_calls + site.nth;
    EXPECT_EQ(Add(1, 1000), QXTIMER_UNUSABLE);
    const auto logged = Requests(LOGREQ_ERROR);
    ASSERT_EQ(logged.size(), errors + 1);
    const auto& err = logged.back();
    EXPECT_EQ(err.component, "ORVESVC");
    EXPECT_EQ(err.msg_id, "QRX0002E");
    EXPECT_EQ(err.error.error_id, 0x00100000u + site.offset);
    EXPECT_EQ(err.error.msg_no, 2u);
    EXPECT_EQ(err.error.code, 0x10002u);
    EXPECT_EQ(err.error.data_length, 0u);
    const auto copy = Requests(LOGREQ_TRACE).back();
    EXPECT_EQ(std::string(copy.data.begin(), copy.data.end()), site.text);
    EXPECT_TRUE(Queue().empty());
    EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
    EXPECT_EQ(fakes::Services().bad_frees, 0);
  }
}

TEST_F(TimerTest, RequestsAndListOperationsAreTraced) {
  TimerRequest request{42, 1000, 0, "SAMPLE", "OnTimer"};
  const size_t before = RequestCount();
  ASSERT_EQ(QXTIMER(QXTIMER_ADD, &request), 0);
  const auto traces = Requests(LOGREQ_TRACE);
  std::vector<fakes::Request> mine(traces.end() - static_cast<long>(RequestCount() - before),
                                   traces.end());
  ASSERT_EQ(mine.size(), 5u);
  const std::string address = libdevavu::trace::Address(&request).text;
  EXPECT_EQ(mine[0].label, "FUNC CALL");
  EXPECT_EQ(mine[0].text, "QXTIMER(req_code = 0, " + address + ")");
  EXPECT_EQ(mine[0].length, sizeof(TimerRequest));
  EXPECT_EQ(mine[1].text, "TimerAdd(" + address + ")");
  const TimerCB* cb = Timers().list.head;
  EXPECT_EQ(mine[2].text,
            "InsertTimerCB(" + std::string(libdevavu::trace::Address(cb).text) + ", 1388)");
  EXPECT_EQ(mine[2].length, sizeof(TimerCB));
  EXPECT_EQ(mine[3].label, "DEBUG INFO ");
  EXPECT_EQ(mine[3].text, "Timer CB inserted");
  EXPECT_EQ(mine[4].text, "Timer CB List header after insertion");
  ASSERT_EQ(mine[4].data.size(), 2 * sizeof(void*));
  const TimerCB* header[2];
  std::memcpy(header, mine[4].data.data(), sizeof header);
  EXPECT_EQ(header[0], cb);
  EXPECT_EQ(header[1], cb);

  const size_t before_remove = RequestCount();
  ASSERT_EQ(QXTIMER(QXTIMER_REMOVE, &request), 0);
  const auto all = Requests(LOGREQ_TRACE);
  std::vector<std::string> texts;
  for (auto it = all.end() - static_cast<long>(RequestCount() - before_remove); it != all.end();
       ++it) {
    texts.push_back(it->text);
  }
  const std::string remove_call =
      "RemoveTimerCB(" + std::string(libdevavu::trace::Address(cb).text) + ")";
  EXPECT_EQ(texts, (std::vector<std::string>{"QXTIMER(req_code = 1, " + address + ")",
                                             "TimerRemove(" + address + ")", remove_call,
                                             "Timer CB List header before removal", remove_call,
                                             "Timer CB List header after removal"}));
}

}  // namespace
