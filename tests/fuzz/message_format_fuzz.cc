// Fuzzes the insert formatter. Input: a byte with the number of inserts, a
// byte with the output size, then the message text. Every insert is a valid
// string (or null), since a text may format any insert as a string; their
// addresses serve as the numbers.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "formats/message_format.h"

namespace {

const char kLong[] =
    "a longer insert that runs past a good part of the output buffer of two hundred "
    "and fifty six bytes, so that cutting at the limit is exercised from inserts too";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t count = data[0] % 12;
  const size_t out_size = data[1];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  const char* strings[] = {"", "x", "%1%2", kLong, nullptr, "Bill"};
  // Exactly count inserts, so that reading one more is an overflow.
  auto inserts = std::make_unique<uintptr_t[]>(count + 1);
  for (size_t i = 0; i < count; ++i) {
    inserts[i] = reinterpret_cast<uintptr_t>(strings[(i + data[0] / 12) % 6]);
  }
  auto out = std::make_unique<char[]>(out_size + 1);
  out[out_size] = '\x5A';
  const auto outcome = libdevavu::formats::FormatMessageInserts(
      text, count == 0 ? nullptr : inserts.get(), count, out.get(), out_size);
  if (out[out_size] != '\x5A') __builtin_trap();
  if (out_size == 0) {
    if (outcome.length != 0) __builtin_trap();
    return 0;
  }
  if (outcome.length >= out_size || out[outcome.length] != '\0') __builtin_trap();
  return 0;
}
