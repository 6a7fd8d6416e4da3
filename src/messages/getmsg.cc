// getmsg and va_getmsg: the choice of component and request, the substitute
// messages and the fallback text.
#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "devavu.h"
#include "frame/library_state.h"
#include "messages/catalogue.h"

namespace libdevavu::messages {

namespace {

constexpr uint16_t kOwnComponent = 6;
constexpr uint32_t kSubstituteMessage = 0xCFFF0002;
constexpr uint32_t kNotFoundMessage = 0xCFFF03E6;

constexpr char kFallback[] =
    "\x02"
    "ERROR 100: 2nd level message retrieval failure: Check message files.";
static_assert(sizeof kFallback == 1 + 68 + 1);

char fallback_text[sizeof kFallback] = {};

// Puts the marker and the text back where a caller may have written; bytes
// that are right are not written, so that callers reading it see no store.
char* FallbackText() {
  for (size_t i = 0; i < sizeof kFallback; ++i) {
    std::atomic_ref<char> byte(fallback_text[i]);
    if (byte.load(std::memory_order_relaxed) != kFallback[i]) {
      byte.store(kFallback[i], std::memory_order_relaxed);
    }
  }
  return fallback_text + 1;
}

bool Refused() {
  return MsgsAvailable().load() == 0 || frame::State().lib_unusable.load() != 0;
}

void SetRequest(MsgComponent* component, uint16_t comp_id, uint32_t msg_no,
                uint16_t insert_count, const uintptr_t* inserts) {
  component->comp_id = comp_id;
  component->msg_no = msg_no;
  component->insert_count = insert_count;
  for (uint16_t i = 0; i < messages::kMaxInserts; ++i) {
    component->inserts[i] = i < insert_count ? inserts[i] : 0;
  }
}

// Runs the request that the descriptor now holds; a message that is not
// found is answered once with the not-found message of component 6.
char* Retrieve(MsgComponent* component, bool substitute) {
  const uint16_t rc = RetrieveMsgText(component);
  if (rc == kRetrieved) return component->text;
  MsgComponent* own = Tables().msg_components[kOwnComponent];
  if (substitute || rc != kNotFound || own == nullptr) return FallbackText();

  char number[16];
  std::snprintf(number, sizeof number, "%d", static_cast<int32_t>(component->msg_no));
  const uintptr_t inserts[2] = {reinterpret_cast<uintptr_t>(number),
                                reinterpret_cast<uintptr_t>(component->lib_name)};
  SetRequest(own, kOwnComponent, kNotFoundMessage, 2, inserts);
  return RetrieveMsgText(own) == kRetrieved ? own->text : FallbackText();
}

char* RequestMessage(uint16_t comp_id, uint32_t msg_no, uint16_t insert_count,
                 const uintptr_t* inserts) {
  if (Refused()) return FallbackText();
  auto& state = frame::State();
  if (!state.msg_lock) return FallbackText();
  platform::LockHolder hold(*state.msg_lock);
  if (Refused() || Tables().msg_components == nullptr) return FallbackText();

  // The notes live until the end of this call, which formats them.
  char note[48];
  if (comp_id >= kMsgSlots) {
    std::snprintf(note, sizeof note, "invalid component id %d", comp_id);
  } else if (Tables().msg_components[comp_id] == nullptr) {
    std::snprintf(note, sizeof note, "component %d not loaded ", comp_id);
  } else {
    if (inserts == nullptr) insert_count = 0;
    MsgComponent* component = Tables().msg_components[comp_id];
    SetRequest(component, comp_id, msg_no,
               insert_count < messages::kMaxInserts ? insert_count : messages::kMaxInserts, inserts);
    return Retrieve(component, false);
  }
  MsgComponent* own = Tables().msg_components[kOwnComponent];
  if (own == nullptr) return FallbackText();
  const uintptr_t substitute[1] = {reinterpret_cast<uintptr_t>(note)};
  SetRequest(own, kOwnComponent, kSubstituteMessage, 1, substitute);
  return Retrieve(own, true);
}

}  // namespace

}  // namespace libdevavu::messages

extern "C" {

DEVAVU_API char* va_getmsg(uint32_t comp_id, uint32_t msg_no, uint32_t insert_count,
                           const DvWord* inserts) {
  return libdevavu::messages::RequestMessage(static_cast<uint16_t>(comp_id), msg_no,
                                             static_cast<uint16_t>(insert_count), inserts);
}

DEVAVU_API char* getmsg(uint32_t comp_id, uint32_t msg_no, uint32_t insert_count, ...) {
  // Only the inserts that reach the formatting are read from the list.
  DvWord inserts[libdevavu::messages::kMaxInserts] = {};
  constexpr uint16_t kMax = libdevavu::messages::kMaxInserts;
  const auto count = static_cast<uint16_t>(insert_count);
  const uint16_t taken = count < kMax ? count : kMax;
  va_list args;
  va_start(args, insert_count);
  for (uint16_t i = 0; i < taken; ++i) inserts[i] = va_arg(args, DvWord);
  va_end(args);
  return va_getmsg(comp_id, msg_no, taken, inserts);
}

}  // extern "C"
