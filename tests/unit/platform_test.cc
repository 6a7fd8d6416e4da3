#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "formats/module_names.h"
#include "formats/utf16.h"
#include "platform/platform.h"
#include "support/test_thread.h"

namespace {

using libdevavu::platform::AutoResetEvent;

TEST(ModuleNames, ProductNamesLoseCaseAndDllSuffixAndStdcallDecorationIsStripped) {
  const std::pair<const char*, const char*> names[] = {
      {"VIRARUDI", "virarudi"}, {"router.dll", "router"}, {"QRXTRC.DLL", "qrxtrc"},
      {".dll", ".dll"},         {"my.dllx", "my.dllx"}};
  for (auto [name, base] : names) EXPECT_EQ(libdevavu::formats::ModuleBaseName(name), base);
  const std::pair<const char*, const char*> entries[] = {
      {"_LOGFACILITIESEP@8", "LOGFACILITIESEP"}, {"OnTimer@8", "OnTimer"},
      {"_private", "_private"}, {"odd@", "odd@"}, {"a@b8", "a@b8"}};
  for (auto [name, bare] : entries) {
    EXPECT_EQ(libdevavu::formats::UndecoratedEntryName(name), bare);
  }
}

TEST(Utf16Le, PairsSurrogatesAndSubstitutesWhatItCannotRepresent) {
  using namespace std::string_literals;
  const std::pair<std::string, std::string> cases[] = {
      {"A\0\xE9\0\xAC\x20"s, "A\xC3\xA9\xE2\x82\xAC"},
      {"\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},     // U+1F600
      {"\xFF\xDB\xFF\xDF"s, "\xF4\x8F\xBF\xBF"},     // U+10FFFF
      {"\x3D\xD8Z\0\x00\xDEZ"s, "?Z?"},               // unpaired, odd byte dropped
  };
  for (const auto& [utf16, utf8] : cases) {
    EXPECT_EQ(libdevavu::formats::Utf16LeToUtf8(utf16), utf8) << utf8;
  }
}

TEST(AutoResetEvent, ReleasesOneWaitThenResetsAndWakesAnotherThread) {
  struct Shared {
    AutoResetEvent event;
    std::atomic<bool> woke{false};
  } shared;
  ASSERT_TRUE(shared.event.ok());
  shared.event.Set();
  shared.event.Set();
  EXPECT_EQ(shared.event.Wait(0), AutoResetEvent::WaitResult::kSignalled);
  EXPECT_EQ(shared.event.Wait(0), AutoResetEvent::WaitResult::kTimedOut);
  shared.event.Set();
  shared.event.Reset();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(shared.event.Wait(30), AutoResetEvent::WaitResult::kTimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  TestThread waiter([&shared] {
    shared.woke = shared.event.Wait(AutoResetEvent::kInfinite) == AutoResetEvent::WaitResult::kSignalled;
  });
  shared.event.Set();
  waiter.join();
  EXPECT_TRUE(shared.woke.load());
}

TEST(RecursiveLock, OwnerReentersOthersWait) {
  libdevavu::platform::RecursiveLock lock;
  std::atomic<int> counter{0};
  lock.Enter();
  lock.Enter();
  TestThread other([&] {
    libdevavu::platform::LockHolder hold(lock);
    counter.fetch_add(1);
  });
  lock.Leave();
  SleepMs(20);
  EXPECT_EQ(counter.load(), 0) << "still held once";
  lock.Leave();
  other.join();
  EXPECT_EQ(counter.load(), 1);
}

}  // namespace
