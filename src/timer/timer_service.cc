#include "timer/timer_service.h"

#include <new>

#include "frame/heap.h"
#include "frame/library_state.h"
#include "timer/timer_list.h"
#include "timer/timer_state.h"
#include "timer/timer_thread.h"
#include "trace/own_log.h"

namespace libdevavu::timer {

namespace {

using platform::AutoResetEvent;

constexpr uint32_t kSiteNoWakeupEvent = 0x21101;
constexpr uint32_t kSiteNoThread = 0x21102;

void FreeAllTimers() {
  TimerList& list = Timers().list;
  while (TimerCB* cb = list.head) {
    list.head = cb->next;
    FreeTimerCB(cb);
  }
  list.tail = nullptr;
}

}  // namespace

// The event lives in a heap block: no block or no event leaves
// time_signal_rc at -1.
void CreateWakeupEvent() {
  void* block = frame::HeapAlloc(sizeof(AutoResetEvent));
  AutoResetEvent* event = block != nullptr ? new (block) AutoResetEvent : nullptr;
  if (event == nullptr || !event->ok()) {
    if (event != nullptr) event->~AutoResetEvent();
    frame::HeapFree(block);
    Timers().qxtimer_sems.event = nullptr;
    Timers().time_signal_rc = -1;
    return;
  }
  Timers().qxtimer_sems.event = event;
  Timers().qxtimer_sems.wait_timeout = kNoTimeout;
  Timers().time_signal_rc = 0;
  event->Reset();
}

int StartTimerService() {
  if (Timers().time_signal_rc != 0) {
    trace::LogOwnError(kSiteNoWakeupEvent, 2, "QRX0002E",
                       trace::OwnText("%d = TimeSignalCreate(qxtimer_sem)",
                                      static_cast<int>(Timers().time_signal_rc)));
    return -1;
  }
  TimerState& timers = Timers();
  // A second start keeps the running thread and its queued timers.
  if (timers.thread != nullptr) return 0;
  timers.list = TimerList{};
  timers.next_timer_wakeup_time = 0;
  timers.thread_in_callback = 0;
  timers.callback_scan_time = 0;
  auto* control = new (std::nothrow) TimerThreadControl;
  if (control == nullptr || !control->thread.Start(&TimerThrd, control)) {
    delete control;
    trace::LogOwnError(kSiteNoThread, 12, "QRX0012E", nullptr);
    return -1;
  }
  timers.thread = control;
  return 0;
}

void StopTimerService() {
  TimerState& timers = Timers();
  if (TimerThreadControl* control = timers.thread) {
    timers.thread = nullptr;
    control->stop = true;
    if (control->thread.IsCurrent()) {
      control->orphaned = true;
    } else {
      if (AutoResetEvent* event = Timers().timer_sem()) event->Set();
      control->thread.Join();
      delete control;
    }
  }
  FreeAllTimers();
  timers.thread_in_callback = 0;
  if (AutoResetEvent* event = Timers().timer_sem()) {
    event->~AutoResetEvent();
    frame::HeapFree(event);
    Timers().qxtimer_sems.event = nullptr;
  }
}

}  // namespace libdevavu::timer
