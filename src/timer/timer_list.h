// The timer control block and the timer list, ordered by expiry. Everything
// here runs with lib_lock held.
#ifndef DEVAVU_TIMER_TIMER_LIST_H_
#define DEVAVU_TIMER_TIMER_LIST_H_

#include <cstdint>

#include "devavu.h"

namespace libdevavu::timer {

// One queued timer, in a MEMGET block with its two name copies.
struct TimerCB {
  uint32_t start_time;  // clock value at which the current interval began
  uint32_t interval;    // 100 to 65535000 ms
  uint16_t retry_limit;
  uint16_t in_callback;     // 1 while its callback runs
  uint16_t remove_pending;  // 1 when removed while its callback ran
  uint32_t corr;
  char* dll_name;
  char* entry_name;
  QxTimerCallback callback;  // resolved at the first expiry
  uint32_t retry_count;      // expiries so far
  TimerCB* prev;
  TimerCB* next;
};

inline uint32_t Expiry(const TimerCB& cb) { return cb.start_time + cb.interval; }

// The list header; traces dump it as these two pointers.
struct TimerList {
  TimerCB* head;
  TimerCB* tail;
};

// Links cb (both links empty) in by its expiry, after every queued timer with
// the same expiry. now is the value just stored in cb->start_time.
void InsertTimerCB(TimerCB* cb, uint32_t now);
// Unlinks cb and empties its links; frees nothing.
void RemoveTimerCB(TimerCB* cb);
// Gives the block and its names back to MEMFREE: dll_name, entry_name, cb.
void FreeTimerCB(TimerCB* cb);

}  // namespace libdevavu::timer

#endif  // DEVAVU_TIMER_TIMER_LIST_H_
