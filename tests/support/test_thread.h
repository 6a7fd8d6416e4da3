// The part of std::thread that the tests use, on the platform layer's
// threads: the standard library of the Windows toolchain has no threads.
#ifndef DEVAVU_TESTS_SUPPORT_TEST_THREAD_H_
#define DEVAVU_TESTS_SUPPORT_TEST_THREAD_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "platform/platform.h"

class TestThread {
 public:
  template <typename Body>
  explicit TestThread(Body body) : state_(std::make_shared<State>()) {
    state_->body = std::move(body);
    // The thread holds its state until its body has run: a detached thread
    // outlives this object.
    state_->self = state_;
    if (!state_->thread.Start(&Run, state_.get())) state_->self.reset();
  }
  TestThread(TestThread&&) = default;
  TestThread& operator=(TestThread&&) = default;
  ~TestThread() { join(); }

  void join() {
    if (state_ != nullptr) state_->thread.Join();
  }
  void detach() { state_.reset(); }

 private:
  struct State {
    std::function<void()> body;
    libdevavu::platform::Thread thread;
    std::shared_ptr<State> self;
  };
  static void Run(void* raw) {
    auto* state = static_cast<State*>(raw);
    state->body();
    const std::shared_ptr<State> last = std::move(state->self);
  }
  std::shared_ptr<State> state_;
};

// Sleeps for about ms milliseconds.
inline void SleepMs(uint32_t ms) { libdevavu::platform::AutoResetEvent().Wait(ms); }

#endif  // DEVAVU_TESTS_SUPPORT_TEST_THREAD_H_
