#include "open_configurations.h"

namespace krtcapi {

uint32_t OpenConfigurations::Add(Entries entries) {
  std::lock_guard<std::mutex> hold(mutex_);
  do {
    ++last_;
  } while (last_ == 0 || open_.count(last_) != 0);
  open_.emplace(last_, std::move(entries));
  return last_;
}

Entries OpenConfigurations::Find(uint32_t handle) const {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto it = open_.find(handle);
  return it != open_.end() ? it->second : nullptr;
}

bool OpenConfigurations::Remove(uint32_t handle) {
  std::lock_guard<std::mutex> hold(mutex_);
  return open_.erase(handle) != 0;
}

}  // namespace krtcapi
