// Fuzzes the configuration file reader: a file either fails with a line
// inside it and no entries, or gives entries whose texts fit the fields of
// the configuration API's answer with their terminators.
#include <cstdint>
#include <string_view>

#include "cfn_file.h"
#include "krtcapi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const krtcapi::CfnFile file = krtcapi::ParseCfnFile(content);
  if (file.error_line != 0) {
    size_t lines = 1;
    for (char c : content) lines += c == '\n';
    if (file.error_line > lines || file.error.empty() || !file.entries.empty()) __builtin_trap();
    return 0;
  }
  for (const auto& entry : file.entries) {
    if (entry.section.empty() || entry.section.size() >= KRTC_SECTION_SIZE) __builtin_trap();
    if (entry.name.empty() || entry.name.size() >= KRTC_ENTRY_NAME_SIZE) __builtin_trap();
    if (entry.value.size() >= KRTC_VALUE_SIZE) __builtin_trap();
    for (const std::string_view text : {entry.section, entry.name, entry.value}) {
      if (text.find('\0') != std::string_view::npos) __builtin_trap();
    }
  }
  return 0;
}
