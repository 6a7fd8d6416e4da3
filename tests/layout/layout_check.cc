// Proves the boundary records' layouts. Compiled for a 32-bit target
// (g++ -m32 -fsyntax-only), where sizes and offsets are the documented ones,
// and for the native target, where words widen to pointer size.
#include <cstddef>
#include <cstdint>

#include "devavu.h"

#if defined(DEVAVU_EXPECT_ILP32)
static_assert(UINTPTR_MAX == 0xFFFFFFFFu, "this check must be compiled with -m32");
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu

static_assert(sizeof(TraceAnchor) == 80);
static_assert(offsetof(TraceAnchor, local_flags) == 0);
static_assert(offsetof(TraceAnchor, trace_flags) == 4);
static_assert(offsetof(TraceAnchor, send_label) == 8);
static_assert(offsetof(TraceAnchor, recv_label) == 12);
static_assert(offsetof(TraceAnchor, func_call_label) == 16);
static_assert(offsetof(TraceAnchor, func_ret_label) == 20);
static_assert(offsetof(TraceAnchor, thread_start_label) == 24);
static_assert(offsetof(TraceAnchor, prov_call_label) == 28);
static_assert(offsetof(TraceAnchor, prov_ret_label) == 32);
static_assert(offsetof(TraceAnchor, recv_dg_label) == 36);
static_assert(offsetof(TraceAnchor, send_dg_label) == 40);
static_assert(offsetof(TraceAnchor, error_label) == 44);
static_assert(offsetof(TraceAnchor, reserved_48) == 48);
static_assert(offsetof(TraceAnchor, reserved_52) == 52);
static_assert(offsetof(TraceAnchor, error_id_base) == 56);
static_assert(offsetof(TraceAnchor, log_entry) == 60);
static_assert(offsetof(TraceAnchor, reserved_64) == 64);
static_assert(offsetof(TraceAnchor, debug_info_label) == 68);
static_assert(offsetof(TraceAnchor, component_name) == 72);
static_assert(offsetof(TraceAnchor, attach_word) == 76);

static_assert(sizeof(TraceEntry) == 12);
static_assert(offsetof(TraceEntry, module_name) == 0);
static_assert(offsetof(TraceEntry, entry_name) == 4);
static_assert(offsetof(TraceEntry, module_handle) == 8);

static_assert(sizeof(CFNEntry) == 12);
static_assert(offsetof(CFNEntry, name) == 0);
static_assert(offsetof(CFNEntry, value) == 4);
static_assert(offsetof(CFNEntry, next) == 8);

static_assert(sizeof(CFNFileEntries) == 24);
static_assert(offsetof(CFNFileEntries, trace_module_name) == 0);
static_assert(offsetof(CFNFileEntries, trace_entry_name) == 4);
static_assert(offsetof(CFNFileEntries, cmmuser) == 8);
static_assert(offsetof(CFNFileEntries, provider) == 12);
static_assert(offsetof(CFNFileEntries, cmmusergw) == 16);
static_assert(offsetof(CFNFileEntries, services) == 20);

static_assert(sizeof(TimerRequest) == 20);
static_assert(offsetof(TimerRequest, corr) == 0);
static_assert(offsetof(TimerRequest, interval) == 4);
static_assert(offsetof(TimerRequest, retry_limit) == 8);
static_assert(offsetof(TimerRequest, dll_name) == 12);
static_assert(offsetof(TimerRequest, entry_name) == 16);

static_assert(sizeof(LogRequest) == 104);

static_assert(offsetof(LogRequest, attach.component_name) == 0);
static_assert(offsetof(LogRequest, attach.error_id_base) == 4);
static_assert(offsetof(LogRequest, attach.trace_flags) == 8);
static_assert(offsetof(LogRequest, attach.attach_word) == 12);

static_assert(offsetof(LogRequest, trace.label) == 0);
static_assert(offsetof(LogRequest, trace.component_name) == 4);
static_assert(offsetof(LogRequest, trace.text) == 8);
static_assert(offsetof(LogRequest, trace.data) == 12);
static_assert(offsetof(LogRequest, trace.length) == 16);

static_assert(offsetof(LogRequest, error.component_name) == 0);
static_assert(offsetof(LogRequest, error.error_id) == 4);
static_assert(offsetof(LogRequest, error.object) == 8);
static_assert(offsetof(LogRequest, error.log_option) == 12);
static_assert(sizeof(LogErrorRequest::log_option) == 2);
static_assert(offsetof(LogRequest, error.msg_no) == 16);
static_assert(offsetof(LogRequest, error.code) == 20);
static_assert(offsetof(LogRequest, error.data_length) == 24);
static_assert(sizeof(LogErrorRequest::data_length) == 2);
static_assert(offsetof(LogRequest, error.data) == 28);
static_assert(offsetof(LogRequest, error.msg_id) == 32);
static_assert(offsetof(LogRequest, error.extra) == 36);
static_assert(offsetof(LogRequest, error.extra[1]) == 40);

static_assert(sizeof(SmfmtRequest) == 24);
static_assert(offsetof(SmfmtRequest, op) == 0);
static_assert(sizeof(SmfmtRequest::op) == 2);
static_assert(offsetof(SmfmtRequest, len) == 4);
static_assert(offsetof(SmfmtRequest, buf) == 8);
static_assert(offsetof(SmfmtRequest, groups) == 12);
static_assert(offsetof(SmfmtRequest, repeated_types) == 16);
static_assert(offsetof(SmfmtRequest, seen_types) == 20);

static_assert(sizeof(SmfmtGroup) == 8);
static_assert(offsetof(SmfmtGroup, next) == 0);
static_assert(offsetof(SmfmtGroup, first) == 4);

static_assert(sizeof(SmfmtRecord) == 20);
static_assert(offsetof(SmfmtRecord, type) == 0);
static_assert(offsetof(SmfmtRecord, subtype) == 1);
static_assert(offsetof(SmfmtRecord, len) == 2);
static_assert(offsetof(SmfmtRecord, flags) == 4);
static_assert(offsetof(SmfmtRecord, spare) == 8);
static_assert(offsetof(SmfmtRecord, next) == 12);
static_assert(offsetof(SmfmtRecord, data) == 16);

#else

// Natural layout: every request word holds an address.
static_assert(sizeof(DvWord) == sizeof(void*));
static_assert(sizeof(LogRequest) == LOGREQ_WORDS * sizeof(DvWord));
static_assert(sizeof(LogErrorRequest) <= sizeof(LogRequest));
static_assert(offsetof(TraceAnchor, trace_flags) == sizeof(void*));

#endif
