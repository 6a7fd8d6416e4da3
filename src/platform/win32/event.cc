#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

HANDLE NativeHandle(const unsigned char* storage) {
  HANDLE handle;
  std::memcpy(&handle, storage, sizeof handle);
  return handle;
}

}  // namespace

AutoResetEvent::AutoResetEvent() {
  static_assert(sizeof(HANDLE) <= sizeof(native_));
  // Unnamed, reset by the system after it releases one waiter, not signalled.
  HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (handle == nullptr) return;
  std::memcpy(native_, &handle, sizeof handle);
  ok_ = true;
}

// The system has no fork: nothing is ever copied into a child.
void AutoResetEvent::RenewAfterFork() {}

AutoResetEvent::~AutoResetEvent() {
  if (ok_) CloseHandle(NativeHandle(native_));
}

void AutoResetEvent::Set() {
  if (ok_) SetEvent(NativeHandle(native_));
}

void AutoResetEvent::Reset() {
  if (ok_) ResetEvent(NativeHandle(native_));
}

AutoResetEvent::WaitResult AutoResetEvent::Wait(uint32_t timeout_ms) {
  if (!ok_) return WaitResult::kTimedOut;
  // kInfinite is INFINITE: the value passes through unchanged.
  return WaitForSingleObject(NativeHandle(native_), timeout_ms) == WAIT_OBJECT_0
             ? WaitResult::kSignalled
             : WaitResult::kTimedOut;
}

}  // namespace libdevavu::platform
