#include "formats/utf16.h"

#include <cstdint>

#include "formats/utf8.h"

namespace libdevavu::formats {

namespace {

uint32_t UnitAt(std::string_view bytes, size_t i) {
  return static_cast<uint8_t>(bytes[i]) | (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8);
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  for (size_t u = 0; u < units; ++u) {
    const uint32_t unit = UnitAt(bytes, 2 * u);
    if (IsHighSurrogate(unit) && u + 1 < units && IsLowSurrogate(UnitAt(bytes, 2 * u + 2))) {
      const uint32_t low = UnitAt(bytes, 2 * u + 2);
      AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
      ++u;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      out += '?';
    } else {
      AppendUtf8(unit, out);
    }
  }
  return out;
}

}  // namespace libdevavu::formats
