// MEMGET and MEMFREE over the C heap, with the counters that tests read.
#include <atomic>
#include <cstdlib>

#include "orvesvc.h"

namespace {

std::atomic<int64_t> live_blocks{0};
std::atomic<uint64_t> memget_calls{0};
// The call number (counted from 1) that fails; 0 = none.
std::atomic<uint64_t> fail_at{0};

}  // namespace

extern "C" {

ORVESVC_API void* MEMGET(uint32_t flags, uint32_t size) {
  const uint64_t call = memget_calls.fetch_add(1) + 1;
  if (flags != 0) return nullptr;
  uint64_t expected = call;
  if (fail_at.compare_exchange_strong(expected, 0)) return nullptr;
  void* block = std::malloc(size != 0 ? size : 1);
  if (block != nullptr) live_blocks.fetch_add(1);
  return block;
}

ORVESVC_API uint16_t MEMFREE(uint32_t flags, void* block) {
  if (flags != 0 || block == nullptr) return 1;
  std::free(block);
  live_blocks.fetch_sub(1);
  return 0;
}

ORVESVC_API int64_t OrvMemLiveBlocks(void) { return live_blocks.load(); }

ORVESVC_API void OrvMemFailNth(uint32_t nth) {
  fail_at.store(nth == 0 ? 0 : memget_calls.load() + nth);
}

ORVESVC_API uint64_t OrvMemGetCalls(void) { return memget_calls.load(); }

}  // extern "C"
