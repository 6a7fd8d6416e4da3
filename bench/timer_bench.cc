// The timer service: add and remove against a std::multimap keyed by expiry,
// and callback lateness against a bare condition-variable timed wait.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "devavu.h"

extern "C" int64_t timer_stamp_ns[];

namespace {

constexpr uint32_t kLongInterval = 3600000;  // nothing fires while measuring

enum Order { kInOrder = 0, kRandom = 1 };

// The library started without its timer thread: the list operations alone.
struct QueuedTimers {
  explicit QueuedTimers(int64_t count, Order order) {
    setenv("QRXTRACEFILE", "/dev/null", 1);
    if (devavu_init() != 0) std::abort();
    std::mt19937 random(1);
    for (int64_t i = 0; i < count; ++i) {
      const uint32_t interval = order == kInOrder ? kLongInterval + static_cast<uint32_t>(i)
                                                  : kLongInterval + random() % 1000000;
      TimerRequest request{static_cast<uint32_t>(i), interval, 0, "TIMERSTAMP", "StampTimer"};
      if (QXTIMER(QXTIMER_ADD, &request) != 0) std::abort();
    }
  }
  ~QueuedTimers() { devavu_term(); }
};

// Adds one timer to a list of range(0) timers and removes it again. In order,
// it goes to the tail (no walk) and its removal walks the whole list; in
// random order both walk part of it.
void BM_QxtimerAddRemove(benchmark::State& state) {
  const auto order = static_cast<Order>(state.range(1));
  QueuedTimers queued(state.range(0), order);
  std::mt19937 random(2);
  const uint32_t corr = 0xFFFFFFF0u;
  for (auto _ : state) {
    const uint32_t interval = order == kInOrder ? kLongInterval + 2000000
                                                : kLongInterval + random() % 1000000;
    TimerRequest request{corr, interval, 0, "TIMERSTAMP", "StampTimer"};
    benchmark::DoNotOptimize(QXTIMER(QXTIMER_ADD, &request));
    benchmark::DoNotOptimize(QXTIMER(QXTIMER_REMOVE, &request));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QxtimerAddRemove)
    ->ArgsProduct({{10, 1000, 10000}, {kInOrder, kRandom}})
    ->ArgNames({"queued", "random"});

// Baseline: the same keys in a multimap, removal by the iterator the insert
// gave (no search by correlator).
void BM_MultimapAddRemove(benchmark::State& state) {
  const auto order = static_cast<Order>(state.range(1));
  std::multimap<uint32_t, uint32_t> timers;
  std::mt19937 random(1);
  for (int64_t i = 0; i < state.range(0); ++i) {
    const uint32_t interval = order == kInOrder ? kLongInterval + static_cast<uint32_t>(i)
                                                : kLongInterval + random() % 1000000;
    timers.emplace(interval, static_cast<uint32_t>(i));
  }
  std::mt19937 again(2);
  for (auto _ : state) {
    const uint32_t interval =
        order == kInOrder ? kLongInterval + 2000000 : kLongInterval + again() % 1000000;
    auto it = timers.emplace(interval, 0xFFFFFFF0u);
    benchmark::DoNotOptimize(it);
    timers.erase(it);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MultimapAddRemove)
    ->ArgsProduct({{10, 1000, 10000}, {kInOrder, kRandom}})
    ->ArgNames({"queued", "random"});

constexpr int kLatenessTimers = 200;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Median and 99th percentile of the lateness in milliseconds; negative is
// early.
void ReportLateness(benchmark::State& state, std::vector<double> late_ms) {
  std::sort(late_ms.begin(), late_ms.end());
  state.counters["median_ms"] = late_ms[late_ms.size() / 2];
  state.counters["p99_ms"] = late_ms[late_ms.size() * 99 / 100];
  state.counters["min_ms"] = late_ms.front();
}

// 200 timers with intervals spread over 0.2 to 1.2 s; each callback's time
// against its ideal expiry (add time + interval). The service fires up to
// 100 ms early by design.
void BM_TimerCallbackLateness(benchmark::State& state) {
  setenv("QRXTRACEFILE", "/dev/null", 1);
  for (auto _ : state) {
    if (devavu_init() != 0 || devavu_init2(0) != 0) std::abort();
    std::vector<int64_t> ideal(kLatenessTimers);
    for (int i = 0; i < kLatenessTimers; ++i) {
      __atomic_store_n(&timer_stamp_ns[i], 0, __ATOMIC_RELEASE);
      const uint32_t interval = 200 + static_cast<uint32_t>(i) * 5;
      TimerRequest request{static_cast<uint32_t>(i), interval, 0, "TIMERSTAMP", "StampTimer"};
      ideal[i] = NowNs() + int64_t{interval} * 1000000;
      if (QXTIMER(QXTIMER_ADD, &request) != 0) std::abort();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    std::vector<double> late_ms;
    for (int i = 0; i < kLatenessTimers; ++i) {
      const int64_t fired = __atomic_load_n(&timer_stamp_ns[i], __ATOMIC_ACQUIRE);
      if (fired == 0) std::abort();
      late_ms.push_back(static_cast<double>(fired - ideal[i]) / 1e6);
    }
    devavu_term();
    ReportLateness(state, std::move(late_ms));
  }
}
BENCHMARK(BM_TimerCallbackLateness)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: one thread waits for the same 200 deadlines in turn on a
// condition variable that nobody signals.
void BM_ConditionVariableLateness(benchmark::State& state) {
  for (auto _ : state) {
    std::mutex mutex;
    std::condition_variable cv;
    const auto start = std::chrono::steady_clock::now();
    std::vector<double> late_ms;
    std::unique_lock<std::mutex> hold(mutex);
    for (int i = 0; i < kLatenessTimers; ++i) {
      const auto deadline = start + std::chrono::milliseconds(200 + i * 5);
      while (cv.wait_until(hold, deadline) != std::cv_status::timeout) {
      }
      late_ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - deadline)
              .count());
    }
    ReportLateness(state, std::move(late_ms));
  }
}
BENCHMARK(BM_ConditionVariableLateness)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
