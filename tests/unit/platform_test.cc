#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "formats/module_names.h"
#include "platform/platform.h"

namespace {

using libdevavu::platform::AutoResetEvent;
using libdevavu::formats::ModuleBaseName;
using libdevavu::formats::UndecoratedEntryName;

TEST(ModuleNames, ProductNamesLoseCaseAndTheirDllSuffix) {
  EXPECT_EQ(ModuleBaseName("VIRARUDI"), "virarudi");
  EXPECT_EQ(ModuleBaseName("router.dll"), "router");
  EXPECT_EQ(ModuleBaseName("QRXTRC.DLL"), "qrxtrc");
  EXPECT_EQ(ModuleBaseName(".dll"), ".dll") << "nothing left to name";
  EXPECT_EQ(ModuleBaseName("my.dllx"), "my.dllx");
}

TEST(ModuleNames, StdcallDecorationIsStripped) {
  EXPECT_EQ(UndecoratedEntryName("_LOGFACILITIESEP@8"), "LOGFACILITIESEP");
  EXPECT_EQ(UndecoratedEntryName("OnTimer@8"), "OnTimer");
  EXPECT_EQ(UndecoratedEntryName("OnTimer"), "OnTimer");
  EXPECT_EQ(UndecoratedEntryName("_private"), "_private");
  EXPECT_EQ(UndecoratedEntryName("odd@"), "odd@");
  EXPECT_EQ(UndecoratedEntryName("a@b8"), "a@b8");
}

TEST(AutoResetEvent, ReleasesOneWaitThenResets) {
  AutoResetEvent event;
  ASSERT_TRUE(event.ok());
  event.Set();
  event.Set();
  EXPECT_EQ(event.Wait(0), AutoResetEvent::WaitResult::kSignalled);
  EXPECT_EQ(event.Wait(0), AutoResetEvent::WaitResult::kTimedOut);
  event.Set();
  event.Reset();
  EXPECT_EQ(event.Wait(0), AutoResetEvent::WaitResult::kTimedOut);
}

TEST(AutoResetEvent, TimedWaitDoesNotEndEarly) {
  AutoResetEvent event;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(event.Wait(30), AutoResetEvent::WaitResult::kTimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(AutoResetEvent, WakesAWaiterInAnotherThread) {
  struct Shared {
    AutoResetEvent event;
    std::atomic<bool> woke{false};
  } shared;
  libdevavu::platform::Thread waiter;
  ASSERT_TRUE(waiter.Start(
      [](void* arg) {
        auto* s = static_cast<Shared*>(arg);
        s->woke = s->event.Wait(AutoResetEvent::kInfinite) ==
                  AutoResetEvent::WaitResult::kSignalled;
      },
      &shared));
  EXPECT_FALSE(waiter.IsCurrent());
  shared.event.Set();
  waiter.Join();
  EXPECT_TRUE(shared.woke.load());
}

TEST(RecursiveLock, OwnerReentersOthersWait) {
  libdevavu::platform::RecursiveLock lock;
  std::atomic<int> counter{0};
  lock.Enter();
  lock.Enter();
  libdevavu::platform::Thread other;
  struct Args {
    libdevavu::platform::RecursiveLock* lock;
    std::atomic<int>* counter;
  } args{&lock, &counter};
  ASSERT_TRUE(other.Start(
      [](void* raw) {
        auto* a = static_cast<Args*>(raw);
        libdevavu::platform::LockHolder hold(*a->lock);
        a->counter->fetch_add(1);
      },
      &args));
  lock.Leave();
  // Still held once: the other thread must not have got in.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(counter.load(), 0);
  lock.Leave();
  other.Join();
  EXPECT_EQ(counter.load(), 1);
}

TEST(Clock, CalendarReadingAgreesWithTime) {
  const std::time_t before = std::time(nullptr);
  const auto now = libdevavu::platform::CalendarNow();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(now.seconds, before);
  EXPECT_LE(now.seconds, after);
  EXPECT_LT(now.millis, 1000u);
}

TEST(Clock, TickCountAdvances) {
  const uint32_t first = libdevavu::platform::TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  const uint32_t elapsed = libdevavu::platform::TickCount() - first;  // modulo 2^32
  EXPECT_GE(elapsed, 15u);
  EXPECT_LT(elapsed, 60000u);
}

}  // namespace
