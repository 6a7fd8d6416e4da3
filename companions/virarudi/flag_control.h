// Lets the trace flags of this process be changed while it runs: a thread
// reads the process's control file (see platform/trace_control.h) four
// times a second and hands a changed text, in QRXTRACE's syntax, to the
// component table, which stores the flags bytes that components test.
#ifndef VIRARUDI_FLAG_CONTROL_H_
#define VIRARUDI_FLAG_CONTROL_H_

#include <atomic>
#include <string>

#include "component_table.h"
#include "platform/platform.h"
#include "platform/worker.h"

namespace virarudi {

class FlagControl {
 public:
  // folder: QRXTRACERUN, null for the default. A folder that cannot be used
  // leaves the flags as they are; one given explicitly is reported.
  FlagControl(ComponentTable& table, const char* folder);
  ~FlagControl();
  FlagControl(const FlagControl&) = delete;
  FlagControl& operator=(const FlagControl&) = delete;

  // True once the control file has asked for any flags.
  bool changed() const { return changed_.load(std::memory_order_relaxed); }

  // Called at every request: in the child of a fork, the first one gives
  // the child a control file and a thread of its own.
  void FollowFork();

 private:
  void Start();
  static void Poll(void* self);

  ComponentTable& table_;
  const std::string folder_;
  std::atomic<uint32_t> fork_generation_;
  libdevavu::platform::RecursiveLock fork_lock_;
  std::string path_;
  std::string applied_;
  std::atomic<bool> changed_{false};
  libdevavu::platform::Worker watcher_;
};

}  // namespace virarudi

#endif  // VIRARUDI_FLAG_CONTROL_H_
