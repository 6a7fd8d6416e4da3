/* The C interface compiles as strict C99 on its own. */
#include "devavu.h"

int devavu_header_compiles_as_c99(void) {
  TraceAnchor anchor = {0};
  LogRequest request = {{0}};
  TraceEntry entry = {0};
  anchor.trace_flags = &anchor.local_flags;
  return (int)(sizeof request + sizeof entry) + (*anchor.trace_flags & QX_TRACE_ON);
}
