// The configurations that are open, by handle. Thread-safe.
#ifndef KRTCAPI_OPEN_CONFIGURATIONS_H_
#define KRTCAPI_OPEN_CONFIGURATIONS_H_

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "cfn_file.h"
#include "platform/platform.h"

namespace krtcapi {

using Entries = std::shared_ptr<const std::vector<CfnEntry>>;

class OpenConfigurations {
 public:
  // A new handle, never 0 and never one that is open.
  uint32_t Add(Entries entries);
  // The entries of an open handle, or null.
  Entries Find(uint32_t handle) const;
  // False when the handle was not open.
  bool Remove(uint32_t handle);

 private:
  mutable libdevavu::platform::RecursiveLock lock_;
  std::map<uint32_t, Entries> open_;
  uint32_t last_ = 0;
};

}  // namespace krtcapi

#endif  // KRTCAPI_OPEN_CONFIGURATIONS_H_
