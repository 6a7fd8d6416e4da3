/*
 * devavu.h: the C interface of devavu, the common utility library of the
 * Quorix components.
 *
 * Everything that crosses the library boundary is declared here: the exported
 * functions and the plain records that components and the product libraries
 * read and write directly. The header compiles as C99 and as C++.
 *
 * Layouts: on a 32-bit target every record has the documented size and field
 * offsets (TraceAnchor 80 bytes, LogRequest 104, TraceEntry 12, CFNEntry 12,
 * CFNFileEntries 24). On a 64-bit target the same field order holds and words
 * that carry addresses widen to pointer size (DvWord).
 */
#ifndef DEVAVU_H
#define DEVAVU_H

#include <stddef.h>
#include <stdint.h>

#include "devavu_compiler.h"

#if defined(DEVAVU_BUILDING)
#  define DEVAVU_API DVU_EXPORT
#else
#  define DEVAVU_API DVU_IMPORT
#endif
#define DEVAVU_STDCALL DVU_STDCALL

#ifdef __cplusplus
extern "C" {
#endif

/* A request word: 32 bits on a 32-bit target, pointer-sized elsewhere, so
 * that a word can carry an address. */
typedef uintptr_t DvWord;

/* ------------------------------------------------------------------------ */
/* Requests to the trace library                                             */
/* ------------------------------------------------------------------------ */

enum {
  LOGREQ_ATTACH = 0,
  LOGREQ_TRACE = 1,
  LOGREQ_ERROR = 2,
  LOGREQ_DETACH = 4
};

#define LOGREQ_WORDS 26

/* Attach (type 0) and detach (type 4). The caller sends the component name in
 * word 0; the trace library answers an attach in the same block. */
typedef struct LogAttachRequest {
  const char *component_name;  /* word 0 */
  DvWord error_id_base;        /* word 1, reply: the component's error identifier base */
  uint8_t *trace_flags;        /* word 2, reply: the component's trace flags byte, or null */
  DvWord attach_word;          /* word 3, reply: kept in the anchor for the component */
} LogAttachRequest;

/* Trace record (type 1). */
typedef struct LogTraceRequest {
  const char *label;           /* word 0: one of the anchor's labels */
  const char *component_name;  /* word 1 */
  const char *text;            /* word 2: a line of text, or null */
  const void *data;            /* word 3: an area dumped with the record, or null */
  DvWord length;               /* word 4: the data length (16 bits widened) */
} LogTraceRequest;

/* Error record (type 2). */
typedef struct LogErrorRequest {
  const char *component_name;  /* offset 0 */
  uint32_t error_id;           /* offset 4: error identifier base + site constant */
  DvWord object;               /* offset 8: an object of the caller's */
  uint16_t log_option;         /* offset 12 */
  uint32_t msg_no;             /* offset 16: the number inside msg_id */
  uint32_t code;               /* offset 20 */
  uint16_t data_length;        /* offset 24: 0 with data means a terminated text */
  const void *data;            /* offset 28 */
  const char *msg_id;          /* offset 32: for example "QRX0002E" */
  DvWord extra[2];             /* offsets 36 and 40 */
} LogErrorRequest;

/* The block handed to the trace library's entry point: 26 words, zeroed by
 * the sender before it fills the view of its request type. */
typedef union LogRequest {
  DvWord word[LOGREQ_WORDS];
  LogAttachRequest attach;
  LogTraceRequest trace;
  LogErrorRequest error;
} LogRequest;

/* The trace library's entry point, LOGFACILITIESEP(type, request). 0 = done. */
typedef int32_t(DEVAVU_STDCALL *LogFacilitiesEntry)(uint32_t type, LogRequest *request);

/* Bits of a trace flags byte. */
#define QX_TRACE_ON 0x40u        /* write trace records */
#define QX_TRACE_ERRORS 0x80u    /* trace error records (0x40 does too) */

/* ------------------------------------------------------------------------ */
/* Trace anchor and trace entry                                              */
/* ------------------------------------------------------------------------ */

/* One per component. Components read the labels and test *trace_flags
 * directly, so the layout is fixed. */
typedef struct TraceAnchor {
  uint8_t local_flags;            /*  0: the anchor's own flags byte, 0 */
  uint8_t reserved_1[3];
  uint8_t *trace_flags;           /*  4: the flags byte that decides what is traced */
  const char *send_label;         /*  8: "<==SEND=====" */
  const char *recv_label;         /* 12: "===RECV====>" */
  const char *func_call_label;    /* 16: "FUNC CALL" */
  const char *func_ret_label;     /* 20: "FUNC RET" */
  const char *thread_start_label; /* 24: "THRD START" */
  const char *prov_call_label;    /* 28: "PROV CALL   " */
  const char *prov_ret_label;     /* 32: "PROV RET    " */
  const char *recv_dg_label;      /* 36: "===RECV=DG=>" */
  const char *send_dg_label;      /* 40: "<==SEND=DG==" */
  const char *error_label;        /* 44: "***ERROR***" */
  uint32_t reserved_48;
  uint32_t reserved_52;
  uint32_t error_id_base;         /* 56: from the attach reply */
  LogFacilitiesEntry log_entry;   /* 60: null while not attached */
  uint32_t reserved_64;
  const char *debug_info_label;   /* 68: "DEBUG INFO " */
  const char *component_name;     /* 72: filled by the component */
  DvWord attach_word;             /* 76: third reply word of the attach */
} TraceAnchor;

/* Names the trace library of an attachment. */
typedef struct TraceEntry {
  char *module_name;   /* from MEMGET; released by the detach */
  char *entry_name;    /* from MEMGET; released by the detach */
  void *module_handle; /* written when the module is loaded */
} TraceEntry;

/* ------------------------------------------------------------------------ */
/* Library lifecycle                                                         */
/* ------------------------------------------------------------------------ */

/* Results of the lifecycle exports. */
#define DV_OK 0
#define DV_START_FAILED (-1)
#define DV_UNUSABLE (-10)
#define DV_UNKNOWN_REQUEST 9

/* Once per process, before anything else: 0, or -1 when start-up failed. */
DEVAVU_API int16_t devavu_init(void);
/* Once, after devavu_init: completes the start-up. 0, or -10. */
DEVAVU_API int16_t devavu_init2(uint16_t mode);
/* At the end, while no other thread is inside the library. */
DEVAVU_API void devavu_term(void);
/* Request 0 writes the four bytes 1, 0, 0, 0 to out; 255 is accepted and
 * writes nothing; any other request gives 9. -10 when unusable. */
DEVAVU_API int16_t devavu(uint16_t request, uint8_t *out);

/* ------------------------------------------------------------------------ */
/* Tracing and error logging                                                 */
/* ------------------------------------------------------------------------ */

/* One trace record through the anchor. Test *anchor->trace_flags &
 * QX_TRACE_ON before formatting the text: tracing that is off costs one test. */
DEVAVU_API void QXLogTrace(TraceAnchor *anchor, const char *label, const char *text,
                           const void *data, uint16_t length);
/* Fills the eleven label fields of the anchor and nothing else. */
DEVAVU_API void SetTraceHdrs(TraceAnchor *anchor);

/* One error record: 0, or -1 when the trace library refused it. extras holds
 * extra_count words, of which at most two are sent. */
DEVAVU_API int32_t QXLogErrMsg(TraceAnchor *anchor, uint32_t error_id, const void *object,
                               uint8_t flags, uint32_t msg_no, uint32_t code,
                               uint16_t data_length, const void *data, const char *msg_id,
                               uint16_t extra_count, const DvWord *extras);
/* Stops all error-log requests of the process, for good. */
DEVAVU_API void QXSuppressMsgLogging(void);

/* Connects the anchor to the trace library named by entry: 0, -1, or the
 * trace library's own nonzero answer. The library attaches itself first, once
 * per process, however many threads make their first attachment at once. */
DEVAVU_API int32_t GetTraceErrLogAddressability(const char *name, TraceEntry *entry,
                                                TraceAnchor *anchor);
/* Disconnects the anchor and releases the entry's names. Always 0. */
DEVAVU_API int32_t UnGetTraceErrLogAddressability(const char *name, TraceEntry *entry,
                                                  TraceAnchor *anchor);

/* ------------------------------------------------------------------------ */
/* Record streams and hex dump                                               */
/* ------------------------------------------------------------------------ */

/*
 * A record stream is a sequence of records with nothing before, between or
 * after them. Each record: type (1 byte), subtype (1 byte), record length (2
 * bytes, high byte first, the 4 header bytes included, at least 4), data.
 *
 * QXSMFMT turns a stream into a list of groups, one group per type code in
 * the order of the type's first appearance, each holding its records in
 * stream order; and turns a list back into a stream. Every block of a list
 * or a stream comes from MEMGET(0, size), zero-filled, and goes back through
 * MEMFREE(0, block).
 *
 *   SmfmtRequest rq = {0};
 *   rq.op = SMFMT_PARSE; rq.buf = bytes; rq.len = length;
 *   if (QXSMFMT(&rq) == 0)
 *     for (SmfmtGroup *g = rq.groups; g; g = g->next)
 *       for (SmfmtRecord *r = g->first; r; r = r->next) use(r);
 *   if (rq.groups) { rq.op = SMFMT_FREE_LIST; QXSMFMT(&rq); }
 *
 * The release is needed after -1 and -10 too: a failed parse leaves the list
 * it made so far (a malformed record last, flagged SMFMT_MALFORMED). A
 * stream from SMFMT_BUILD goes back with SMFMT_FREE_BUFFER; SMFMT_FREE_LIST
 * only takes lists whose blocks all came from MEMGET.
 *
 * Results: 0 done; -1 a malformed record (parse), a stream over 65535 bytes
 * or groups that loop (build), no stream (parse) or no list
 * (release), an unknown op; -10 MEMGET gave no block or MEMFREE reported a
 * failure.
 *
 * Answers for requests outside the basic contract:
 * - A parse never reads groups: it always starts a new list, so a request
 *   block can be reused after SMFMT_FREE_LIST without clearing it. A list
 *   still held in groups is not released by it.
 * - A list without records (groups null, or groups without records) builds
 *   a stream of length 0: result 0, and buf goes back with
 *   SMFMT_FREE_BUFFER as any other.
 * - A chain of groups that comes back on itself is refused: -1, the request
 *   unchanged, nothing allocated.
 * - The build stores record lengths into the len fields. To build the list
 *   again, put the data lengths back first: the build cannot tell the two
 *   apart, and reads len bytes of each record's data.
 */

enum {
  SMFMT_PARSE = 0,       /* buf, len -> groups, seen_types, repeated_types */
  SMFMT_BUILD = 1,       /* groups -> buf, len */
  SMFMT_FREE_LIST = 2,   /* releases groups and every block in it */
  SMFMT_FREE_BUFFER = 3  /* releases buf */
};

/* The longest stream the build writes. */
#define SMFMT_MAX_STREAM 65535

/* Bits of SmfmtRecord.flags. */
#define SMFMT_MALFORMED 0x1u /* len holds the raw record length; no data */

/* Type flag bits of seen_types and repeated_types: type t from 1 to 10 has
 * bit 1 << (t - 1), type 11 has 0x800, and type 0 and the types 12 to 255
 * share 0x400. A list holds one group for that shared class: records of a
 * second type of the class are checked by the parse and then left out. */
#define SMFMT_TYPE11_BIT 0x800u
#define SMFMT_SHARED_TYPE_BIT 0x400u

typedef struct SmfmtRecord {
  uint8_t type;
  uint8_t subtype;
  uint16_t len;       /* data length; the record length after a build */
  uint32_t flags;     /* SMFMT_MALFORMED; the other bits are 0 */
  uint32_t spare;     /* zero */
  struct SmfmtRecord *next;
  uint8_t *data;      /* len bytes, or null when the data length is 0 */
} SmfmtRecord;

typedef struct SmfmtGroup {
  struct SmfmtGroup *next;
  SmfmtRecord *first; /* never null in a list made by a successful parse */
} SmfmtGroup;

typedef struct SmfmtRequest {
  uint16_t op;              /* SMFMT_PARSE .. SMFMT_FREE_BUFFER */
  int32_t len;              /* stream length: input of the parse, output of the build */
  uint8_t *buf;             /* stream: input of the parse, output of the build */
  SmfmtGroup *groups;       /* list: output of the parse, input of the build and release */
  uint32_t repeated_types;  /* type bits met more than once by the last parse */
  uint32_t seen_types;      /* type bits met at least once by the last parse */
} SmfmtRequest;

/* 0, -1 or -10 (see above). Keeps no state and takes no lock: threads may
 * call it at once with different request blocks. */
DEVAVU_API int32_t QXSMFMT(SmfmtRequest *request);

/* Writes data as hex dump lines to standard output and flushes it: 16 bytes
 * a line, as "    " and four groups of eight hex digits each followed by a
 * blank, then "    < ", the bytes as characters (0x20 to 0x7D as
 * themselves, others as ".") and " >". The last line keeps its columns.
 * Length 0 writes one empty line; a null data pointer only flushes. */
DEVAVU_API void QXFormatData(const void *data, uint16_t length);

/* ------------------------------------------------------------------------ */
/* Timers                                                                    */
/* ------------------------------------------------------------------------ */

/* A timer request. The library copies what it keeps; the caller owns it. */
typedef struct TimerRequest {
  uint32_t corr;          /* the caller's correlator: names the timer for a
                             removal and is the callback's first argument */
  uint32_t interval;      /* milliseconds, at most 65535000; below 100 counts
                             as 100 */
  uint16_t retry_limit;   /* re-arms after the first expiry, 0 to 5 */
  const char *dll_name;   /* the library holding the callback ("ROUTER",
                             "router.dll"); not empty */
  const char *entry_name; /* the callback's entry point in it; not empty */
} TimerRequest;

/* A timer callback, exported by the library a timer names: called on the
 * timer thread with the timer's correlator and final = 1 on its last call. It
 * may call QXTIMER, and removing its own timer stops further calls. */
typedef void(DEVAVU_STDCALL *QxTimerCallback)(uint32_t corr, uint32_t final);

/* Request codes and results of QXTIMER. */
#define QXTIMER_ADD 0
#define QXTIMER_REMOVE 1
#define QXTIMER_OK 0
#define QXTIMER_INVALID (-1)       /* unknown request code, or a bad add request */
#define QXTIMER_UNUSABLE (-10)     /* library unusable, or out of memory */
#define QXTIMER_RUNNING 2          /* remove: the callback runs now; it is not
                                      called again and the timer is freed after it */
#define QXTIMER_NOT_FOUND 4        /* remove: no queued timer has this correlator */

/* Adds (QXTIMER_ADD) or removes (QXTIMER_REMOVE, by corr) a timer.
 *
 * A timer fires once its interval has run, or up to 100 ms before: one
 * wake-up serves every timer due within the next 100 ms. Re-arms count from
 * the scan that made the previous call; timers with the same expiry fire in
 * the order they were added. Callbacks run one at a time on the timer thread
 * with no lock of the library held. A library or entry point that cannot be
 * found is logged as "QRX0003E" at the first expiry and the timer dropped;
 * one that its library's start-up code removes is dropped without a call.
 * The timer clock follows the system time (calendar seconds x 1000 plus the
 * milliseconds, modulo 2^32): when it steps back, queued timers fire at the
 * next scan; when it steps forward, they fire early. devavu_term stops the
 * thread (after the running callback, or at once from a callback; no callback
 * starts once it has begun) and frees every queued timer; a second
 * devavu_init2 keeps the running thread. */
DEVAVU_API int32_t QXTIMER(int32_t req_code, const TimerRequest *request);

/* ------------------------------------------------------------------------ */
/* Messages                                                                  */
/* ------------------------------------------------------------------------ */

/*
 * getmsg(comp_id, msg_no, insert_count, inserts...) gives the text of a
 * component's message with up to nine inserts substituted (%1 to %9 in the
 * text). A string insert is passed as its pointer, a number as its value;
 * each is read as a DvWord. Only the low 16 bits of comp_id and
 * insert_count count; inserts past the ninth are not read.
 *
 * Components 3, 5, 6 and 8 ask by the message identifier, 0xCFFF0000 + n
 * for the product's message n (QRXnnnnE); component 0, the trace component,
 * asks by the index of the message in its range 51 to 260 (1 = message 51).
 *
 * The result is never null, and the byte in front of it tells how to give it
 * back:
 *   1  a buffer of the library's: set the byte to 0 when done with the text;
 *   2  the fixed fallback text ("ERROR 100: ..."): leave it alone.
 * A message that cannot be had is answered with a substitute text (message
 * 2 or 998 of the catalogue, marker 1) or, when nothing can be read at all,
 * with the fallback text.
 *
 *   char *text = getmsg(5, 0xCFFF0160, 2, (DvWord)"126", (DvWord)"VIRARUDI");
 *   puts(text);
 *   if (text[-1] == 1) text[-1] = 0;
 *
 * Threads may hold texts at once. A thread that gives a text back while
 * others ask for texts makes the clearing store an atomic one with release
 * order (__atomic_store_n(text - 1, 0, __ATOMIC_RELEASE), a plain byte store
 * on x86), after its last read of the text.
 */
DEVAVU_API char *getmsg(uint32_t comp_id, uint32_t msg_no, uint32_t insert_count, ...);
/* The same with the inserts in an array of insert_count words. */
DEVAVU_API char *va_getmsg(uint32_t comp_id, uint32_t msg_no, uint32_t insert_count,
                           const DvWord *inserts);

/* Puts a message in front of the user: text, or, when the low 16 bits of
 * msg_no are not 0, the text of that message of qrxmsg as it is stored
 * (inserts are not substituted). Shown under the caption "Quorix": a message
 * of qrxmsg with its identifier QRXnnnn and severity in front, a given text
 * unchanged (id_no is not shown). On Linux it goes to standard error and to
 * syslog (ident Quorix, user.err) and nothing waits for the user. Always 0. */
DEVAVU_API int32_t DisplayMsg(const char *text, uint32_t msg_no, uint32_t id_no, char severity);

/* ------------------------------------------------------------------------ */
/* Configuration                                                             */
/* ------------------------------------------------------------------------ */

/* Fills the entry with the default trace library "VIRARUDI" and its entry
 * point "_LOGFACILITIESEP@8", each in its own MEMGET block. 0, or -10 when a
 * block cannot be obtained (nothing is then stored). */
DEVAVU_API int32_t ProcessCFNFileTraceEntry(TraceEntry *entry);

/* One configuration entry, a node of a section list. The node and both
 * strings are separate MEMGET blocks that the caller releases with MEMFREE. */
typedef struct CFNEntry {
  char *name;
  char *value;
  struct CFNEntry *next;  /* null at the end of the list */
} CFNEntry;

/* What ProcessCFNFileEntries delivers. Every string and node belongs to the
 * caller. Lists run in the reverse of the order the store holds them in. */
typedef struct CFNFileEntries {
  char *trace_module_name;  /* the trace library, e.g. "VIRARUDI" */
  char *trace_entry_name;   /* its entry point, e.g. "_LOGFACILITIESEP@8" */
  CFNEntry *cmmuser;        /* section "[CMMUSER]", null when empty */
  CFNEntry *provider;       /* "[PROVIDER]" */
  CFNEntry *cmmusergw;      /* "[CMMUSERGW]" */
  CFNEntry *services;       /* "[SERVICES]" */
} CFNFileEntries;

/* Result of ProcessCFNFileEntries when the configuration API refused the
 * entries with secondary code 49 (more entries than one answer holds). */
#define DV_CFG_TOO_MANY_ENTRIES (-12)

/* Fills entries from the registry (configuration value QRXRUN is "TRUE") or
 * from the configuration API: 0, -10 (DV_UNUSABLE) when the configuration
 * cannot be read, or DV_CFG_TOO_MANY_ENTRIES. Start from a zeroed record:
 * on failure some fields may be left as they were, and whatever was filled
 * in belongs to the caller all the same. */
DEVAVU_API int32_t ProcessCFNFileEntries(CFNFileEntries *entries);

/* The text of a configuration value, or null when it has none. The text
 * belongs to the common-services library: do not release it. QXGetEnv is
 * the same function under a second name. */
DEVAVU_API char *QXGetCfg(const char *name);
DEVAVU_API char *QXGetEnv(const char *name);

#ifdef __cplusplus
}
#endif

#endif /* DEVAVU_H */
