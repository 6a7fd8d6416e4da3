// The library's own allocation routines over the runtime heap, for its
// tables. Blocks that cross components come from MEMGET instead.
#ifndef DEVAVU_FRAME_HEAP_H_
#define DEVAVU_FRAME_HEAP_H_

#include <cstddef>
#include <cstdint>

namespace libdevavu::frame {

// The size is 16 bits wide: larger requests are taken modulo 65536.
void* HeapAlloc(uint16_t size);
// A block of HeapAlloc, all zero.
void* HeapAllocZeroed(uint16_t size);
// Ignores a null block; always 0.
int HeapFree(void* block);

// The routines under HeapAlloc and HeapFree. Tests replace them to fail an
// allocation; nothing else does.
struct HeapRoutines {
  void* (*alloc)(size_t size);
  void (*release)(void* block);
};
HeapRoutines& Heap();

}  // namespace libdevavu::frame

#endif  // DEVAVU_FRAME_HEAP_H_
