#include "hello_component.h"

#include <stdio.h>

/* Written on the timer thread, read by main: kept to plain atomic builtins
 * so the example builds with any C compiler of the platform. */
static int ticks;
static int done;

void HelloTick(uint32_t corr, uint32_t final) {
  printf("  HelloTick(corr=%u, final=%u)\n", (unsigned)corr, (unsigned)final);
  fflush(stdout);
  __atomic_add_fetch(&ticks, 1, __ATOMIC_SEQ_CST);
  if (final) __atomic_store_n(&done, 1, __ATOMIC_SEQ_CST);
}

int hello_ticks(void) { return __atomic_load_n(&ticks, __ATOMIC_SEQ_CST); }
int hello_done(void) { return __atomic_load_n(&done, __ATOMIC_SEQ_CST); }
