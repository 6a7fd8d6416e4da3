/*
 * hello: a small component of the product. It starts the library, attaches
 * to the trace library, traces, sets a timer whose callback lives in its own
 * library (HELLO), gets a message, and shuts down.
 */
#include <stdio.h>
#include <string.h>
#include <threads.h>
#include <time.h>

#include "devavu.h"
#include "hello_component.h"

static TraceAnchor anchor;
static TraceEntry entry;

static void sleep_ms(long ms) {
  struct timespec t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = (ms % 1000) * 1000000L;
  thrd_sleep(&t, NULL);
}

int main(void) {
  TimerRequest timer;
  char *text;
  int waited;

  if (devavu_init() != 0 || devavu_init2(0) != 0) {
    fprintf(stderr, "hello: the library did not start\n");
    return 1;
  }
  memset(&anchor, 0, sizeof anchor);
  anchor.trace_flags = &anchor.local_flags;
  anchor.component_name = "HELLO";
  SetTraceHdrs(&anchor);
  ProcessCFNFileTraceEntry(&entry);
  if (GetTraceErrLogAddressability("HELLO", &entry, &anchor) != 0) {
    fprintf(stderr, "hello: cannot attach to the trace library\n");
    return 1;
  }
  if (*anchor.trace_flags & QX_TRACE_ON)
    QXLogTrace(&anchor, anchor.func_call_label, "hello(main)", NULL, 0);

  memset(&timer, 0, sizeof timer);
  timer.corr = 1;
  timer.interval = 200;
  timer.retry_limit = 1;
  timer.dll_name = "HELLO";
  timer.entry_name = "HelloTick";
  if (QXTIMER(QXTIMER_ADD, &timer) != QXTIMER_OK) {
    fprintf(stderr, "hello: QXTIMER refused the timer\n");
    return 1;
  }
  printf("hello: timer set\n");
  for (waited = 0; !hello_done() && waited < 10000; waited += 10) sleep_ms(10);

  /* Message 512, the notice a component gives as it stops. */
  text = getmsg(6, 0xCFFF0200, 2, (DvWord) "HELLO", (DvWord)0);
  printf("hello: message 512: %s\n", text);
  if (text[-1] == 1) text[-1] = 0; /* gives the text back to the library */

  UnGetTraceErrLogAddressability("HELLO", &entry, &anchor);
  devavu_term();
  printf("hello: %d timer calls, done\n", hello_ticks());
  return hello_done() ? 0 : 1;
}
