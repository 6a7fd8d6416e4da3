#include "frame/heap.h"

#include <cstdlib>
#include <cstring>

namespace libdevavu::frame {

HeapRoutines& Heap() {
  static HeapRoutines routines{&std::malloc, &std::free};
  return routines;
}

void* HeapAlloc(uint16_t size) { return Heap().alloc(size); }

void* HeapAllocZeroed(uint16_t size) {
  void* block = HeapAlloc(size);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

int HeapFree(void* block) {
  if (block != nullptr) Heap().release(block);
  return 0;
}

}  // namespace libdevavu::frame
