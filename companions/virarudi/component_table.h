// The components attached in this process, by name (case-sensitive). Each
// has a flags byte that components read directly through its address, so an
// entry never moves and is never removed while the table lives.
#ifndef VIRARUDI_COMPONENT_TABLE_H_
#define VIRARUDI_COMPONENT_TABLE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "trace_settings.h"

namespace virarudi {

class ComponentTable {
 public:
  // Error identifier bases are (slot + 1) << 20 in 32 bits.
  static constexpr uint32_t kMaxComponents = 4095;

  struct Attachment {
    uint32_t error_id_base;
    uint8_t* flags;
    uint32_t attach_word;
  };

  // Counts a reference of name, entering it with the next slot and its
  // flags from settings the first time. Nothing when the table is full.
  std::optional<Attachment> Attach(std::string_view name, const TraceSettings& settings);
  // Drops a reference; a name not in the table is ignored.
  void Detach(std::string_view name);
  // Flags set in the running process: changes the byte of every component
  // that changes names (by name or by *) and gives the same to components
  // attached later, ahead of the settings they attach with.
  void Change(const TraceSettings& changes);

 private:
  struct Component {
    uint32_t slot;
    uint8_t flags;
    uint32_t references;
  };

  libdevavu::platform::RecursiveLock lock_;
  TraceSettings changes_;
  std::map<std::string, Component, std::less<>> components_;
};

}  // namespace virarudi

#endif  // VIRARUDI_COMPONENT_TABLE_H_
