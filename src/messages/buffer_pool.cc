// GetMsgBuffer: the text buffers of a component, reused by their marker byte
// alone. A pool only grows; FreeMsgCatalogue releases it.
#include "frame/heap.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages/marker.h"

namespace libdevavu::messages {

char* GetMsgBuffer(uint16_t comp_id, uint16_t size) {
  for (MsgBuffer* node = Tables().msg_pool_head[comp_id]; node != nullptr;
       node = node->next) {
    if (LoadMarker(node->buffer) == kMarkerFree) {
      StoreMarker(node->buffer, kMarkerInUse);
      return reinterpret_cast<char*>(node->buffer + 1);
    }
  }

  auto* node = static_cast<MsgBuffer*>(frame::HeapAlloc(sizeof(MsgBuffer)));
  auto* block = static_cast<uint8_t*>(frame::HeapAlloc(static_cast<uint16_t>(size + 1)));
  if (node == nullptr || block == nullptr) {
    frame::HeapFree(node);
    frame::HeapFree(block);
    return nullptr;
  }
  node->next = nullptr;
  node->buffer = block;
  StoreMarker(block, kMarkerInUse);
  if (Tables().msg_pool_head[comp_id] == nullptr) {
    Tables().msg_pool_head[comp_id] = node;
  } else {
    Tables().msg_pool_tail[comp_id]->next = node;
  }
  Tables().msg_pool_tail[comp_id] = node;
  return reinterpret_cast<char*>(block + 1);
}

}  // namespace libdevavu::messages
