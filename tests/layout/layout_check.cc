// Proves the boundary records' layouts. Compiled for a 32-bit target
// (g++ -m32 -fsyntax-only), where sizes and offsets are the documented ones,
// and for the native target, where words widen to pointer size.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "devavu.h"

#if defined(DEVAVU_EXPECT_ILP32)
static_assert(UINTPTR_MAX == 0xFFFFFFFFu, "this check must be compiled with -m32");
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu

// True when the offsets, in the order given, are those of consecutive
// 4-byte words from offset 0: the fields of a record in its documented order.
constexpr bool Words(std::initializer_list<size_t> offsets) {
  size_t expected = 0;
  for (size_t offset : offsets) {
    if (offset != expected) return false;
    expected += 4;
  }
  return true;
}
#define AT(type, field) offsetof(type, field)

static_assert(sizeof(TraceAnchor) == 80);
static_assert(Words({AT(TraceAnchor, local_flags), AT(TraceAnchor, trace_flags),
                     AT(TraceAnchor, send_label), AT(TraceAnchor, recv_label),
                     AT(TraceAnchor, func_call_label), AT(TraceAnchor, func_ret_label),
                     AT(TraceAnchor, thread_start_label), AT(TraceAnchor, prov_call_label),
                     AT(TraceAnchor, prov_ret_label), AT(TraceAnchor, recv_dg_label),
                     AT(TraceAnchor, send_dg_label), AT(TraceAnchor, error_label),
                     AT(TraceAnchor, reserved_48), AT(TraceAnchor, reserved_52),
                     AT(TraceAnchor, error_id_base), AT(TraceAnchor, log_entry),
                     AT(TraceAnchor, reserved_64), AT(TraceAnchor, debug_info_label),
                     AT(TraceAnchor, component_name), AT(TraceAnchor, attach_word)}));

static_assert(sizeof(TraceEntry) == 12);
static_assert(Words({AT(TraceEntry, module_name), AT(TraceEntry, entry_name),
                     AT(TraceEntry, module_handle)}));
static_assert(sizeof(CFNEntry) == 12);
static_assert(Words({AT(CFNEntry, name), AT(CFNEntry, value), AT(CFNEntry, next)}));
static_assert(sizeof(CFNFileEntries) == 24);
static_assert(Words({AT(CFNFileEntries, trace_module_name), AT(CFNFileEntries, trace_entry_name),
                     AT(CFNFileEntries, cmmuser), AT(CFNFileEntries, provider),
                     AT(CFNFileEntries, cmmusergw), AT(CFNFileEntries, services)}));
static_assert(sizeof(TimerRequest) == 20);
static_assert(Words({AT(TimerRequest, corr), AT(TimerRequest, interval),
                     AT(TimerRequest, retry_limit), AT(TimerRequest, dll_name),
                     AT(TimerRequest, entry_name)}));

static_assert(sizeof(LogRequest) == 104);
static_assert(Words({AT(LogRequest, attach.component_name), AT(LogRequest, attach.error_id_base),
                     AT(LogRequest, attach.trace_flags), AT(LogRequest, attach.attach_word)}));
static_assert(Words({AT(LogRequest, trace.label), AT(LogRequest, trace.component_name),
                     AT(LogRequest, trace.text), AT(LogRequest, trace.data),
                     AT(LogRequest, trace.length)}));
static_assert(Words({AT(LogRequest, error.component_name), AT(LogRequest, error.error_id),
                     AT(LogRequest, error.object), AT(LogRequest, error.log_option),
                     AT(LogRequest, error.msg_no), AT(LogRequest, error.code),
                     AT(LogRequest, error.data_length), AT(LogRequest, error.data),
                     AT(LogRequest, error.msg_id), AT(LogRequest, error.extra[0]),
                     AT(LogRequest, error.extra[1])}));
static_assert(sizeof(LogErrorRequest::log_option) == 2 && sizeof(LogErrorRequest::data_length) == 2);

static_assert(sizeof(SmfmtRequest) == 24 && sizeof(SmfmtRequest::op) == 2);
static_assert(Words({AT(SmfmtRequest, op), AT(SmfmtRequest, len), AT(SmfmtRequest, buf),
                     AT(SmfmtRequest, groups), AT(SmfmtRequest, repeated_types),
                     AT(SmfmtRequest, seen_types)}));
static_assert(sizeof(SmfmtGroup) == 8);
static_assert(Words({AT(SmfmtGroup, next), AT(SmfmtGroup, first)}));
static_assert(sizeof(SmfmtRecord) == 20);
static_assert(AT(SmfmtRecord, subtype) == 1 && AT(SmfmtRecord, len) == 2);
static_assert(Words({AT(SmfmtRecord, type), AT(SmfmtRecord, flags), AT(SmfmtRecord, spare),
                     AT(SmfmtRecord, next), AT(SmfmtRecord, data)}));

#else

// Natural layout: every request word holds an address.
static_assert(sizeof(DvWord) == sizeof(void*));
static_assert(sizeof(LogRequest) == LOGREQ_WORDS * sizeof(DvWord));
static_assert(sizeof(LogErrorRequest) <= sizeof(LogRequest));
static_assert(offsetof(TraceAnchor, trace_flags) == sizeof(void*));

#endif
