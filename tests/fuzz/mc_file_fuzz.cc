// Fuzzes the .mc reader and the gencat source written from what it reads:
// a read either fails with a line inside the file or gives sources in which
// every message is one line.
#include <cstdint>
#include <string>
#include <string_view>

#include "gencat_source.h"
#include "mc_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  mc2cat::McFile file;
  mc2cat::McError error{};
  if (!mc2cat::ParseMcFile(content, &file, &error)) {
    size_t lines = 1;
    for (char c : content) lines += c == '\n';
    if (error.line < 0 || static_cast<size_t>(error.line) > lines || error.what.empty()) {
      __builtin_trap();
    }
    return 0;
  }
  for (size_t language = 0; language < file.languages.size(); ++language) {
    std::string source;
    mc2cat::WriteGencatSource(file, language, "fuzz.mc", &source);
    size_t lines = 0, texts = 0;
    for (char c : source) lines += c == '\n';
    for (const auto& m : file.messages) texts += m.texts[language].has_value();
    // A comment line, at most one $set line per text, one line per text.
    if (texts == 0 || lines < 1 + texts || lines > 1 + 2 * texts) {
      __builtin_trap();
    }
  }
  return 0;
}
