/* The timer benchmark's callback library (module name TIMERSTAMP): it notes
 * when each timer's callback ran, on the monotonic clock. */
#include <stdint.h>
#include <time.h>

#define TIMERSTAMP_MAX 4096

__attribute__((visibility("default"))) int64_t timer_stamp_ns[TIMERSTAMP_MAX];

__attribute__((visibility("default"))) void StampTimer(uint32_t corr, uint32_t final) {
  struct timespec now;
  (void)final;
  if (corr >= TIMERSTAMP_MAX) return;
  clock_gettime(CLOCK_MONOTONIC, &now);
  __atomic_store_n(&timer_stamp_ns[corr], (int64_t)now.tv_sec * 1000000000 + now.tv_nsec,
                   __ATOMIC_RELEASE);
}
