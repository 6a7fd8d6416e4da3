// Little-endian fields of a byte block, whatever the host's byte order: the
// configuration API's request blocks are read and written by both sides.
#ifndef DEVAVU_FORMATS_LITTLE_ENDIAN_H_
#define DEVAVU_FORMATS_LITTLE_ENDIAN_H_

#include <cstddef>
#include <cstdint>

namespace libdevavu::formats {

inline uint32_t GetLe(const uint8_t* block, size_t offset, size_t width) {
  uint32_t v = 0;
  for (size_t i = width; i-- > 0;) v = (v << 8) | block[offset + i];
  return v;
}

inline void PutLe(uint8_t* block, size_t offset, size_t width, uint32_t v) {
  for (size_t i = 0; i < width; ++i, v >>= 8) block[offset + i] = static_cast<uint8_t>(v);
}

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_LITTLE_ENDIAN_H_
