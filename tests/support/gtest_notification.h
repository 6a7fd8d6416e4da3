// GoogleTest's Notification for a standard library without std::mutex (the
// Windows toolchain): it serves only GoogleTest's own thread tests, which
// this project does not build, so waiting may spin.
#ifndef DEVAVU_TESTS_SUPPORT_GTEST_NOTIFICATION_H_
#define DEVAVU_TESTS_SUPPORT_GTEST_NOTIFICATION_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_ = true; }
  void WaitForNotification() {
    while (!notified_) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal

#endif  // DEVAVU_TESTS_SUPPORT_GTEST_NOTIFICATION_H_
