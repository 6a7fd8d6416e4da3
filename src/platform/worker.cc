#include "platform/worker.h"

#include "platform/trace_file.h"

namespace libdevavu::platform {

Worker::Worker() : fork_generation_(ForkGeneration()) {}

bool Worker::Start(Work work, void* arg, uint32_t period_ms) {
  Owned();
  work_ = work;
  arg_ = arg;
  period_ms_ = period_ms;
  stop_.store(false);
  return wake_.ok() && thread_.Start(&Worker::Run, this);
}

bool Worker::Owned() {
  if (fork_generation_ == ForkGeneration()) return true;
  thread_.ForgetAfterFork();
  wake_.RenewAfterFork();
  fork_generation_ = ForkGeneration();
  return false;
}

void Worker::Stop() {
  if (!Owned() || !thread_.started()) return;
  stop_.store(true);
  wake_.Set();
  thread_.Join();
}

void Worker::Run(void* self) {
  auto& worker = *static_cast<Worker*>(self);
  while (true) {
    worker.wake_.Wait(worker.period_ms_);
    if (worker.stop_.load()) return;
    worker.work_(worker.arg_);
  }
}

}  // namespace libdevavu::platform
