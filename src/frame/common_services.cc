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

}  // namespace libdevavu::frame
