// RetrieveMsgText: the raw text of one request, from the preloaded cache of
// the trace component or from the message library, formatted with its
// inserts into a pool buffer.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "frame/common_services.h"
#include "frame/heap.h"
#include "messages/catalogue.h"
#include "messages/marker.h"
#include "formats/line_end.h"
#include "platform/message_inserts.h"
#include "txtcat.h"

namespace libdevavu::messages {

namespace {

constexpr char kPreloadedLibrary[] = "qrxtrc.dll";
// Every component's max_len; the work areas live on the stack so that a
// request allocates nothing once its pool is large enough.
constexpr uint16_t kWorkSize = 256;

uint16_t WorkSize(const MsgComponent& component) {
  return std::min(component.max_len, kWorkSize);
}

// Reads every message of the component's range into its cache: 0, 6, or the
// failure of GetNLSMessage, after which the next request starts again.
uint16_t Preload(MsgComponent* component) {
  char work[kWorkSize];
  const uint16_t size = WorkSize(*component);
  for (uint16_t i = 1; i <= component->msg_count; ++i) {
    uint16_t length = 0;
    const uint32_t rc = GetNLSMessage(work, static_cast<uint16_t>(size - 1),
                                      static_cast<uint16_t>(component->msg_base + i),
                                      component->lib_name, &length);
    size_t kept = 0;
    if (rc == 0) {
      kept = std::min<size_t>(length, size - 1);
    } else if (rc != kNotFound) {
      // A failure whose low 16 bits are 0 must not read as success.
      return (rc & 0xFFFF) != 0 ? static_cast<uint16_t>(rc) : kRetrievalFailed;
    }
    auto* copy = static_cast<char*>(frame::HeapAlloc(static_cast<uint16_t>(kept + 1)));
    if (copy == nullptr) return kOutOfMemory;
    std::memcpy(copy, work, kept);
    copy[kept] = '\0';
    frame::HeapFree(component->cache[i]);
    component->cache[i] = copy;
  }
  component->preloaded = 1;
  return kRetrieved;
}

// At most max_len - 1 bytes with the terminating zero: the last byte of the
// cleared area is never written.
void Format(MsgComponent* component, const char* raw) {
  // Every text of the message sources ends with the line break of its last
  // line; that one is not part of the message.
  platform::FormatInserts(formats::WithoutLineEnd(raw), component->inserts,
                          component->insert_count, component->text,
                          static_cast<size_t>(component->max_len - 1));
}

}  // namespace

uint16_t RetrieveMsgText(MsgComponent* component) {
  if (component->preloaded == 0 && std::strcmp(component->lib_name, kPreloadedLibrary) == 0) {
    if (const uint16_t rc = Preload(component); rc != kRetrieved) return rc;
  }
  // An index outside the preloaded range names no message.
  if (component->preloaded == 1 &&
      (component->msg_no == 0 || component->msg_no > component->msg_count)) {
    return kNotFound;
  }

  char* text = GetMsgBuffer(component->comp_id, component->max_len);
  if (text == nullptr) return kOutOfMemory;
  component->text = text;
  std::memset(text, 0, component->max_len);

  if (component->preloaded == 1) {
    Format(component, component->cache[component->msg_no]);
    return kRetrieved;
  }

  char work[kWorkSize];
  const uint16_t size = WorkSize(*component);
  const int32_t rc = GetMsgText(component->lib_name, component->msg_no, size, work);
  if (rc == TXT_FOUND) {
    work[size - 1] = '\0';
    Format(component, work);
    return kRetrieved;
  }
  StoreMarker(MarkerOf(text), kMarkerFree);
  return rc == TXT_NO_MESSAGE ? kNotFound : kRetrievalFailed;
}

}  // namespace libdevavu::messages
