// Blocks of the common services' heap, apart from the module loading, so
// that the record parse links with the memory service alone.
#include "frame/common_services.h"

#include <cstring>

namespace libdevavu::frame {

char* CopyToMemgetBlock(const char* text, size_t length) {
  auto* block = static_cast<char*>(MEMGET(0, static_cast<uint32_t>(length + 1)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, text, length);
  block[length] = '\0';
  return block;
}

void* ZeroedMemgetBlock(uint32_t size) {
  void* block = MEMGET(0, size);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

}  // namespace libdevavu::frame
