// The timer service without its thread: requests, the ordered list and the
// scans, with a clock the test sets and callbacks that record their calls.
#include <string>
#include <string_view>
#include <vector>

#include "frame/library_state.h"
#include "library_test.h"
#include "timer/timer_clock.h"
#include "timer/timer_list.h"
#include "timer/timer_state.h"
#include "timer/timer_thread.h"

namespace {

using libdevavu::timer::TimerCB;
using libdevavu::timer::Timers;

class TimerTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    now_ = 5000;
    add_interval_ = 100;
    calls_.clear();
    libdevavu::timer::Clock().read = [] { return now_; };
    {  // the callbacks, by entry name
      auto& entries = fakes::Services().entry_points;
      entries["OnTimer"] = reinterpret_cast<void*>(&RecordCall);
      entries["RemoveSelf"] = reinterpret_cast<void*>(&RemoveSelf);
      entries["AddAnother"] = reinterpret_cast<void*>(&AddAnother);
      entries["StepClock"] = reinterpret_cast<void*>(&StepClock);
    }
    // Started and attached, but without devavu_init2: the tests drive the
    // scans themselves, with no timer thread beside them.
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
    InitAnchor(anchor_, "APP");
    ASSERT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), 0);
    baseline_blocks_ = fakes::LiveBlocks();
  }

  void TearDown() override {
    DetachAndTerm();
    libdevavu::timer::Clock().read = saved_clock_;
    LibraryTest::TearDown();
  }

  static int32_t Add(uint32_t corr, uint32_t interval, uint16_t retries = 0,
                     const char* entry = "OnTimer", const char* dll = "SAMPLE") {
    TimerRequest request{corr, interval, retries, dll, entry};
    return QXTIMER(QXTIMER_ADD, &request);
  }
  static int32_t Remove(uint32_t corr) {
    TimerRequest request{corr, 0, 0, nullptr, nullptr};
    return QXTIMER(QXTIMER_REMOVE, &request);
  }
  static void Scan() { ASSERT_TRUE(libdevavu::timer::ScanTimers(nullptr)); }

  // The correlators of the queued timers, head to tail.
  static std::vector<uint32_t> Queue() {
    std::vector<uint32_t> out;
    for (auto* cb = libdevavu::timer::Timers().list.head; cb != nullptr; cb = cb->next) {
      out.push_back(cb->corr);
    }
    return out;
  }

  static void RecordCall(uint32_t corr, uint32_t final) { calls_.emplace_back(corr, final); }
  static void RemoveSelf(uint32_t corr, uint32_t final) {
    RecordCall(corr, final);
    remove_result_ = Remove(corr);
  }
  static void AddAnother(uint32_t corr, uint32_t final) {
    RecordCall(corr, final);
    now_ += 500;  // the add must not see this: it takes the scan's time
    add_result_ = Add(corr + 1000, add_interval_);
  }
  static void StepClock(uint32_t corr, uint32_t final) {
    RecordCall(corr, final);
    now_ += 70;
  }

  static inline uint32_t now_ = 0;
  static inline std::vector<std::pair<uint32_t, uint32_t>> calls_;  // corr, final
  static inline int32_t remove_result_ = 0;
  static inline int32_t add_result_ = 0;
  static inline uint32_t add_interval_ = 100;  // of the timer AddAnother adds
  size_t baseline_blocks_ = 0;

 private:
  libdevavu::timer::ClockSource::Fn* saved_clock_ = libdevavu::timer::Clock().read;
};

TEST_F(TimerTest, RequestsAreCheckedBeforeAnyAllocation) {
  const struct {
    uint32_t interval;
    uint16_t retries;
    const char *entry, *dll;
    int32_t rc;
  } cases[] = {
      {65535001, 0, "OnTimer", "SAMPLE", QXTIMER_INVALID},
      {100, 6, "OnTimer", "SAMPLE", QXTIMER_INVALID},
      {100, 0, "", "SAMPLE", QXTIMER_INVALID},
      {100, 0, "OnTimer", "", QXTIMER_INVALID},
      {100, 0, nullptr, "SAMPLE", QXTIMER_INVALID},
      {65535000, 5, "OnTimer", "SAMPLE", QXTIMER_OK},
  };
  for (const auto& c : cases) {
    const uint64_t memgets = fakes::Services().memget_calls;
    EXPECT_EQ(Add(1, c.interval, c.retries, c.entry, c.dll), c.rc) << c.interval << " " << c.retries;
    if (c.rc != QXTIMER_OK) {
      EXPECT_EQ(fakes::Services().memget_calls, memgets);
    }
  }
  EXPECT_EQ(QXTIMER(QXTIMER_ADD, nullptr), QXTIMER_INVALID);
  EXPECT_EQ(QXTIMER(2, nullptr), QXTIMER_INVALID);
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty()) << "a rejection writes no error record";
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{1}));
  EXPECT_STREQ(Timers().list.head->dll_name, "SAMPLE");
  EXPECT_STREQ(Timers().list.head->entry_name, "OnTimer");
  EXPECT_EQ(Add(2, 99), QXTIMER_OK);
  EXPECT_EQ(Timers().list.head->interval, 100u) << "short intervals are raised to 100 ms";
  EXPECT_EQ(Timers().list.head->start_time, now_);
  libdevavu::frame::State().lib_unusable = 1;
  EXPECT_EQ(Add(3, 100), QXTIMER_UNUSABLE);
  EXPECT_EQ(Remove(1), QXTIMER_UNUSABLE);
  libdevavu::frame::State().lib_unusable = 0;
}

TEST_F(TimerTest, ListIsOrderedByExpiryWithTiesInArrivalOrder) {
  for (auto [corr, interval] : {std::pair{1, 3000}, {2, 1000}, {3, 2000}, {4, 1000}, {5, 3000},
                                {6, 500}}) {
    Add(static_cast<uint32_t>(corr), static_cast<uint32_t>(interval));
  }
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{6, 2, 4, 3, 1, 5}));
  const auto& list = Timers().list;
  EXPECT_EQ(list.head->prev, nullptr);
  EXPECT_EQ(list.tail->next, nullptr);
  for (const TimerCB* cb = list.head; cb->next != nullptr; cb = cb->next) {
    EXPECT_EQ(cb->next->prev, cb);
  }
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
  EXPECT_EQ(Remove(8), QXTIMER_OK);
  EXPECT_EQ(Timers().list.head, nullptr);
  EXPECT_EQ(Timers().list.tail, nullptr);
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, EachMemgetFailureIsLoggedAndLeaksNothing) {
  const struct {
    uint32_t site;
    std::string text;
  } sites[] = {{0x21301, "MEMGET(" + std::to_string(sizeof(TimerCB)) + ")"},
               {0x21302, "MEMGET(7)"},   // "SAMPLE" and its terminator
               {0x21303, "MEMGET(8)"}};  // "OnTimer"
  uint64_t nth = 1;
  for (const auto& site : sites) {
    SCOPED_TRACE(site.text);
    fakes::Services().fail_at = fakes::Services().memget_calls + nth++;
    EXPECT_EQ(Add(1, 1000), QXTIMER_UNUSABLE);
    const auto err = Requests(LOGREQ_ERROR).back();
    EXPECT_EQ(err.component, "ORVESVC");
    EXPECT_EQ(err.msg_id, "QRX0002E");
    EXPECT_EQ(err.error.error_id, 0x00100000u + site.site);
    EXPECT_EQ(err.error.code, 0x10002u);
    const auto copy = Requests(LOGREQ_TRACE).back();
    EXPECT_EQ(std::string(copy.data.begin(), copy.data.end()), site.text);
    EXPECT_TRUE(Queue().empty());
    EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
  }
  EXPECT_EQ(Requests(LOGREQ_ERROR).size(), 3u);
}

// Timers due at a scan: (added at 5000) which fire, in which order, how often.
TEST_F(TimerTest, ScansCallWhatIsDue) {
  const struct {
    const char* rule;
    std::vector<std::pair<uint32_t, uint32_t>> timers;  // corr, interval
    uint32_t start;
    std::vector<uint32_t> scans;  // clock readings
    std::vector<uint32_t> calls;
  } cases[] = {
      {"due within the last 100 ms", {{1, 1000}}, 5000, {5900, 5901}, {1}},
      {"shortest interval due at the next clock value", {{1, 100}}, 5000, {5000, 5001}, {1}},
      {"a clock stepping back makes it due", {{1, 5000}}, 5000, {4990}, {1}},
      {"ties in arrival order", {{3, 1000}, {1, 1000}, {2, 1000}}, 5000, {6000}, {3, 1, 2}},
      {"across the clock wrap", {{1, 1000}, {2, 300}}, 0xFFFFFF00u, {44, 744}, {2, 1}},
      {"expiry after the wrap ordered after one before it", {{1, 0x200}, {2, 0x80}}, 0xFFFFFF00u,
       {0xFFFFFF81u, 0x101}, {2, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    calls_.clear();
    now_ = c.start;
    for (auto [corr, interval] : c.timers) Add(corr, interval);
    for (uint32_t at : c.scans) {
      now_ = at;
      Scan();
    }
    std::vector<uint32_t> called;
    for (auto [corr, final] : calls_) called.push_back(corr);
    EXPECT_EQ(called, c.calls);
    EXPECT_TRUE(Queue().empty());
  }
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, RetryLimitFiveCallsSixTimesFinalOnTheLast) {
  Add(9, 1000, 5);
  for (int i = 0; i < 8; ++i) {
    now_ += 1000;
    Scan();
  }
  std::vector<uint32_t> finals;
  for (auto [corr, final] : calls_) finals.push_back(final);
  EXPECT_EQ(finals, (std::vector<uint32_t>{0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, WakeupIsArmedForTheRestOfTheInterval) {
  Scan();
  EXPECT_TRUE(fakes::Services().async_delays.empty()) << "an empty list arms nothing";
  Add(1, 2000);
  now_ += 30;
  Scan();
  EXPECT_EQ(fakes::Services().async_delays, (std::vector<uint32_t>{1970}));
  EXPECT_EQ(Timers().next_timer_wakeup_time, now_ + 1970);
  EXPECT_EQ(libdevavu::timer::Timers().qxtimer_sems.wait_timeout, 1970u);
}

// A callback that cannot be had is logged; one whose timer the library's
// start-up code removed is dropped uncalled. The scan goes on.
TEST_F(TimerTest, CallbackThatCannotBeHadIsLoggedOrDroppedAndLaterTimersStillFire) {
  fakes::Services().missing_modules.insert("NOWHERE");
  fakes::Services().on_load = [](const char* module) {
    if (std::string_view(module) == "SELFREMOVE") remove_result_ = Remove(4);
  };
  Add(1, 1000, 3, "OnTimer", "NOWHERE");
  Add(2, 1000, 0, "NoSuchEntry");
  Add(4, 1000, 3, "OnTimer", "SELFREMOVE");
  Add(3, 1000);
  now_ += 1000;
  Scan();
  EXPECT_EQ(remove_result_, QXTIMER_RUNNING);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].first, 3u);
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].error.error_id, 0x00100000u + 0x21201u);
  EXPECT_EQ(errors[1].error.error_id, 0x00100000u + 0x21202u);
  EXPECT_EQ(errors[1].msg_id, "QRX0003E");
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

// Callbacks run without the lock: they may remove their own timer, add one,
// and take time; the times count from the scan that called them.
TEST_F(TimerTest, RequestsFromACallback) {
  Add(5, 1000, 5, "RemoveSelf");
  Add(1, 1000, 1, "StepClock");
  Add(7, 1000, 0, "AddAnother");
  now_ += 1000;
  const uint32_t scan_time = now_;
  auto* event = libdevavu::timer::Timers().timer_sem();
  event->Reset();
  Scan();
  EXPECT_EQ(remove_result_, QXTIMER_RUNNING);
  EXPECT_EQ(add_result_, QXTIMER_OK);
  ASSERT_EQ(Queue(), (std::vector<uint32_t>{1007, 1})) << "5 removed, 7 final";
  EXPECT_EQ(Timers().list.head->start_time, scan_time);
  EXPECT_EQ(Timers().list.tail->start_time, scan_time);
  EXPECT_EQ(calls_.size(), 3u) << "1007 not due in the scan that added it";
  EXPECT_EQ(event->Wait(0), libdevavu::platform::AutoResetEvent::WaitResult::kTimedOut);
  Add(2, 1000);
  EXPECT_EQ(event->Wait(0), libdevavu::platform::AutoResetEvent::WaitResult::kSignalled)
      << "outside a callback an add wakes the thread";
  now_ = scan_time + 1000;
  Scan();
  EXPECT_EQ(calls_.size(), 5u) << "1 due one interval after the scan that called it";
  EXPECT_EQ(calls_.back(), std::make_pair(1u, 1u));
}

// After the clock stepped back, a timer added in a scan can land before
// older ones; the scan must still arm the wake-up for the earliest.
TEST_F(TimerTest, ClockSteppedBackStillArmsTheEarliestTimer) {
  Add(60, 60000);
  now_ = 5900;
  Add(1, 200, 1, "AddAnother");  // expires at 6100
  now_ = 5000;                   // the clock steps back by 900 ms
  add_interval_ = 1000;          // the added timer expires at 6000, before 6100
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{1, 1001, 60}));
  EXPECT_EQ(fakes::Services().async_delays.back(), 200u) << "not the 60 s timer";
}

// devavu_term begins by marking the library unusable, on any thread: from
// then on no further callback starts.
TEST_F(TimerTest, NoCallbackStartsOnceTermHasBegun) {
  fakes::Services().entry_points["TermBegins"] =
      reinterpret_cast<void*>(+[](uint32_t corr, uint32_t final) {
        RecordCall(corr, final);
        libdevavu::frame::State().lib_unusable = 1;
      });
  Add(1, 1000, 0, "TermBegins");
  Add(2, 1000);
  now_ += 1000;
  EXPECT_FALSE(libdevavu::timer::ScanTimers(nullptr));
  EXPECT_EQ(calls_.size(), 1u);
}

TEST(TimerClock, SecondsAndMillisecondsWrapModulo32Bits) {
  using libdevavu::timer::TimerClockFrom;
  EXPECT_EQ(TimerClockFrom(1, 999), 1999u);
  EXPECT_EQ(TimerClockFrom(4294967, 295), 0xFFFFFFFFu);
  EXPECT_EQ(TimerClockFrom(4294967, 296), 0u);
}

}  // namespace
