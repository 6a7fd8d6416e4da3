// Text forms shared by the library and the trace library: hex dump lines and
// addresses as the product's records show them.
#ifndef DEVAVU_TRACE_TEXT_FORMAT_H_
#define DEVAVU_TRACE_TEXT_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace libdevavu::trace {

inline constexpr size_t kHexLineBytes = 16;
// 4 blanks, 4 groups of 8 digits and a blank, "    < ", 16 characters, " >"
// and the newline.
inline constexpr size_t kHexLineMax = 4 + 4 * 9 + 6 + 16 + 2 + 1;

// Formats up to 16 bytes as one dump line ending in a newline, into out
// (at least kHexLineMax bytes, not terminated). Missing bytes keep their
// columns as blanks. Returns the number of characters written.
size_t FormatHexLine(const uint8_t* bytes, size_t count, char* out);

// Enough for a 64-bit address and the terminator.
inline constexpr size_t kAddressTextMax = 17;

// An address as upper-case hex, zero-padded to at least eight digits,
// without a prefix; null is "00000000". Writes a terminated text into out.
void FormatAddress(const void* address, char* out);

// The same as a value, for one use in a formatted text.
struct AddressText {
  char text[kAddressTextMax];
};
AddressText Address(const void* address);
inline AddressText Address(uintptr_t value) {
  return Address(reinterpret_cast<const void*>(value));
}

}  // namespace libdevavu::trace

#endif  // DEVAVU_TRACE_TEXT_FORMAT_H_
