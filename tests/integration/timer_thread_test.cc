// The timer service with its real thread, calling the sample component's
// exported callbacks by name.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <vector>

#include "devavu.h"
#include "orvesvc.h"
#include "platform/process.h"
#include "sample_component.h"
#include "support/test_thread.h"

namespace {

class TimerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    libdevavu::platform::SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
    libdevavu::platform::SetEnvironmentValue("QRXTRACE", nullptr);
    libdevavu::platform::SetEnvironmentValue("QRXTRACEFILE", "/dev/null");
    SampleReset();
    start_blocks_ = OrvMemLiveBlocks();
    Start();
  }
  void TearDown() override {
    devavu_term();
    EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_) << "every timer block went back";
  }
  static void Start() {
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(devavu_init2(0), 0);
  }
  static int32_t Add(uint32_t corr, uint32_t interval, uint16_t retries = 0,
                     const char* entry = "OnTimer") {
    TimerRequest request{corr, interval, retries, "SAMPLE", entry};
    return QXTIMER(QXTIMER_ADD, &request);
  }
  static int32_t Remove(uint32_t corr) {
    TimerRequest request{corr, 0, 0, nullptr, nullptr};
    return QXTIMER(QXTIMER_REMOVE, &request);
  }
  // Waits until pred holds, at most 60 s: the machine may be slow.
  template <typename Pred>
  static bool WaitFor(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      SleepMs(5);
    }
    return true;
  }

  int64_t start_blocks_ = 0;
};

TEST_F(TimerThreadTest, TermEndsTheThreadAndFreesQueuedTimersAndAStartAfterIsWhole) {
  for (uint32_t corr = 10; corr < 20; ++corr) ASSERT_EQ(Add(corr, 60000), QXTIMER_OK);
  devavu_term();
  EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_);
  Start();
  ASSERT_EQ(Add(21, 60000), QXTIMER_OK);
  EXPECT_EQ(devavu_init2(0), 0) << "a second start keeps the running thread";
  ASSERT_EQ(Add(20, 100), QXTIMER_OK);
  EXPECT_TRUE(WaitFor([] { return SampleTimerCalls(20) == 1; }));
  EXPECT_EQ(Remove(21), QXTIMER_OK) << "and loses no timer";
}

TEST_F(TimerThreadTest, TermFromACallbackDoesNotWaitForItself) {
  // The queued timer goes first: the callback may end the library at once.
  ASSERT_EQ(Add(31, 60000), QXTIMER_OK);
  ASSERT_EQ(Add(30, 100, 3, "TermLibrary"), QXTIMER_OK);
  ASSERT_TRUE(WaitFor([] { return SampleTimerCalls(30) == 1; }));
  uint8_t version[4];
  EXPECT_EQ(devavu(0, version), -10);
  EXPECT_EQ(OrvMemLiveBlocks(), start_blocks_) << "the queued timers were freed";
  SleepMs(300);
  EXPECT_EQ(SampleTimerCalls(30), 1) << "the thread ended after the callback";
}

// Threads add and remove timers while callbacks run. Every timer ends either
// with its final call or with a removal, and every block goes back.
TEST_F(TimerThreadTest, ManyThreadsAddAndRemoveWhileCallbacksRun) {
  constexpr uint32_t kThreads = 8;
  constexpr uint32_t kPerThread = 1000;
  std::vector<std::atomic<int>> removed(kThreads * kPerThread);
  std::vector<TestThread> threads;
  for (uint32_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &removed] {
      std::mt19937 random(t);
      for (uint32_t corr = t * kPerThread; corr < (t + 1) * kPerThread; ++corr) {
        ASSERT_EQ(Add(corr, 100 + random() % 200, random() % 3), QXTIMER_OK);
        const uint32_t victim = t * kPerThread + random() % (corr - t * kPerThread + 1);
        const int32_t rc = random() % 2 == 0 ? Remove(victim) : QXTIMER_NOT_FOUND;
        ASSERT_TRUE(rc == QXTIMER_OK || rc == QXTIMER_RUNNING || rc == QXTIMER_NOT_FOUND);
        if (rc != QXTIMER_NOT_FOUND) removed[victim] = 1;
      }
    });
  }
  for (auto& t : threads) t.join();
  for (uint32_t c = 0; c < removed.size(); ++c) {
    ASSERT_TRUE(WaitFor([&] { return removed[c] != 0 || SampleTimerFinals(c) != 0; })) << c;
    EXPECT_LE(SampleTimerFinals(c), 1) << c;
    EXPECT_LE(SampleTimerCalls(c), 3) << c;
  }
}

}  // namespace
