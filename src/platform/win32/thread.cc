#include <windows.h>

#include <cstring>
#include <new>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

struct StartBlock {
  Thread::Body body;
  void* arg;
};

DWORD WINAPI Trampoline(LPVOID raw) {
  StartBlock block = *static_cast<StartBlock*>(raw);
  delete static_cast<StartBlock*>(raw);
  block.body(block.arg);
  return 0;
}

HANDLE NativeHandle(const unsigned char* storage) {
  HANDLE handle;
  std::memcpy(&handle, storage, sizeof handle);
  return handle;
}

}  // namespace

Thread::~Thread() {
  // A thread that was never joined is left to run on its own.
  if (started_) CloseHandle(NativeHandle(native_));
}

bool Thread::Start(Body body, void* arg) {
  static_assert(sizeof(HANDLE) <= sizeof(native_));
  if (started_) return false;
  auto* block = new (std::nothrow) StartBlock{body, arg};
  if (block == nullptr) return false;
  // Default security and stack size, running at once.
  HANDLE handle = CreateThread(nullptr, 0, Trampoline, block, 0, nullptr);
  if (handle == nullptr) {
    delete block;
    return false;
  }
  std::memcpy(native_, &handle, sizeof handle);
  started_ = true;
  return true;
}

void Thread::Join() {
  if (!started_) return;
  HANDLE handle = NativeHandle(native_);
  WaitForSingleObject(handle, INFINITE);
  CloseHandle(handle);
  started_ = false;
}

bool Thread::IsCurrent() const {
  return started_ && GetThreadId(NativeHandle(native_)) == GetCurrentThreadId();
}

}  // namespace libdevavu::platform
