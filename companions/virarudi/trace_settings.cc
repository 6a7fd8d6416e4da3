#include "trace_settings.h"

#include <optional>

namespace virarudi {

namespace {

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// A flags value in C integer syntax, or nothing when it is not one or does
// not fit a byte.
std::optional<uint8_t> ParseFlagsValue(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    const int digit = DigitValue(c);
    if (digit >= base) return std::nullopt;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (value > 0xFF) return std::nullopt;
  }
  return static_cast<uint8_t>(value);
}

}  // namespace

TraceSettings TraceSettings::Parse(const char* text) {
  TraceSettings settings;
  if (text == nullptr) return settings;
  std::string_view rest = text;
  if (Trim(rest).empty()) return settings;
  TraceSettings parsed;
  while (true) {
    const size_t comma = rest.find(',');
    const std::string_view item = Trim(rest.substr(0, comma));
    if (item.empty()) {
      settings.error_ = "an item between commas is empty";
      return settings;
    }
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
      settings.error_ = "item \"" + std::string(item) + "\" is not NAME=value";
      return settings;
    }
    const std::string_view name = Trim(item.substr(0, equals));
    const std::string_view value_text = Trim(item.substr(equals + 1));
    if (name.empty()) {
      settings.error_ = "item \"" + std::string(item) + "\" has no name";
      return settings;
    }
    const std::optional<uint8_t> value = ParseFlagsValue(value_text);
    if (!value) {
      settings.error_ = "value \"" + std::string(value_text) + "\" of " + std::string(name) +
                        " is not a number from 0 to 255";
      return settings;
    }
    if (name == "*") {
      parsed.default_flags_ = *value;
    } else {
      parsed.named_.emplace_back(name, *value);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return parsed;
}

uint8_t TraceSettings::FlagsFor(std::string_view component) const {
  return GivenFlagsFor(component).value_or(0);
}

std::optional<uint8_t> TraceSettings::GivenFlagsFor(std::string_view component) const {
  // The last entry of a name counts, as when a value is appended to override.
  for (auto it = named_.rbegin(); it != named_.rend(); ++it) {
    if (it->first == component) return it->second;
  }
  return default_flags_;
}

SizeLimit SizeLimit::Parse(const char* text) {
  SizeLimit limit;
  const std::string_view value = Trim(text != nullptr ? text : "");
  if (value.empty()) return limit;
  std::string_view digits = value;
  int shift = 0;
  switch (digits.back()) {
    case 'K': case 'k': shift = 10; break;
    case 'M': case 'm': shift = 20; break;
    case 'G': case 'g': shift = 30; break;
    default: break;
  }
  if (shift != 0) digits.remove_suffix(1);
  uint64_t number = 0;
  bool good = !digits.empty();
  for (const char c : digits) {
    if (c < '0' || c > '9' || number > kLargest) {
      good = false;
      break;
    }
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  if (good && number <= (kLargest >> shift) && (number << shift) >= kSmallest) {
    limit.bytes = number << shift;
  } else {
    limit.error.append("\"").append(value).append("\" is not a size from 4K to 1023G");
  }
  return limit;
}

}  // namespace virarudi
