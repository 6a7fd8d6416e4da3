// Fuzzes the insert formatter. Input: a byte with the number of inserts, a
// byte with the output size, then the message text. Every insert is a valid
// string (or null), since a text may format any insert as a string; their
// addresses serve as the numbers.
#include <cstdint>
#include <memory>
#include <string_view>

#include "formats/message_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t count = data[0] % 12;
  const size_t out_size = data[1];
  const char* strings[] = {"", "x", "%1%2", nullptr, "Bill",
                           "a longer insert that runs past a good part of the output buffer of "
                           "two hundred and fifty six bytes, so inserts are cut at the limit too"};
  // Exactly count inserts, so that reading one more is an overflow.
  auto inserts = std::make_unique<uintptr_t[]>(count + 1);
  for (size_t i = 0; i < count; ++i) {
    inserts[i] = reinterpret_cast<uintptr_t>(strings[(i + data[0] / 12) % 6]);
  }
  auto out = std::make_unique<char[]>(out_size + 1);
  out[out_size] = '\x5A';
  const auto outcome = libdevavu::formats::FormatMessageInserts(
      std::string_view(reinterpret_cast<const char*>(data + 2), size - 2),
      count == 0 ? nullptr : inserts.get(), count, out.get(), out_size);
  const bool within = out_size == 0 ? outcome.length == 0
                                    : outcome.length < out_size && out[outcome.length] == '\0';
  if (out[out_size] != '\x5A' || !within) __builtin_trap();
  return 0;
}
