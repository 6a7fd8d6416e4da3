// A thread that does a piece of work each time it is woken, and at least
// once a period, until it is stopped: the trace library's preparing thread
// and its flag watcher. Made of the platform's event and thread, so it is
// the same on every system.
#ifndef DEVAVU_PLATFORM_WORKER_H_
#define DEVAVU_PLATFORM_WORKER_H_

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

namespace libdevavu::platform {

class Worker {
 public:
  using Work = void (*)(void* arg);
  Worker();
  ~Worker() { Stop(); }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // False when the system could not make the thread or its event. In the
  // child of a fork it starts a thread of the child's own.
  bool Start(Work work, void* arg, uint32_t period_ms);
  void Wake() { wake_.Set(); }
  // Waits for the piece of work under way and ends the thread. The child of
  // a fork has no thread of its parent's to wait for: it only forgets it.
  void Stop();

 private:
  static void Run(void* self);
  // True when the thread is this process's; else forgets the parent's.
  bool Owned();

  Work work_ = nullptr;
  void* arg_ = nullptr;
  uint32_t period_ms_ = 0;
  uint32_t fork_generation_;
  std::atomic<bool> stop_{false};
  AutoResetEvent wake_;
  Thread thread_;
};

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_WORKER_H_
