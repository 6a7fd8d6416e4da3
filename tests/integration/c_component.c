/*
 * A component written in plain C against devavu.h alone. It runs the life of
 * a component and prints each result as "name=value" on standard output, for
 * the integration tests to check.
 *
 *   c_component life      init, init2, attach, trace, error, detach, term
 *   c_component attach3   init, then three attaches (the trace library may be
 *                         missing), term
 */
#include <stdio.h>
#include <string.h>

#include "devavu.h"

/* The anchor of component APP, as a component sets it up before attaching. */
static void init_anchor(TraceAnchor *anchor) {
  memset(anchor, 0, sizeof *anchor);
  anchor->trace_flags = &anchor->local_flags;
  anchor->component_name = "APP";
  SetTraceHdrs(anchor);
}

static int run_life(void) {
  TraceAnchor anchor;
  TraceEntry entry;
  static const unsigned char data[20] = "component data\x01\x02\x7e\x80\xff";
  const DvWord extras[2] = {0x1111, 0x2222};
  int rc;

  init_anchor(&anchor);
  memset(&entry, 0, sizeof entry);
  printf("init=%d\n", devavu_init());
  printf("init2=%d\n", devavu_init2(1));
  printf("entry=%d\n", (int)ProcessCFNFileTraceEntry(&entry));
  rc = (int)GetTraceErrLogAddressability("APP", &entry, &anchor);
  printf("attach=%d\n", rc);
  printf("tracing=%d\n", (*anchor.trace_flags & QX_TRACE_ON) != 0);
  if (*anchor.trace_flags & QX_TRACE_ON) {
    QXLogTrace(&anchor, anchor.func_call_label, "c_component(life)", data, sizeof data);
    QXLogTrace(&anchor, anchor.debug_info_label, "no data here", NULL, 0);
  }
  printf("error=%d\n", (int)QXLogErrMsg(&anchor, anchor.error_id_base + 0x20101, &anchor, 1, 5,
                                        0x10005, 0, "bad thing", "QRX0005E", 2, extras));
  printf("detach=%d\n", (int)UnGetTraceErrLogAddressability("APP", &entry, &anchor));
  devavu_term();
  return rc == 0 ? 0 : 1;
}

static int run_attach3(void) {
  TraceAnchor anchor;
  TraceEntry entry;
  int i;
  init_anchor(&anchor);
  printf("init=%d\n", devavu_init());
  for (i = 1; i <= 3; ++i) {
    memset(&entry, 0, sizeof entry);
    ProcessCFNFileTraceEntry(&entry);
    printf("attach%d=%d\n", i, (int)GetTraceErrLogAddressability("APP", &entry, &anchor));
    UnGetTraceErrLogAddressability("APP", &entry, &anchor);
  }
  devavu_term();
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "life") == 0) return run_life();
  if (argc == 2 && strcmp(argv[1], "attach3") == 0) return run_attach3();
  fprintf(stderr, "usage: c_component life|attach3\n");
  return 2;
}
