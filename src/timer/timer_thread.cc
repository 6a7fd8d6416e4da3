#include "timer/timer_thread.h"

#include <cstring>

#include "frame/common_services.h"
#include "frame/library_state.h"
#include "orvesvc.h"
#include "timer/timer_clock.h"
#include "timer/timer_list.h"
#include "timer/timer_state.h"
#include "trace/own_log.h"
#include "trace/text_format.h"

namespace libdevavu::timer {

namespace {

using trace::Address;
using trace::OwnText;
using trace::OwnTraceOn;
using trace::TraceOwn;

constexpr uint32_t kDueMargin = 100;
constexpr uint32_t kSiteModuleNotLoaded = 0x21201;
constexpr uint32_t kSiteEntryNotFound = 0x21202;

// Resolves the callback by library and entry-point name: true when found,
// false after the error record.
bool ResolveCallback(TimerCB* cb) {
  const frame::ModuleEntry found = frame::LoadModuleEntry(cb->dll_name, cb->entry_name);
  cb->callback = reinterpret_cast<QxTimerCallback>(found.address);
  if (found.failure == frame::ModuleEntry::kModule) {
    trace::LogOwnError(kSiteModuleNotLoaded, 3, "QRX0003E", nullptr);
    return false;
  }
  if (found.failure == frame::ModuleEntry::kEntry) {
    trace::LogOwnError(kSiteEntryNotFound, 3, "QRX0003E", nullptr);
    return false;
  }
  return true;
}

// The callback's library may run start-up code as it loads, and that code
// may call QXTIMER on this thread (lib_lock is recursive): the entry counts as
// busy meanwhile, so that a remove of it only marks it for the scan to drop.
bool ResolveWhileBusy(TimerCB* cb) {
  cb->in_callback = 1;
  const bool resolved = ResolveCallback(cb);
  cb->in_callback = 0;
  return resolved && cb->remove_pending == 0;
}

// Once devavu_term has begun, no further callback may start.
bool Stopping(const TimerThreadControl* control) {
  return (control != nullptr && control->stop.load()) || frame::State().lib_unusable.load() != 0;
}

// Asks the common services to end the next wait when cb falls due.
void ArmWakeup(TimerCB* cb, uint32_t now, uint32_t elapsed) {
  TimerState& timers = Timers();
  const uint32_t new_delta = cb->interval - elapsed;
  const int32_t rc =
      StartAsyncTimer(new_delta, &Timers().qxtimer_sems, timers.timerserv_timer_handle);
  timers.next_timer_wakeup_time = now + new_delta;
  if (!OwnTraceOn()) return;
  uint32_t handle_low;
  static_assert(sizeof handle_low <= sizeof timers.timerserv_timer_handle);
  std::memcpy(&handle_low, timers.timerserv_timer_handle, sizeof handle_low);
  TraceOwn(&TraceAnchor::debug_info_label,
           OwnText("TimerThrd: Restarted timer - rc = %d, qxtimer_sems.timer_sem = %s, "
                   "timerserv_timer_handle = %u, corr = %s, retry_count = %d, "
                   "next_timer_wakeup_time = %lx, new_delta = %lu\n",
                   static_cast<int>(rc), Address(&Timers().qxtimer_sems).text, handle_low,
                   Address(cb->corr).text, static_cast<int>(cb->retry_count),
                   static_cast<unsigned long>(timers.next_timer_wakeup_time),
                   static_cast<unsigned long>(new_delta)));
  TraceOwn(&TraceAnchor::debug_info_label, "Timer CB", cb, sizeof *cb);
}

}  // namespace

bool ScanTimers(TimerThreadControl* control) {
  frame::LibraryState& state = frame::State();
  TimerState& timers = Timers();
  platform::RecursiveLock& lock = *state.lib_lock;
  lock.Enter();
  if (platform::AutoResetEvent* event = Timers().timer_sem()) event->Reset();
  // One reading serves the whole scan, however long its callbacks take.
  const uint32_t now = ReadTimerClock();
  if (OwnTraceOn()) {
    TraceOwn(&TraceAnchor::debug_info_label,
             OwnText("TimerThrd woken up at %lx\n", static_cast<unsigned long>(now)));
  }
  // Every entry handled here is freed or re-armed, and neither a re-armed
  // entry nor one added by a callback is due in this scan; so the scan goes
  // on from the head each time. Resuming where the entry stood would pass
  // over entries that landed before that place (after the clock stepped
  // back, entries can be inserted before older ones) and arm the wake-up for
  // a later entry than the earliest.
  while (TimerCB* cb = timers.list.head) {
    const uint32_t elapsed = now - cb->start_time;
    if (elapsed <= cb->interval - kDueMargin) {
      // The list is ordered: the first timer not due ends the scan.
      ArmWakeup(cb, now, elapsed);
      break;
    }
    if (Stopping(control)) break;
    cb->retry_count += 1;
    const uint32_t final = cb->retry_count > cb->retry_limit ? 1 : 0;
    if (cb->callback == nullptr && !ResolveWhileBusy(cb)) {
      RemoveTimerCB(cb);
      FreeTimerCB(cb);
      continue;
    }
    if (OwnTraceOn()) {
      TraceOwn(&TraceAnchor::debug_info_label,
               OwnText("TimerThrd: Calling user - pcurr_cb = %s, corr = %s, retry_count = %d",
                       Address(cb).text, Address(cb->corr).text,
                       static_cast<int>(cb->retry_count)));
      TraceOwn(&TraceAnchor::debug_info_label, "Timer CB", cb, sizeof *cb);
    }
    if (Stopping(control)) break;
    timers.callback_scan_time = now;
    timers.thread_in_callback = 1;
    cb->in_callback = 1;
    lock.Leave();
    cb->callback(cb->corr, final);
    // Shutdown during the callback has freed the list and may have torn
    // down the lock: leave without touching either.
    if (Stopping(control)) return false;
    lock.Enter();
    cb->in_callback = 0;
    timers.thread_in_callback = 0;
    RemoveTimerCB(cb);
    if (final == 0 && cb->remove_pending == 0) {
      cb->start_time = now;
      InsertTimerCB(cb, now);
    } else {
      FreeTimerCB(cb);
    }
  }
  const bool go_on = !Stopping(control);
  lock.Leave();
  return go_on;
}

void TimerThrd(void* arg) {
  auto* control = static_cast<TimerThreadControl*>(arg);
  frame::LibraryState& state = frame::State();
  {
    platform::LockHolder hold(*state.lib_lock);
    TraceOwn(&TraceAnchor::thread_start_label, "TimerThrd");
  }
  // Shutdown sets stop before it signals the event, and stop is tested
  // before every wait, so a signal swallowed by a scan's reset cannot leave
  // the thread waiting for ever.
  while (!control->stop.load()) {
    Timers().timer_sem()->Wait(Timers().qxtimer_sems.wait_timeout);
    Timers().qxtimer_sems.wait_timeout = kNoTimeout;
    if (control->stop.load() || !ScanTimers(control)) break;
  }
  if (control->orphaned.load()) delete control;
}

}  // namespace libdevavu::timer
