#include <windows.h>

#include <new>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {
CRITICAL_SECTION* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(native_));
  InitializeCriticalSection(new (native_) CRITICAL_SECTION);
}

RecursiveLock::~RecursiveLock() { DeleteCriticalSection(Native(native_)); }

void RecursiveLock::Enter() { EnterCriticalSection(Native(native_)); }

void RecursiveLock::Leave() { LeaveCriticalSection(Native(native_)); }

}  // namespace libdevavu::platform
