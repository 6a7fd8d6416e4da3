#include "flag_control.h"

#include "platform/trace_control.h"
#include "platform/trace_file.h"
#include "trace_settings.h"

namespace virarudi {

namespace platform = libdevavu::platform;

namespace {

constexpr uint32_t kPollMs = 250;
constexpr size_t kLargestText = 64 * 1024;

}  // namespace

FlagControl::FlagControl(ComponentTable& table, const char* folder)
    : table_(table), folder_(folder != nullptr ? folder : ""),
      fork_generation_(platform::ForkGeneration()) {
  Start();
}

void FlagControl::Start() {
  const std::string where = platform::ControlFolder(folder_.c_str());
  std::string error;
  if (platform::PrepareControlFolder(where, &error)) path_ = platform::CreateControlFile(where, &error);
  if (!path_.empty()) {
    if (watcher_.Start(&FlagControl::Poll, this, kPollMs)) return;
    error = "no thread to watch " + path_ + " could be started";
    platform::RemoveFile(path_);
    path_.clear();
  }
  if (!folder_.empty()) {
    platform::WriteStandardError("virarudi: trace flags cannot be changed while running (" +
                                 error + ")\n");
  }
}

void FlagControl::FollowFork() {
  if (fork_generation_.load(std::memory_order_relaxed) == platform::ForkGeneration()) return;
  platform::LockHolder hold(fork_lock_);
  if (fork_generation_.load(std::memory_order_relaxed) == platform::ForkGeneration()) return;
  // The parent's file is the parent's; so is its thread, which the new one
  // replaces.
  path_.clear();
  Start();
  fork_generation_.store(platform::ForkGeneration(), std::memory_order_relaxed);
}

FlagControl::~FlagControl() {
  // A child of fork that made no request has no file of its own.
  const bool own_file =
      fork_generation_.load(std::memory_order_relaxed) == platform::ForkGeneration();
  watcher_.Stop();
  if (own_file && !path_.empty()) platform::RemoveFile(path_);
}

void FlagControl::Poll(void* self) {
  auto& control = *static_cast<FlagControl*>(self);
  std::string text;
  if (!platform::ReadControlFile(control.path_, kLargestText, &text)) return;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  // Empty: nothing asked yet, or read between the writer's truncation and
  // its write.
  if (text.empty() || text == control.applied_) return;
  control.applied_ = text;
  const TraceSettings changes = TraceSettings::Parse(text.c_str());
  if (!changes.error().empty()) {
    platform::WriteStandardError("virarudi: trace flags not changed: " + changes.error() + "\n");
    return;
  }
  control.table_.Change(changes);
  control.changed_.store(true, std::memory_order_relaxed);
}

}  // namespace virarudi
