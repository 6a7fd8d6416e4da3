#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <new>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

struct NativeEvent {
  pthread_mutex_t mutex;
  pthread_cond_t cond;
  bool signalled;
};

NativeEvent* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<NativeEvent*>(storage));
}

timespec DeadlineAfter(uint32_t timeout_ms) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  timespec deadline;
  deadline.tv_sec = now.tv_sec + static_cast<time_t>(timeout_ms / 1000);
  long nanos = now.tv_nsec + static_cast<long>(timeout_ms % 1000) * 1000000L;
  if (nanos >= 1000000000L) {
    nanos -= 1000000000L;
    deadline.tv_sec += 1;
  }
  deadline.tv_nsec = nanos;
  return deadline;
}

// Makes the event in storage; false when the system could not.
bool MakeEvent(unsigned char* storage) {
  NativeEvent* ev = new (storage) NativeEvent;
  ev->signalled = false;
  if (pthread_mutex_init(&ev->mutex, nullptr) != 0) return false;
  pthread_condattr_t attr;
  pthread_condattr_init(&attr);
  // Time-outs run on the monotonic clock, so a change of the system time
  // neither stretches nor cuts a wait.
  pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
  const bool cond_ok = pthread_cond_init(&ev->cond, &attr) == 0;
  pthread_condattr_destroy(&attr);
  if (!cond_ok) pthread_mutex_destroy(&ev->mutex);
  return cond_ok;
}

}  // namespace

AutoResetEvent::AutoResetEvent() {
  static_assert(sizeof(NativeEvent) <= sizeof(native_));
  ok_ = MakeEvent(native_);
}

void AutoResetEvent::RenewAfterFork() { ok_ = MakeEvent(native_); }

AutoResetEvent::~AutoResetEvent() {
  if (!ok_) return;
  NativeEvent* ev = Native(native_);
  pthread_cond_destroy(&ev->cond);
  pthread_mutex_destroy(&ev->mutex);
}

void AutoResetEvent::Set() {
  if (!ok_) return;
  NativeEvent* ev = Native(native_);
  pthread_mutex_lock(&ev->mutex);
  ev->signalled = true;
  pthread_cond_signal(&ev->cond);
  pthread_mutex_unlock(&ev->mutex);
}

void AutoResetEvent::Reset() {
  if (!ok_) return;
  NativeEvent* ev = Native(native_);
  pthread_mutex_lock(&ev->mutex);
  ev->signalled = false;
  pthread_mutex_unlock(&ev->mutex);
}

AutoResetEvent::WaitResult AutoResetEvent::Wait(uint32_t timeout_ms) {
  if (!ok_) return WaitResult::kTimedOut;
  NativeEvent* ev = Native(native_);
  const timespec deadline = DeadlineAfter(timeout_ms);
  pthread_mutex_lock(&ev->mutex);
  while (!ev->signalled) {
    if (timeout_ms == kInfinite) {
      pthread_cond_wait(&ev->cond, &ev->mutex);
    } else if (pthread_cond_timedwait(&ev->cond, &ev->mutex, &deadline) == ETIMEDOUT) {
      break;
    }
  }
  const bool signalled = ev->signalled;
  ev->signalled = false;
  pthread_mutex_unlock(&ev->mutex);
  return signalled ? WaitResult::kSignalled : WaitResult::kTimedOut;
}

}  // namespace libdevavu::platform
