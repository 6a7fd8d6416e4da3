#include <pthread.h>

#include <cstring>
#include <new>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

struct StartBlock {
  Thread::Body body;
  void* arg;
};

void* Trampoline(void* raw) {
  StartBlock block = *static_cast<StartBlock*>(raw);
  delete static_cast<StartBlock*>(raw);
  block.body(block.arg);
  return nullptr;
}

pthread_t NativeId(const unsigned char* storage) {
  pthread_t id;
  std::memcpy(&id, storage, sizeof id);
  return id;
}

}  // namespace

Thread::~Thread() {
  // A thread that was never joined is left to run on its own.
  if (started_) pthread_detach(NativeId(native_));
}

bool Thread::Start(Body body, void* arg) {
  static_assert(sizeof(pthread_t) <= sizeof(native_));
  if (started_) return false;
  auto* block = new (std::nothrow) StartBlock{body, arg};
  if (block == nullptr) return false;
  pthread_t id;
  if (pthread_create(&id, nullptr, Trampoline, block) != 0) {
    delete block;
    return false;
  }
  std::memcpy(native_, &id, sizeof id);
  started_ = true;
  return true;
}

void Thread::Join() {
  if (!started_) return;
  pthread_join(NativeId(native_), nullptr);
  started_ = false;
}

bool Thread::IsCurrent() const {
  return started_ && pthread_equal(NativeId(native_), pthread_self()) != 0;
}

}  // namespace libdevavu::platform
