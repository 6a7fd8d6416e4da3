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
#define A(field) offsetof(TraceAnchor, field)
static_assert(Words({A(local_flags), A(trace_flags), A(send_label), A(recv_label),
                     A(func_call_label), A(func_ret_label), A(thread_start_label),
                     A(prov_call_label), A(prov_ret_label), A(recv_dg_label), A(send_dg_label),
                     A(error_label), A(reserved_48), A(reserved_52), A(error_id_base),
                     A(log_entry), A(reserved_64), A(debug_info_label), A(component_name),
                     A(attach_word)}));
#undef A

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
#define A(field) offsetof(LogRequest, field)
static_assert(Words({A(attach.component_name), A(attach.error_id_base), A(attach.trace_flags),
                     A(attach.attach_word)}));
static_assert(Words({A(trace.label), A(trace.component_name), A(trace.text), A(trace.data),
                     A(trace.length)}));
static_assert(Words({A(error.component_name), A(error.error_id), A(error.object),
                     A(error.log_option), A(error.msg_no), A(error.code), A(error.data_length),
                     A(error.data), A(error.msg_id), A(error.extra[0]), A(error.extra[1])}));
#undef A
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
