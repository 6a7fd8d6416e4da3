/* A sample component: timer callbacks and their counters. */
#include "sample_component.h"

#include <stdatomic.h>
#include <stddef.h>

/* Callbacks run on the timer thread while other threads read the counters. */
static atomic_int calls[SAMPLE_MAX_CORR];
static atomic_int finals[SAMPLE_MAX_CORR];
static atomic_int last_remove_result;

static void count(uint32_t corr, uint32_t final) {
  if (corr >= SAMPLE_MAX_CORR) return;
  atomic_fetch_add(&calls[corr], 1);
  if (final) atomic_fetch_add(&finals[corr], 1);
}

void OnTimer(uint32_t corr, uint32_t final) { count(corr, final); }

void RemoveOwnTimer(uint32_t corr, uint32_t final) {
  TimerRequest request = {0};
  count(corr, final);
  request.corr = corr;
  atomic_store(&last_remove_result, QXTIMER(QXTIMER_REMOVE, &request));
}

void TermLibrary(uint32_t corr, uint32_t final) {
  devavu_term();
  count(corr, final); /* counted once the library is down */
}

int SampleTimerCalls(uint32_t corr) {
  return corr < SAMPLE_MAX_CORR ? atomic_load(&calls[corr]) : 0;
}

int SampleTimerFinals(uint32_t corr) {
  return corr < SAMPLE_MAX_CORR ? atomic_load(&finals[corr]) : 0;
}

int32_t SampleLastRemoveResult(void) { return atomic_load(&last_remove_result); }

void SampleReset(void) {
  size_t i;
  for (i = 0; i < SAMPLE_MAX_CORR; ++i) {
    atomic_store(&calls[i], 0);
    atomic_store(&finals[i], 0);
  }
  atomic_store(&last_remove_result, 0);
}
