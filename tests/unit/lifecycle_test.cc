#include <array>
#include <atomic>
#include <cstdlib>

#include "frame/heap.h"
#include "library_test.h"
#include "support/test_thread.h"

namespace {

using libdevavu::frame::Heap;

using LifecycleTest = LibraryTest;

TEST_F(LifecycleTest, ReadyLibraryAnswersUntilTermAndStartsAgain) {
  devavu_term();  // without init: harmless
  ASSERT_EQ(devavu_init(), 0);
  std::array<uint8_t, 6> buf = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(devavu(0, buf.data()), 0);
  EXPECT_EQ(buf, (std::array<uint8_t, 6>{1, 0, 0, 0, 9, 9})) << "the version, four bytes";
  EXPECT_EQ(devavu(7, buf.data()), 9);
  StartAndAttach();  // a second init changes nothing
  DetachAndTerm();
  EXPECT_EQ(devavu(0, buf.data()), -10);
  EXPECT_EQ(devavu_init2(0), -10);
  EXPECT_EQ(fakes::LiveBlocks(), 0u) << "the own trace entry's names are released";
  ASSERT_EQ(devavu_init(), 0);
  EXPECT_EQ(devavu(0, buf.data()), 0);
}

// A failed start is not retried, and the refused calls release the lock:
// it is recursive, so only another thread can tell that it is free, and a
// lock left held would block that thread (waited for with a deadline).
TEST_F(LifecycleTest, EachAllocationFailureFailsTheStart) {
  // The first heap block is the wake-up event, whose failure waits for
  // devavu_init2; the next three the tables.
  for (int nth = 1; nth <= 4; ++nth) {
    SCOPED_TRACE(nth);
    fakes::ResetAll();
    static int countdown;
    countdown = nth;
    Heap().alloc = [](size_t size) -> void* {
      return --countdown == 0 ? nullptr : std::malloc(size);
    };
    EXPECT_EQ(devavu_init(), nth == 1 ? 0 : -1);
    Heap().alloc = &std::malloc;
    EXPECT_EQ(devavu_init(), 0);
    EXPECT_EQ(devavu_init2(0), -10);
    uint8_t buf[4] = {};
    EXPECT_EQ(devavu(0, buf), -10);
    static std::atomic<int> other;
    other = 1;
    TestThread([] {
      uint8_t b[4] = {};
      other = devavu(0, b) + devavu_init2(0);
    }).detach();
    for (int wait = 0; other.load() == 1 && wait < 10000; ++wait) SleepMs(1);
    ASSERT_EQ(other.load(), -20) << "another thread was kept out";
  }
}

}  // namespace
