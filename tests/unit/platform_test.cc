#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "formats/utf16.h"
#include "platform/platform.h"
#include "support/test_thread.h"

namespace {

using libdevavu::platform::AutoResetEvent;

TEST(Utf16Le, PairsSurrogatesAndSubstitutesWhatItCannotRepresent) {
  using namespace std::string_literals;
  const std::pair<std::string, std::string> cases[] = {
      {"A\0\xE9\0\xAC\x20"s, "A\xC3\xA9\xE2\x82\xAC"},
      {"\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},  // U+1F600
      {"\xFF\xDB\xFF\xDF"s, "\xF4\x8F\xBF\xBF"},  // U+10FFFF
      {"\x3D\xD8Z\0\x00\xDEZ"s, "?Z?"},            // unpaired, odd byte dropped
  };
  for (const auto& [utf16, utf8] : cases) {
    EXPECT_EQ(libdevavu::formats::Utf16LeToUtf8(utf16), utf8) << utf8;
  }
}

// Two Sets release one wait; a Set wakes a thread that waits already.
TEST(AutoResetEvent, ReleasesOneWaitThenResetsAndWakesAnotherThread) {
  AutoResetEvent event;
  event.Set();
  event.Set();
  EXPECT_EQ(event.Wait(0), AutoResetEvent::WaitResult::kSignalled);
  EXPECT_EQ(event.Wait(0), AutoResetEvent::WaitResult::kTimedOut);
  std::atomic<bool> woke{false};
  TestThread waiter([&] {
    woke = event.Wait(AutoResetEvent::kInfinite) == AutoResetEvent::WaitResult::kSignalled;
  });
  event.Set();
  waiter.join();
  EXPECT_TRUE(woke.load());
}

}  // namespace
