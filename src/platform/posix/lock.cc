#include <pthread.h>

#include <new>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {
pthread_mutex_t* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() {
  static_assert(sizeof(pthread_mutex_t) <= sizeof(native_));
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  // A recursive mutex needs no resources beyond its storage, so it cannot fail
  // here, just as a critical section cannot.
  pthread_mutex_init(new (native_) pthread_mutex_t, &attr);
  pthread_mutexattr_destroy(&attr);
}

RecursiveLock::~RecursiveLock() { pthread_mutex_destroy(Native(native_)); }

void RecursiveLock::Enter() { pthread_mutex_lock(Native(native_)); }

void RecursiveLock::Leave() { pthread_mutex_unlock(Native(native_)); }

}  // namespace libdevavu::platform
