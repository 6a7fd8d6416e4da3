// The timer tests' fixture: a started library without the timer thread, a
// clock the test sets, and callbacks that record their calls.
#ifndef DEVAVU_TESTS_UNIT_TIMER_TEST_SUPPORT_H_
#define DEVAVU_TESTS_UNIT_TIMER_TEST_SUPPORT_H_

#include <vector>

#include "library_test.h"
#include "timer/timer_clock.h"
#include "timer/timer_list.h"
#include "timer/timer_state.h"
#include "timer/timer_thread.h"

struct CallbackCall {
  uint32_t corr;
  uint32_t final;
};

class TimerTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    now_ = 5000;
    add_interval_ = 100;
    calls_.clear();
    libdevavu::timer::Clock().read = [] { return now_; };
    {
      libdevavu::platform::LockHolder hold(fakes::Lock());
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
  static std::vector<uint32_t> AsyncDelays() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    return fakes::Services().async_delays;
  }

  static void RecordCall(uint32_t corr, uint32_t final) { calls_.push_back({corr, final}); }
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
  static inline std::vector<CallbackCall> calls_;
  static inline int32_t remove_result_ = 0;
  static inline int32_t add_result_ = 0;
  static inline uint32_t add_interval_ = 100;  // of the timer AddAnother adds
  size_t baseline_blocks_ = 0;

 private:
  libdevavu::timer::ClockSource::Fn* saved_clock_ = libdevavu::timer::Clock().read;
};

#endif  // DEVAVU_TESTS_UNIT_TIMER_TEST_SUPPORT_H_
