/*
 * A component written in plain C against devavu.h alone. It runs the life of
 * a component (init, init2, attach, trace, error, detach, term) and prints
 * each result as "name=value" on standard output, for the integration tests.
 */
#include <stdio.h>
#include <string.h>

#include "devavu.h"

int main(void) {
  TraceAnchor anchor;
  TraceEntry entry;
  static const unsigned char data[20] = "component data\x01\x02\x7e\x80\xff";
  const DvWord extras[2] = {0x1111, 0x2222};
  int rc;

  memset(&anchor, 0, sizeof anchor);
  anchor.trace_flags = &anchor.local_flags;
  anchor.component_name = "APP";
  SetTraceHdrs(&anchor);
  memset(&entry, 0, sizeof entry);
  printf("init=%d\n", devavu_init());
  printf("init2=%d\n", devavu_init2(1));
  printf("entry=%d\n", (int)ProcessCFNFileTraceEntry(&entry));
  rc = (int)GetTraceErrLogAddressability("APP", &entry, &anchor);
  printf("attach=%d\n", rc);
  printf("tracing=%d\n", (*anchor.trace_flags & QX_TRACE_ON) != 0);
  if (*anchor.trace_flags & QX_TRACE_ON) {
    QXLogTrace(&anchor, anchor.func_call_label, "c_component(life)", data, sizeof data);
  }
  printf("error=%d\n", (int)QXLogErrMsg(&anchor, anchor.error_id_base + 0x20101, &anchor, 1, 5,
                                        0x10005, 0, "bad thing", "QRX0005E", 2, extras));
  printf("detach=%d\n", (int)UnGetTraceErrLogAddressability("APP", &entry, &anchor));
  devavu_term();
  return rc == 0 ? 0 : 1;
}
