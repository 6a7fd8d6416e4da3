// InitMsgCatalogue, LoadMsgLibraries and FreeMsgCatalogue: the component
// descriptors from start-up to shutdown.
#include <cstring>
#include <optional>

#include "devavu.h"
#include "frame/heap.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages/message_platform.h"

namespace libdevavu::messages {

namespace {

using frame::HeapAlloc;
using frame::HeapFree;

struct ComponentRange {
  uint16_t comp_id;
  uint16_t msg_base;
  uint16_t msg_count;
  const char* lib_name;
};

constexpr uint16_t kTextSize = 256;

// Component 0 is the trace component, read from qrxtrc and preloaded; 6 is
// the catalogue's own, which also carries the substitute messages.
constexpr ComponentRange kComponents[] = {
    {0, 50, 210, "qrxtrc.dll"},
    {3, 300, 50, "qrxmsg.dll"},
    {5, 350, 100, "qrxmsg.dll"},
    {6, 510, 5, "qrxmsg.dll"},
    {8, 0, 50, "qrxmsg.dll"},
};

void FreeComponent(MsgComponent* component) {
  // Entries are cleared at set-up, so a preload that stopped half way is
  // released as well as a complete one.
  if (component->cache != nullptr) {
    for (int i = 1; i <= component->msg_count; ++i) HeapFree(component->cache[i]);
    HeapFree(component->cache);
  }
  HeapFree(component);
}

void FreePool(MsgBuffer* node) {
  while (node != nullptr) {
    MsgBuffer* next = node->next;
    HeapFree(node->buffer);
    HeapFree(node);
    node = next;
  }
}

}  // namespace

MessageTables& Tables() {
  // Never destroyed, as the lifecycle's own state.
  static MessageTables* const tables = new MessageTables;
  return *tables;
}

std::atomic<uint16_t>& MsgsAvailable() {
  static std::atomic<uint16_t> available{1};
  return available;
}

int16_t LoadMsgLibraries() {
  for (const ComponentRange& range : kComponents) {
    MsgComponent* component = Tables().msg_components[range.comp_id];
    if (!MessagePlatform().library_present(component->lib_name)) return -1;
    component->preloaded = 0;
  }
  return 0;
}

uint16_t InitMsgCatalogue() {
  for (const ComponentRange& range : kComponents) {
    auto* component = static_cast<MsgComponent*>(frame::HeapAllocZeroed(sizeof(MsgComponent)));
    if (component == nullptr) return kOutOfMemory;
    Tables().msg_components[range.comp_id] = component;
    component->cache = static_cast<char**>(
        frame::HeapAllocZeroed(static_cast<uint16_t>((range.msg_count + 1) * sizeof(char*))));
    if (component->cache == nullptr) return kOutOfMemory;
    component->msg_base = range.msg_base;
    component->msg_count = range.msg_count;
    component->max_len = kTextSize;
    component->lib_name = range.lib_name;
    component->preloaded = 0;
  }
  if (LoadMsgLibraries() != 0) {
    MsgsAvailable() = 0;
    DisplayMsg("QRX0999E", 0, 0, 'E');
  }
  return 0;
}

void FreeMsgCatalogue() {
  auto& state = frame::State();
  // A retrieval that is still running ends before its tables go.
  std::optional<platform::LockHolder> hold;
  if (state.msg_lock) hold.emplace(*state.msg_lock);
  for (int slot = 0; slot < kMsgSlots; ++slot) {
    if (Tables().msg_components != nullptr && Tables().msg_components[slot] != nullptr) {
      FreeComponent(Tables().msg_components[slot]);
      Tables().msg_components[slot] = nullptr;
    }
    if (Tables().msg_pool_head != nullptr) {
      FreePool(Tables().msg_pool_head[slot]);
      Tables().msg_pool_head[slot] = nullptr;
    }
  }
  HeapFree(Tables().msg_pool_head);
  Tables().msg_pool_head = nullptr;
  HeapFree(Tables().msg_pool_tail);
  Tables().msg_pool_tail = nullptr;
  HeapFree(Tables().msg_components);
  Tables().msg_components = nullptr;
}

}  // namespace libdevavu::messages
