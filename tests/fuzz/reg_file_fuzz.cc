// Fuzzes the registry file reader: a file either fails with a line inside it
// or gives a tree in which every value is found again by its name.
#include <cstdint>
#include <string_view>

#include "formats/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const auto contents = libdevavu::formats::ParseRegFile(content);
  if (contents.local_machine == nullptr) {
    // A UTF-16 line break holds a '\n' byte too, so this bounds both forms.
    size_t lines = 1;
    for (char c : content) lines += c == '\n';
    if (contents.error.line < 1 || contents.error.line > lines || contents.error.what.empty()) {
      __builtin_trap();
    }
    return 0;
  }
  const libdevavu::formats::RegNode& root = *contents.local_machine;
  for (const auto& value : root.values()) {
    if (root.FindValue(value.name) != &value) __builtin_trap();
  }
  return 0;
}
