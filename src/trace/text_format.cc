#include "trace/text_format.h"

#include <cstring>

namespace libdevavu::trace {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool Printable(uint8_t byte) { return byte >= 0x20 && byte <= 0x7D; }
}  // namespace

size_t FormatHexLine(const uint8_t* bytes, size_t count, char* out) {
  if (count > kHexLineBytes) count = kHexLineBytes;
  char* p = out;
  std::memset(p, ' ', 4);
  p += 4;
  for (size_t group = 0; group < 4; ++group) {
    for (size_t i = group * 4; i < group * 4 + 4; ++i) {
      if (i < count) {
        *p++ = kHexDigits[bytes[i] >> 4];
        *p++ = kHexDigits[bytes[i] & 0x0F];
      } else {
        *p++ = ' ';
        *p++ = ' ';
      }
    }
    *p++ = ' ';
  }
  std::memcpy(p, "    < ", 6);
  p += 6;
  for (size_t i = 0; i < count; ++i) *p++ = Printable(bytes[i]) ? static_cast<char>(bytes[i]) : '.';
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
