#include "frame/heap.h"

#include <cstdlib>

namespace libdevavu::frame {

HeapRoutines& Heap() {
  static HeapRoutines routines{&std::malloc, &std::free};
  return routines;
}

void* HeapAlloc(uint16_t size) { return Heap().alloc(size); }

int HeapFree(void* block) {
  if (block != nullptr) Heap().release(block);
  return 0;
}

}  // namespace libdevavu::frame
