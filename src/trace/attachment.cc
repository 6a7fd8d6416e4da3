// GetTraceErrLogAddressability and UnGetTraceErrLogAddressability: connecting
// a component's anchor to the trace library, and the library's own anchor
// with it on the first call of the process.
#include <atomic>
#include <cstdio>
#include <optional>

#include "devavu.h"
#include "frame/common_services.h"
#include "frame/library_state.h"

namespace {

constexpr char kOwnName[] = "ORVESVC";
constexpr uint32_t kWorkSize = 100;

bool Failed(uint32_t code) { return (code & 0xFFFF) != 0; }

// Shows message 352 or 353 of component 5 with the failure code and the name
// that failed, and gives the text back.
void ShowAttachFailure(uint32_t message, uint32_t id_no, uint32_t code, const char* name) {
  char code_text[8];
  std::snprintf(code_text, sizeof code_text, "%d", static_cast<uint16_t>(code));
  char* text = getmsg(5, message, 2, reinterpret_cast<DvWord>(code_text),
                      reinterpret_cast<DvWord>(name));
  DisplayMsg(text, 0, id_no, 'E');
  if (text != nullptr && text[-1] == 1) {
    std::atomic_ref<char>(text[-1]).store(0, std::memory_order_release);
  }
}

// Loads the entry's module, resolves its entry point into the anchor and
// registers name with it: 0, -1, or the trace library's own answer.
int32_t AttachAnchor(const char* name, TraceEntry* entry, TraceAnchor* anchor) {
  char work[kWorkSize];
  const uint32_t loaded = MSWLoadDLL(work, kWorkSize, entry->module_name, &entry->module_handle);
  if (Failed(loaded)) {
    ShowAttachFailure(0xCFFF0160, 352, loaded, entry->module_name);
    return -1;
  }
  void* address = nullptr;
  const uint32_t resolved =
      MSWGetDLLEntryPointAddr(entry->module_handle, entry->entry_name, &address);
  anchor->log_entry = reinterpret_cast<LogFacilitiesEntry>(address);
  if (Failed(resolved) || anchor->log_entry == nullptr) {
    ShowAttachFailure(0xCFFF0161, 353, resolved, entry->entry_name);
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
  auto& state = libdevavu::frame::State();
  TraceAnchor& own = state.own_anchor;
  own = TraceAnchor{};
  state.own_trace_entry = TraceEntry{};
  own.component_name = kOwnName;
  own.trace_flags = &own.local_flags;

  const int32_t entry_rc = ProcessCFNFileTraceEntry(&state.own_trace_entry);
  if (entry_rc != 0) {
    state.own_attach_state = libdevavu::frame::kOwnFailed;
    return entry_rc;
  }
  const int32_t attached = AttachAnchor(kOwnName, &state.own_trace_entry, &own);
  SetTraceHdrs(&own);
  if (attached != 0) {
    state.own_attach_state = libdevavu::frame::kOwnFailed;
    return -1;
  }
  return 0;
}

// The own anchor is attached once, however many threads make their first
// attachment at the same moment: the state is claimed and looked at again
// under lib_lock, so a caller that found it not tried waits for the first
// one's outcome instead of attaching (and leaking) a second time. The timer thread and
// QXTIMER trace through the own anchor holding the same lock, so they never
// read it half made. Before devavu_init there is no lock; the claim alone
// then keeps the attachment single.
int32_t AttachOwnAnchorOnce() {
  auto& state = libdevavu::frame::State();
  std::optional<libdevavu::platform::LockHolder> hold;
  if (state.lib_lock) hold.emplace(*state.lib_lock);
  uint8_t seen = libdevavu::frame::kOwnNotTried;
  if (state.own_attach_state.compare_exchange_strong(seen, libdevavu::frame::kOwnAttached)) {
    return AttachOwnAnchor();
  }
  return seen == libdevavu::frame::kOwnFailed ? -1 : 0;
}

}  // namespace

extern "C" {

DEVAVU_API int32_t GetTraceErrLogAddressability(const char* name, TraceEntry* entry,
                                                TraceAnchor* anchor) {
  if (name == nullptr || entry == nullptr || anchor == nullptr) return -1;
  if (libdevavu::frame::State().own_attach_state.load() != libdevavu::frame::kOwnAttached) {
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
