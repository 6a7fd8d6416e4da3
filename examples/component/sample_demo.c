/* The sample component's walk through the library's services. */
#include "sample_demo.h"

#include <stdio.h>
#include <string.h>
#include <time.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <threads.h>
#endif

#include "orvesvc.h"

static TraceAnchor anchor;
static TraceEntry entry;
static char failure[256];

static int fail(const char *what, long code) {
  snprintf(failure, sizeof failure, "%s (%ld)", what, code);
  return -1;
}

/* C11's thrd_sleep; the Windows toolchain's C library lacks <threads.h>. */
static void sleep_ms(long ms) {
#if defined(_WIN32)
  Sleep((DWORD)ms);
#else
  struct timespec t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = (ms % 1000) * 1000000L;
  thrd_sleep(&t, NULL);
#endif
}

const char *SampleDemoFailure(void) { return failure; }

int SampleDemoStart(void) {
  int rc;
  uint8_t version[4] = {0};
  if ((rc = devavu_init()) != 0) return fail("devavu_init failed", rc);
  if ((rc = devavu_init2(0)) != 0) return fail("devavu_init2 failed", rc);
  devavu(0, version);
  memset(&anchor, 0, sizeof anchor);
  anchor.trace_flags = &anchor.local_flags;
  anchor.component_name = "SAMPLE";
  SetTraceHdrs(&anchor);
  if ((rc = ProcessCFNFileTraceEntry(&entry)) != 0) return fail("no trace entry", rc);
  printf("    library %d.%d.%d.%d started; trace library %s, entry point %s\n", version[0],
         version[1], version[2], version[3], entry.module_name, entry.entry_name);
  if ((rc = GetTraceErrLogAddressability("SAMPLE", &entry, &anchor)) != 0)
    return fail("GetTraceErrLogAddressability failed", rc);
  printf("    component SAMPLE attached: error identifier base 0x%08X, trace flags 0x%02X\n",
         (unsigned)anchor.error_id_base, (unsigned)*anchor.trace_flags);
  return 0;
}

int SampleDemoTrace(void) {
  static const char data[] = "a data area of the sample component";
  const DvWord extras[2] = {42, 7};
  int rc;
  if (*anchor.trace_flags & QX_TRACE_ON) {
    QXLogTrace(&anchor, anchor.func_call_label, "SampleDemoTrace()", data, sizeof data);
    QXLogTrace(&anchor, anchor.debug_info_label, "tracing is on for SAMPLE", NULL, 0);
    printf("    wrote a \"%s\" record with %u bytes of data and a \"%s\" record\n",
           anchor.func_call_label, (unsigned)sizeof data, anchor.debug_info_label);
  } else {
    printf("    tracing is off for SAMPLE: each trace point costs one test\n");
  }
  rc = QXLogErrMsg(&anchor, anchor.error_id_base + 0x20101, &anchor, 0, 2, 0x10002, 0,
                   "MEMGET(64)", "QRX0002E", 2, extras);
  if (rc != 0) return fail("QXLogErrMsg failed", rc);
  printf("    logged error QRX0002E, identifier 0x%08X, with two extra words\n",
         (unsigned)(anchor.error_id_base + 0x20101));
  return 0;
}

int SampleDemoTimer(void) {
  const uint32_t corr = 7;
  TimerRequest request;
  int shown = 0, waited, rc;
  memset(&request, 0, sizeof request);
  request.corr = corr;
  request.interval = 300;
  request.retry_limit = 2;
  request.dll_name = "SAMPLE";
  request.entry_name = "OnTimer";
  if ((rc = QXTIMER(QXTIMER_ADD, &request)) != QXTIMER_OK) return fail("QXTIMER refused", rc);
  printf("    QXTIMER(add, corr=7, interval=300 ms, retry_limit=2, SAMPLE/OnTimer) = 0\n");
  for (waited = 0; waited < 10000; waited += 10) {
    for (; shown < SampleTimerCalls(corr); ++shown)
      printf("    OnTimer(corr=7) called, call %d%s\n", shown + 1,
             shown + 1 == 3 ? " (final)" : "");
    if (SampleTimerFinals(corr) == 1 && shown == SampleTimerCalls(corr)) return 0;
    sleep_ms(10);
  }
  return fail("the timer did not make its three calls within 10 s", shown);
}

/* Message 512 of component 6, the notice a component gives as it stops,
 * with its two inserts: the component's name and a number. */
int SampleDemoMessage(void) {
  const char *c;
  char *text = getmsg(6, 0xCFFF0200, 2, (DvWord) "SAMPLE", (DvWord)0);
  printf("    getmsg(6, 0xCFFF0200, \"SAMPLE\", 0):\n      ");
  for (c = text; *c != '\0'; ++c) {
    if (*c == '\n') fputs("\n      ", stdout);
    else putchar(*c);
  }
  printf("\n    DisplayMsg shows it in a message box; on Linux a line on standard error and "
         "syslog:\n");
  fflush(stdout);
  DisplayMsg(text, 0, 512, 'I');
  if (text[-1] == 1) text[-1] = 0; /* the buffer goes back to the library's pool */
  return 0;
}

static void list_records(const SmfmtRequest *rq) {
  const SmfmtGroup *g;
  const SmfmtRecord *r;
  for (g = rq->groups; g != NULL; g = g->next) {
    printf("    group of type %u:\n", (unsigned)g->first->type);
    for (r = g->first; r != NULL; r = r->next)
      printf("      type %u, subtype %u, %u bytes of data\n", (unsigned)r->type,
             (unsigned)r->subtype, (unsigned)r->len);
  }
}

int SampleDemoRecords(void) {
  /* Records of one type stand together, so the build gives the same bytes. */
  static uint8_t stream[] = {1, 0, 0, 9, 'h', 'e', 'l', 'l', 'o',
                             1, 2, 0, 7, 'a', 'b', 'c',
                             2, 1, 0, 6, 0xCA, 0xFE};
  SmfmtRequest rq;
  int rc;
  memset(&rq, 0, sizeof rq);
  rq.op = SMFMT_PARSE;
  rq.buf = stream;
  rq.len = (int32_t)sizeof stream;
  if ((rc = QXSMFMT(&rq)) != 0) {
    if (rq.groups != NULL) {
      rq.op = SMFMT_FREE_LIST;
      QXSMFMT(&rq);
    }
    return fail("the parse failed", rc);
  }
  printf("    parsed %u bytes: seen types 0x%X\n", (unsigned)sizeof stream, (unsigned)rq.seen_types);
  list_records(&rq);
  rq.op = SMFMT_BUILD;
  rq.buf = NULL;
  if ((rc = QXSMFMT(&rq)) != 0) return fail("the build failed", rc);
  printf("    built back: %d bytes, %s the stream parsed\n", (int)rq.len,
         (rq.len == (int32_t)sizeof stream && memcmp(rq.buf, stream, sizeof stream) == 0)
             ? "the same as"
             : "NOT the same as");
  printf("    QXFormatData of the built stream:\n");
  fflush(stdout);
  QXFormatData(rq.buf, (uint16_t)rq.len);
  rq.op = SMFMT_FREE_BUFFER;
  QXSMFMT(&rq);
  rq.op = SMFMT_FREE_LIST;
  QXSMFMT(&rq);
  return 0;
}

static void print_and_release(const char *section, CFNEntry *e) {
  while (e != NULL) {
    CFNEntry *next = e->next;
    printf("      %-12s %s=%s\n", section, e->name, e->value);
    MEMFREE(0, e->name);
    MEMFREE(0, e->value);
    MEMFREE(0, e);
    e = next;
  }
}

int SampleDemoConfig(void) {
  CFNFileEntries cfg;
  int32_t rc;
  memset(&cfg, 0, sizeof cfg);
  rc = ProcessCFNFileEntries(&cfg);
  if (rc == 0) printf("    trace library %s, entry point %s\n", cfg.trace_module_name,
                      cfg.trace_entry_name);
  if (cfg.trace_module_name != NULL) MEMFREE(0, cfg.trace_module_name);
  if (cfg.trace_entry_name != NULL) MEMFREE(0, cfg.trace_entry_name);
  print_and_release("[CMMUSER]", cfg.cmmuser);
  print_and_release("[PROVIDER]", cfg.provider);
  print_and_release("[CMMUSERGW]", cfg.cmmusergw);
  print_and_release("[SERVICES]", cfg.services);
  return rc == 0 ? 0 : fail("ProcessCFNFileEntries failed", rc);
}

int SampleDemoGetCfg(void) {
  static const char *const names[] = {"QRXRUN", "QRXCONFIG", "QRX_REGISTRY"};
  size_t i;
  for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
    const char *value = QXGetCfg(names[i]);
    printf("    QXGetCfg(\"%s\") = %s\n", names[i], value != NULL ? value : "(none)");
  }
  return 0;
}

int SampleDemoStop(void) {
  UnGetTraceErrLogAddressability("SAMPLE", &entry, &anchor);
  devavu_term();
  printf("    detached, devavu_term done\n");
  return 0;
}
