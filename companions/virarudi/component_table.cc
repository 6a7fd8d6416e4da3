#include "component_table.h"

#include <atomic>

namespace virarudi {

std::optional<ComponentTable::Attachment> ComponentTable::Attach(std::string_view name,
                                                                 const TraceSettings& settings) {
  libdevavu::platform::LockHolder hold(lock_);
  auto it = components_.find(name);
  if (it == components_.end()) {
    if (components_.size() >= kMaxComponents) return std::nullopt;
    const auto slot = static_cast<uint32_t>(components_.size());
    const uint8_t flags = changes_.GivenFlagsFor(name).value_or(settings.FlagsFor(name));
    it = components_.emplace(std::string(name), Component{slot, flags, 0}).first;
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

void ComponentTable::Change(const TraceSettings& changes) {
  libdevavu::platform::LockHolder hold(lock_);
  changes_ = changes;
  for (auto& [name, component] : components_) {
    if (const std::optional<uint8_t> flags = changes.GivenFlagsFor(name)) {
      std::atomic_ref<uint8_t>(component.flags).store(*flags, std::memory_order_relaxed);
    }
  }
}

}  // namespace virarudi
