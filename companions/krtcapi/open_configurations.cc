#include "open_configurations.h"

namespace krtcapi {

uint32_t OpenConfigurations::Add(Entries entries) {
  libdevavu::platform::LockHolder hold(lock_);
  do {
    ++last_;
  } while (last_ == 0 || open_.count(last_) != 0);
  open_.emplace(last_, std::move(entries));
  return last_;
}

Entries OpenConfigurations::Find(uint32_t handle) const {
  libdevavu::platform::LockHolder hold(lock_);
  const auto it = open_.find(handle);
  return it != open_.end() ? it->second : nullptr;
}

bool OpenConfigurations::Remove(uint32_t handle) {
  libdevavu::platform::LockHolder hold(lock_);
  return open_.erase(handle) != 0;
}

}  // namespace krtcapi
