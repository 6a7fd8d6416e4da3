// The timer service without its thread: requests, the ordered list and the
// scans, with a clock the test sets and callbacks that record their calls.
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "frame/library_state.h"
#include "library_test.h"
#include "timer/timer_clock.h"
#include "timer/timer_state.h"
#include "timer/timer_thread.h"

namespace {

using libdevavu::timer::Timers;

class TimerTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    now_ = 5000;
    calls_.clear();
    libdevavu::timer::Clock().read = [] { return now_; };
    auto& entries = fakes::Services().entry_points;
    entries["OnTimer"] = reinterpret_cast<void*>(&RecordCall);
    entries["RemoveSelf"] = reinterpret_cast<void*>(&RemoveSelf);
    entries["AddAnother"] = reinterpret_cast<void*>(&AddAnother);
    // Without devavu_init2: the tests drive the scans, no timer thread runs.
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
    for (auto* cb = Timers().list.head; cb != nullptr; cb = cb->next) out.push_back(cb->corr);
    return out;
  }
  // The calls so far, "corr" each, "!" after a final one.
  static std::string Calls() { return calls_.empty() ? calls_ : calls_.substr(1); }

  static void RecordCall(uint32_t corr, uint32_t final) {
    calls_ += " " + std::to_string(corr) + (final ? "!" : "");
  }
  static void RemoveSelf(uint32_t corr, uint32_t final) {
    RecordCall(corr, final);
    remove_result_ = Remove(corr);
  }
  // Takes time, then adds a timer: the add counts from the scan's time.
  static void AddAnother(uint32_t corr, uint32_t final) {
    RecordCall(corr, final);
    now_ += 500;
    add_result_ = Add(corr + 1000, 800);
  }

  static inline uint32_t now_ = 0;
  static inline std::string calls_;
  static inline int32_t remove_result_ = 0;
  static inline int32_t add_result_ = 0;
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
      {100, 0, "OnTimer", "", QXTIMER_INVALID},
      {100, 0, nullptr, "SAMPLE", QXTIMER_INVALID},
      {65535000, 5, "OnTimer", "SAMPLE", QXTIMER_OK},
  };
  for (const auto& c : cases) {
    const uint64_t memgets = fakes::Services().memget_calls;
    EXPECT_EQ(Add(1, c.interval, c.retries, c.entry, c.dll), c.rc) << c.interval << " " << c.retries;
    EXPECT_EQ(fakes::Services().memget_calls == memgets, c.rc != QXTIMER_OK);
  }
  EXPECT_EQ(QXTIMER(QXTIMER_ADD, nullptr), QXTIMER_INVALID);
  EXPECT_EQ(QXTIMER(2, nullptr), QXTIMER_INVALID);
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty()) << "a rejection writes no error record";
  libdevavu::frame::State().lib_unusable = 1;
  EXPECT_EQ(Add(3, 100), QXTIMER_UNUSABLE);
  EXPECT_EQ(Remove(1), QXTIMER_UNUSABLE);
  libdevavu::frame::State().lib_unusable = 0;
}

TEST_F(TimerTest, EachMemgetFailureIsLoggedAndLeaksNothing) {
  for (uint32_t site : {0x21301u, 0x21302u, 0x21303u}) {
    SCOPED_TRACE(site);
    fakes::Services().fail_at = fakes::Services().memget_calls + (site - 0x21300u);
    EXPECT_EQ(Add(1, 1000), QXTIMER_UNUSABLE);
    const auto err = Requests(LOGREQ_ERROR).back();
    EXPECT_EQ(err.error.error_id, 0x00100000u + site);
    EXPECT_EQ(err.error.code, 0x10002u);
    EXPECT_TRUE(Queue().empty());
    EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
  }
}

// Timers due at a scan: which fire, in which order, how often.
TEST_F(TimerTest, ScansCallWhatIsDue) {
  const struct {
    const char* rule;
    std::vector<std::tuple<uint32_t, uint32_t, uint16_t>> timers;  // corr, interval, retries
    uint32_t start;
    std::vector<uint32_t> scans;  // clock readings
    const char* calls;
  } cases[] = {
      {"due within the last 100 ms", {{1, 1000, 0}}, 5000, {5900, 5901}, "1!"},
      {"short intervals are raised to 100 ms", {{1, 99, 0}}, 5000, {5000, 5001}, "1!"},
      {"a clock stepping back makes it due", {{1, 5000, 0}}, 5000, {4990}, "1!"},
      {"in expiry order, ties in arrival order",
       {{1, 3000, 0}, {2, 1000, 0}, {3, 2000, 0}, {4, 1000, 0}, {5, 3000, 0}, {6, 500, 0}},
       5000, {8000}, "6! 2! 4! 3! 1! 5!"},
      {"across the clock wrap", {{1, 1000, 0}, {2, 300, 0}}, 0xFFFFFF00u, {44, 744}, "2! 1!"},
      {"expiry after the wrap ordered after one before it", {{1, 0x200, 0}, {2, 0x80, 0}},
       0xFFFFFF00u, {0xFFFFFF81u, 0x101}, "2! 1!"},
      {"retry limit 5: six calls, the last final", {{9, 1000, 5}}, 5000,
       {6000, 7000, 8000, 9000, 10000, 11000, 12000, 13000}, "9 9 9 9 9 9!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    calls_.clear();
    now_ = c.start;
    for (auto [corr, interval, retries] : c.timers) Add(corr, interval, retries);
    for (uint32_t at : c.scans) {
      now_ = at;
      Scan();
    }
    EXPECT_EQ(Calls(), c.calls);
    EXPECT_TRUE(Queue().empty());
  }
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
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
  EXPECT_EQ(Calls(), "3!");
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].error.error_id, 0x00100000u + 0x21201u);
  EXPECT_EQ(errors[1].error.error_id, 0x00100000u + 0x21202u);
  EXPECT_EQ(fakes::LiveBlocks(), baseline_blocks_);
}

// Callbacks run without the lock: they may remove their own timer, add one,
// and take time; the times count from the scan that called them.
TEST_F(TimerTest, RequestsFromACallback) {
  Add(5, 1000, 5, "RemoveSelf");
  Add(7, 1000, 0, "AddAnother");
  Add(1, 1000, 1);
  now_ += 1000;
  const uint32_t scan_time = now_;
  Scan();
  EXPECT_EQ(remove_result_, QXTIMER_RUNNING);
  EXPECT_EQ(add_result_, QXTIMER_OK);
  EXPECT_EQ(Queue(), (std::vector<uint32_t>{1007, 1})) << "5 removed, 7 final";
  EXPECT_EQ(Calls(), "5 7! 1") << "1007 not due in the scan that added it";
  now_ = scan_time + 1000;
  Scan();
  EXPECT_EQ(Calls(), "5 7! 1 1007! 1!") << "1 due one interval after the scan that called it";
}

}  // namespace
