#include <string_view>

#include "frame/library_state.h"
#include "timer_test_support.h"
#include "timer/timer_state.h"

namespace {

using libdevavu::timer::Timers;
using libdevavu::timer::TimerClockFrom;

TEST_F(TimerTest, RetryLimitZeroCallsOnceWithFinal) {
  Add(1, 1000, 0);
  now_ += 1000;
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].corr, 1u);
  EXPECT_EQ(calls_[0].final, 1u);
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_) << "the block is freed";
}

TEST_F(TimerTest, RetryLimitFiveCallsSixTimesFinalOnTheLast) {
  Add(9, 1000, 5);
  for (int i = 0; i < 8; ++i) {
    now_ += 1000;
    Scan();
  }
  ASSERT_EQ(calls_.size(), 6u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(calls_[i].final, 0u) << i;
  EXPECT_EQ(calls_[5].final, 1u);
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, DueWithinTheLastHundredMilliseconds) {
  Add(1, 1000);
  now_ += 900;
  Scan();
  EXPECT_TRUE(calls_.empty()) << "900 of 1000 ms: not yet due";
  EXPECT_EQ(AsyncDelays().back(), 100u) << "the wake-up is armed for the rest";
  now_ += 1;
  Scan();
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(TimerTest, ShortestIntervalIsDueAtTheFirstDifferentClockValue) {
  Add(1, 100);
  Scan();
  EXPECT_TRUE(calls_.empty());
  now_ += 1;
  Scan();
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(TimerTest, ClockThatStepsBackMakesTheTimerDue) {
  Add(1, 5000);
  now_ -= 10;  // the start now lies ahead: the unsigned difference is huge
  Scan();
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(TimerTest, TimersFireAcrossTheClockWrap) {
  now_ = 0xFFFFFF00u;
  Add(1, 1000);
  Add(2, 300);
  now_ = 0xFFFFFF00u + 300;  // past the wrap
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].corr, 2u);
  now_ = 0xFFFFFF00u + 1000;
  Scan();
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[1].corr, 1u);
}

TEST_F(TimerTest, EqualExpiriesFireInArrivalOrder) {
  Add(3, 1000);
  Add(1, 1000);
  Add(2, 1000);
  now_ += 1000;
  Scan();
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[0].corr, 3u);
  EXPECT_EQ(calls_[1].corr, 1u);
  EXPECT_EQ(calls_[2].corr, 2u);
}

TEST_F(TimerTest, WakeupIsArmedForTheRestOfTheInterval) {
  Scan();
  EXPECT_TRUE(AsyncDelays().empty()) << "an empty list arms nothing";
  Add(1, 2000);
  now_ += 30;
  Scan();
  EXPECT_EQ(AsyncDelays(), (std::vector<uint32_t>{1970}));
  EXPECT_EQ(Timers().next_timer_wakeup_time, now_ + 1970);
  EXPECT_EQ(libdevavu::timer::Timers().qxtimer_sems.wait_timeout, 1970u)
      << "the next wait ends by then";
}

TEST_F(TimerTest, ReArmCountsFromTheScanNotFromTheCallbackReturn) {
  Add(1, 1000, 1, "StepClock");
  now_ += 1000;
  const uint32_t scan_time = now_;
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(Timers().list.head->start_time, scan_time);
  now_ = scan_time + 1000;
  Scan();
  EXPECT_EQ(calls_.size(), 2u) << "due one interval after the scan that called it";
}

TEST_F(TimerTest, UnloadableLibraryIsLoggedAndLaterTimersStillFire) {
  fakes::Services().missing_modules.insert("NOWHERE");
  Add(1, 1000, 3, "OnTimer", "NOWHERE");
  Add(2, 1000, 0, "NoSuchEntry");
  Add(3, 1000);
  now_ += 1000;
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].corr, 3u);
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].error.error_id, 0x00100000u + 0x21201u);
  EXPECT_EQ(errors[1].error.error_id, 0x00100000u + 0x21202u);
  for (const auto& e : errors) {
    EXPECT_EQ(e.msg_id, "QRX0003E");
    EXPECT_EQ(e.error.msg_no, 3u);
    EXPECT_EQ(e.error.code, 0x10003u);
  }
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, CallbackRemovingItsOwnTimerIsNotCalledAgain) {
  Add(5, 1000, 5, "RemoveSelf");
  now_ += 1000;
  Scan();
  EXPECT_EQ(remove_result_, QXTIMER_RUNNING);
  now_ += 5000;
  Scan();
  EXPECT_EQ(calls_.size(), 1u);
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

TEST_F(TimerTest, AddDuringACallbackStartsAtTheScanTime) {
  Add(1, 1000, 0, "AddAnother");
  now_ += 1000;
  const uint32_t scan_time = now_;
  auto* event = libdevavu::timer::Timers().timer_sem();
  event->Reset();
  Scan();
  EXPECT_EQ(add_result_, QXTIMER_OK);
  ASSERT_EQ(Queue(), (std::vector<uint32_t>{1001}));
  EXPECT_EQ(Timers().list.head->start_time, scan_time);
  EXPECT_EQ(calls_.size(), 1u) << "not due in the scan that added it";
  EXPECT_EQ(event->Wait(0), libdevavu::platform::AutoResetEvent::WaitResult::kTimedOut)
      << "no signal while a callback runs";
}

// After the clock stepped back, a timer added or re-armed in a scan can land
// before older ones; the scan must still arm the wake-up for the earliest.
TEST_F(TimerTest, ClockSteppedBackStillArmsTheEarliestTimer) {
  Add(60, 60000);
  now_ = 5900;
  Add(1, 200, 1, "AddAnother");  // expires at 6100
  now_ = 5000;                   // the clock steps back by 900 ms
  add_interval_ = 1000;          // the added timer expires at 6000, before 6100
  Scan();
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{1, 1001, 60}));
  EXPECT_EQ(AsyncDelays().back(), 200u) << "armed for the re-armed timer, not the 60 s one";
  now_ = 5200;
  Scan();
  EXPECT_EQ(calls_.size(), 2u);
}

// A library's start-up code may remove the timer whose callback is being
// looked up in it: the timer is dropped without a call, and the scan goes on.
TEST_F(TimerTest, TimerRemovedByItsLibrarysStartUpIsDroppedUncalled) {
  fakes::Services().on_load = [](const char* module) {
    if (std::string_view(module) == "SELFREMOVE") remove_result_ = Remove(5);
  };
  Add(5, 1000, 3, "OnTimer", "SELFREMOVE");
  Add(6, 1000);
  now_ += 1000;
  Scan();
  EXPECT_EQ(remove_result_, QXTIMER_RUNNING);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].corr, 6u);
  EXPECT_TRUE(Queue().empty());
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
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
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].corr, 1u);
}

TEST_F(TimerTest, AddOutsideACallbackSignalsTheThread) {
  auto* event = libdevavu::timer::Timers().timer_sem();
  event->Reset();
  Add(1, 1000);
  EXPECT_EQ(event->Wait(0), libdevavu::platform::AutoResetEvent::WaitResult::kSignalled);
}

TEST(TimerClock, SecondsAndMillisecondsWrapModulo32Bits) {
  EXPECT_EQ(TimerClockFrom(0, 0), 0u);
  EXPECT_EQ(TimerClockFrom(1, 999), 1999u);
  EXPECT_EQ(TimerClockFrom(4294967, 295), 0xFFFFFFFFu);
  EXPECT_EQ(TimerClockFrom(4294967, 296), 0u);
  EXPECT_EQ(TimerClockFrom(1700000000, 5), static_cast<uint32_t>(1700000000000ull + 5));
}

}  // namespace
