#include "trace/text_format.h"

#include <array>
#include <cstring>

namespace libdevavu::trace {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool Printable(uint8_t byte) { return byte >= 0x20 && byte <= 0x7D; }
}  // namespace

size_t FormatHexLine(const uint8_t* bytes, size_t count, char* out) {
  // The two digits of every byte value, so that a line is a few copies: the
  // trace library dumps data of every enabled record.
  static constexpr auto kPairs = [] {
    std::array<char, 512> pairs{};
    for (size_t value = 0; value < 256; ++value) {
      pairs[value * 2] = kHexDigits[value >> 4];
      pairs[value * 2 + 1] = kHexDigits[value & 0x0F];
    }
    return pairs;
  }();
  if (count > kHexLineBytes) count = kHexLineBytes;
  char* p = out;
  std::memset(p, ' ', kHexLineMax);
  p += 4;
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(p + i * 2 + i / 4, &kPairs[bytes[i] * 2], 2);
  }
  p += 4 * 9;
  std::memcpy(p, "    < ", 6);
  p += 6;
  for (size_t i = 0; i < count; ++i) p[i] = Printable(bytes[i]) ? static_cast<char>(bytes[i]) : '.';
  p += count;
  *p++ = ' ';
  *p++ = '>';
  *p++ = '\n';
  return static_cast<size_t>(p - out);
}

void FormatAddress(const void* address, char* out) {
  uintptr_t value = reinterpret_cast<uintptr_t>(address);
  char digits[kAddressTextMax];
  size_t n = 0;
  do {
    digits[n++] = kHexDigits[value & 0x0F];
    value >>= 4;
  } while (value != 0);
  while (n < 8) digits[n++] = '0';
  for (size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  out[n] = '\0';
}

AddressText Address(const void* address) {
  AddressText out;
  FormatAddress(address, out.text);
  return out;
}

}  // namespace libdevavu::trace
