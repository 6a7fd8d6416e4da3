#include "cfn_file.h"

#include "formats/line_end.h"
#include "krtcapi.h"

namespace krtcapi {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Why the line cannot be taken, or "" when it can.
std::string ReadLine(std::string_view line, std::string& section, std::vector<CfnEntry>& entries) {
  if (line.find('\0') != std::string_view::npos) return "a NUL byte";
  line = Trim(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return {};
  if (line.front() == '[') {
    if (line.back() != ']') return "a section line must end with ']'";
    const std::string_view name = Trim(line.substr(1, line.size() - 2));
    if (name.empty() || name.size() >= KRTC_SECTION_SIZE) {
      return "a section name must hold 1 to " + std::to_string(KRTC_SECTION_SIZE - 1) + " bytes";
    }
    section = name;
    return {};
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return "no '=': a line must be [SECTION], name=value or a comment";
  }
  if (section.empty()) return "an entry before the first section line";
  const std::string_view name = Trim(line.substr(0, equals));
  const std::string_view value = Trim(line.substr(equals + 1));
  if (name.empty() || name.size() >= KRTC_ENTRY_NAME_SIZE) {
    return "an entry name must hold 1 to " + std::to_string(KRTC_ENTRY_NAME_SIZE - 1) + " bytes";
  }
  if (value.size() >= KRTC_VALUE_SIZE) {
    return "a value holds at most " + std::to_string(KRTC_VALUE_SIZE - 1) + " bytes";
  }
  entries.push_back({section, std::string(name), std::string(value)});
  return {};
}

}  // namespace

CfnFile ParseCfnFile(std::string_view text) {
  CfnFile file;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  std::string section;
  for (size_t number = 1;; ++number) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    line = libdevavu::formats::WithoutLineEnd(line);
    if (std::string why = ReadLine(line, section, file.entries); !why.empty()) {
      return CfnFile{{}, number, std::move(why)};
    }
    if (end == std::string_view::npos) return file;
    text.remove_prefix(end + 1);
  }
}

}  // namespace krtcapi
