// The timer service with its real thread, calling the sample component's
// exported callbacks by name.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

#include "devavu.h"
#include "orvesvc.h"
#include "platform/process.h"
#include "sample_component.h"
#include "support/test_thread.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

using Clock = std::chrono::steady_clock;

class TimerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
    SetEnvironmentValue("QRXTRACE", nullptr);
    SetEnvironmentValue("QRXTRACEFILE", "/dev/null");
    SampleReset();
    start_blocks_ = OrvMemLiveBlocks();
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(devavu_init2(0), 0);
  }
  void TearDown() override {
    devavu_term();
    EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_) << "every timer block went back";
  }

  static int32_t Add(uint32_t corr, uint32_t interval, uint16_t retries,
                     const char* entry = "OnTimer") {
    TimerRequest request{corr, interval, retries, "SAMPLE", entry};
    return QXTIMER(QXTIMER_ADD, &request);
  }

  // Waits until pred holds, at most the deadline: the machine may be slow.
  template <typename Pred>
  static bool WaitFor(Pred pred, std::chrono::seconds deadline = std::chrono::seconds(20)) {
    const auto end = Clock::now() + deadline;
    while (!pred()) {
      if (Clock::now() > end) return false;
      SleepMs(5);
    }
    return true;
  }

  int64_t start_blocks_ = 0;
};

TEST_F(TimerThreadTest, TermEndsTheThreadAndFreesQueuedTimersAndAStartAfterIsWhole) {
  for (uint32_t corr = 10; corr < 20; ++corr) ASSERT_EQ(Add(corr, 60000, 0), QXTIMER_OK);
  devavu_term();
  EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_);
  ASSERT_EQ(devavu_init(), 0);
  ASSERT_EQ(devavu_init2(0), 0);
  ASSERT_EQ(Add(21, 60000, 0), QXTIMER_OK);
  EXPECT_EQ(devavu_init2(0), 0) << "a second start keeps the running thread";
  ASSERT_EQ(Add(20, 100, 0), QXTIMER_OK);
  EXPECT_TRUE(WaitFor([] { return SampleTimerCalls(20) == 1; }));
  TimerRequest queued{21, 0, 0, nullptr, nullptr};
  EXPECT_EQ(QXTIMER(QXTIMER_REMOVE, &queued), QXTIMER_OK) << "and loses no timer";
}

TEST_F(TimerThreadTest, TermFromACallbackDoesNotWaitForItself) {
  ASSERT_EQ(Add(30, 100, 3, "TermLibrary"), QXTIMER_OK);
  ASSERT_EQ(Add(31, 60000, 0), QXTIMER_OK);
  ASSERT_TRUE(WaitFor([] { return SampleTimerCalls(30) == 1; }));
  uint8_t version[4];
  EXPECT_EQ(devavu(0, version), -10);
  EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_) << "the queued timers were freed";
  SleepMs(300);
  EXPECT_EQ(SampleTimerCalls(30), 1) << "the thread ended after the callback";
  ASSERT_EQ(devavu_init(), 0);
  ASSERT_EQ(devavu_init2(0), 0);
  ASSERT_EQ(Add(32, 100, 0), QXTIMER_OK);
  EXPECT_TRUE(WaitFor([] { return SampleTimerCalls(32) == 1; }));
}

// Eight threads add and remove timers while callbacks run. Every timer ends
// either with its final call or with a removal, and every block goes back.
TEST_F(TimerThreadTest, ManyThreadsAddAndRemoveWhileCallbacksRun) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 1000;
  std::vector<std::atomic<int>> removed(kThreads * kPerThread);
  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &removed] {
      std::mt19937 random(static_cast<unsigned>(t));
      for (int i = 0; i < kPerThread; ++i) {
        const uint32_t corr = static_cast<uint32_t>(t * kPerThread + i);
        ASSERT_EQ(Add(corr, 100 + random() % 200, static_cast<uint16_t>(random() % 3)),
                  QXTIMER_OK);
        if (random() % 2 == 0) {
          const uint32_t victim = static_cast<uint32_t>(t * kPerThread) + random() % (i + 1);
          TimerRequest request{victim, 0, 0, nullptr, nullptr};
          const int32_t rc = QXTIMER(QXTIMER_REMOVE, &request);
          ASSERT_TRUE(rc == QXTIMER_OK || rc == QXTIMER_RUNNING || rc == QXTIMER_NOT_FOUND);
          if (rc != QXTIMER_NOT_FOUND) removed[victim] = 1;
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  ASSERT_TRUE(WaitFor([&] {
    for (uint32_t c = 0; c < removed.size(); ++c) {
      if (removed[c] == 0 && SampleTimerFinals(c) == 0) return false;
    }
    return true;
  }, std::chrono::seconds(120)));
  for (uint32_t c = 0; c < removed.size(); ++c) {
    EXPECT_LE(SampleTimerFinals(c), 1) << c;
    EXPECT_LE(SampleTimerCalls(c), 3) << c;
  }
}

}  // namespace
