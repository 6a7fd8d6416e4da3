// GetTraceErrLogAddressability and UnGetTraceErrLogAddressability: connecting
// a component's anchor to the trace library, and the library's own anchor
// with it on the first call of the process.
#include <atomic>
#include <cstdio>
#include <optional>

#include "devavu.h"
#include "frame/common_services.h"
#include "frame/library_state.h"
#include "messages/marker.h"
#include "trace/own_log.h"

namespace {

using libdevavu::frame::kOwnComponentName;
using libdevavu::frame::ModuleEntry;

// Shows message 352 or 353 of component 5 with the failure code and the name
// that failed, and gives the text back.
void ShowAttachFailure(uint32_t message, uint32_t id_no, uint32_t code, const char* name) {
  char code_text[8];
  std::snprintf(code_text, sizeof code_text, "%d", static_cast<uint16_t>(code));
  char* text = getmsg(5, message, 2, reinterpret_cast<DvWord>(code_text),
                      reinterpret_cast<DvWord>(name));
  DisplayMsg(text, 0, id_no, 'E');
  libdevavu::messages::ReleaseText(text);
}

// Loads the entry's module, resolves its entry point into the anchor and
// registers name with it: 0, -1, or the trace library's own answer.
int32_t AttachAnchor(const char* name, TraceEntry* entry, TraceAnchor* anchor) {
  const ModuleEntry found =
      libdevavu::frame::LoadModuleEntry(entry->module_name, entry->entry_name);
  entry->module_handle = found.module;
  anchor->log_entry = reinterpret_cast<LogFacilitiesEntry>(found.address);
  if (found.failure == ModuleEntry::kModule) {
    ShowAttachFailure(0xCFFF0160, 352, found.code, entry->module_name);
    return -1;
  }
  if (found.failure == ModuleEntry::kEntry) {
    ShowAttachFailure(0xCFFF0161, 353, found.code, entry->entry_name);
    return -1;
  }

  LogRequest request{};
  request.attach.component_name = name;
  const int32_t answer = anchor->log_entry(LOGREQ_ATTACH, &request);
  if (answer != 0) return answer;
  if (request.attach.trace_flags != nullptr) anchor->trace_flags = request.attach.trace_flags;
  anchor->error_id_base = static_cast<uint32_t>(request.attach.error_id_base);
  anchor->attach_word = request.attach.attach_word;
  return 0;
}

// Called with own_attach_state already claimed (1).
int32_t AttachOwnAnchor() {
  libdevavu::trace::OwnTrace& state = libdevavu::trace::Own();
  TraceAnchor& own = state.own_anchor;
  own = TraceAnchor{};
  state.own_trace_entry = TraceEntry{};
  own.component_name = kOwnComponentName;
  own.trace_flags = &own.local_flags;

  const int32_t entry_rc = ProcessCFNFileTraceEntry(&state.own_trace_entry);
  if (entry_rc != 0) {
    state.own_attach_state = libdevavu::trace::kOwnFailed;
    return entry_rc;
  }
  const int32_t attached = AttachAnchor(kOwnComponentName, &state.own_trace_entry, &own);
  SetTraceHdrs(&own);
  if (attached != 0) {
    state.own_attach_state = libdevavu::trace::kOwnFailed;
    return -1;
  }
  return 0;
}

// The own anchor is attached once, however many threads make their first
// attachment at the same moment: the state is claimed and looked at again
// under lib_lock, so a caller that found it not tried waits for the first
// one's outcome instead of attaching (and leaking) a second time. The timer
// thread and QXTIMER trace through the own anchor holding the same lock, so
// they never read it half made. Before devavu_init there is no lock; the claim alone
// then keeps the attachment single.
int32_t AttachOwnAnchorOnce() {
  auto& lock = libdevavu::frame::State().lib_lock;
  std::optional<libdevavu::platform::LockHolder> hold;
  if (lock) hold.emplace(*lock);
  uint8_t seen = libdevavu::trace::kOwnNotTried;
  if (libdevavu::trace::Own().own_attach_state.compare_exchange_strong(
          seen, libdevavu::trace::kOwnAttached)) {
    return AttachOwnAnchor();
  }
  return seen == libdevavu::trace::kOwnFailed ? -1 : 0;
}

}  // namespace

extern "C" {

DEVAVU_API int32_t GetTraceErrLogAddressability(const char* name, TraceEntry* entry,
                                                TraceAnchor* anchor) {
  if (name == nullptr || entry == nullptr || anchor == nullptr) return -1;
  if (libdevavu::trace::Own().own_attach_state.load() != libdevavu::trace::kOwnAttached) {
    if (const int32_t rc = AttachOwnAnchorOnce(); rc != 0) return rc;
  }
  return AttachAnchor(name, entry, anchor);
}

DEVAVU_API int32_t UnGetTraceErrLogAddressability(const char* name, TraceEntry* entry,
                                                  TraceAnchor* anchor) {
  if (anchor != nullptr) {
    if (anchor->log_entry != nullptr) {
      LogRequest request{};
      request.attach.component_name = name;
      anchor->log_entry(LOGREQ_DETACH, &request);
    }
    anchor->trace_flags = &anchor->local_flags;
    anchor->log_entry = nullptr;
  }
  if (entry != nullptr) {
    if (entry->module_name != nullptr) {
      MEMFREE(0, entry->module_name);
      entry->module_name = nullptr;
    }
    if (entry->entry_name != nullptr) {
      MEMFREE(0, entry->entry_name);
      entry->entry_name = nullptr;
    }
  }
  return 0;
}

}  // extern "C"
