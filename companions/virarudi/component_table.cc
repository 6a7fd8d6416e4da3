#include "component_table.h"

namespace virarudi {

std::optional<ComponentTable::Attachment> ComponentTable::Attach(std::string_view name,
                                                                 const TraceSettings& settings) {
  libdevavu::platform::LockHolder hold(lock_);
  auto it = components_.find(name);
  if (it == components_.end()) {
    if (components_.size() >= kMaxComponents) return std::nullopt;
    const auto slot = static_cast<uint32_t>(components_.size());
    it = components_.emplace(std::string(name), Component{slot, settings.FlagsFor(name), 0}).first;
  }
  Component& component = it->second;
  ++component.references;
  return Attachment{(component.slot + 1) << 20, &component.flags, component.slot + 1};
}

void ComponentTable::Detach(std::string_view name) {
  libdevavu::platform::LockHolder hold(lock_);
  const auto it = components_.find(name);
  if (it != components_.end() && it->second.references > 0) --it->second.references;
}

}  // namespace virarudi
