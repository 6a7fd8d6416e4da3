#include "record_description.h"

#include <charconv>
#include <system_error>

namespace qrx {

namespace {

// Records hold at most this much data: the record length is 16 bits.
constexpr size_t kMaxRecordData = 65535 - 4;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// One line, read item by item.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  // Skips blanks; false at the end of the line or at a comment.
  bool More() {
    while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
    return at_ < line_.size() && line_[at_] != '#';
  }

  std::string_view Word() {
    const size_t start = at_;
    while (at_ < line_.size() && !IsBlank(line_[at_]) && line_[at_] != '#') ++at_;
    return line_.substr(start, at_ - start);
  }

  bool AtText() const { return line_[at_] == '"'; }

  // A "text" item with its escapes into out; false with the reason.
  bool Text(std::vector<uint8_t>& out, std::string* why) {
    ++at_;
    while (at_ < line_.size() && line_[at_] != '"') {
      char c = line_[at_++];
      if (c == '\\') {
        if (at_ >= line_.size()) break;
        if (!Escape(out, why)) return false;
        continue;
      }
      out.push_back(static_cast<uint8_t>(c));
    }
    if (at_ >= line_.size()) {
      *why = "text without its closing '\"'";
      return false;
    }
    ++at_;
    if (at_ < line_.size() && !IsBlank(line_[at_]) && line_[at_] != '#') {
      *why = "blank expected after the closing '\"'";
      return false;
    }
    return true;
  }

 private:
  bool Escape(std::vector<uint8_t>& out, std::string* why) {
    const char c = line_[at_++];
    switch (c) {
      case '\\': out.push_back('\\'); return true;
      case '"': out.push_back('"'); return true;
      case 'n': out.push_back('\n'); return true;
      case 'r': out.push_back('\r'); return true;
      case 't': out.push_back('\t'); return true;
      case '0': out.push_back(0); return true;
      case 'x': {
        const int high = at_ < line_.size() ? HexValue(line_[at_]) : -1;
        const int low = at_ + 1 < line_.size() ? HexValue(line_[at_ + 1]) : -1;
        if (high < 0 || low < 0) {
          *why = "\\x needs two hex digits";
          return false;
        }
        at_ += 2;
        out.push_back(static_cast<uint8_t>(high << 4 | low));
        return true;
      }
      default:
        *why = std::string("unknown escape \\") + c;
        return false;
    }
  }

  std::string_view line_;
  size_t at_ = 0;
};

bool ReadByteNumber(std::string_view word, const char* what, uint8_t* out, std::string* why) {
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  const std::string_view digits = hex ? word.substr(2) : word;
  unsigned value = 0;
  const auto [end, status] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
  if (digits.empty() || status != std::errc{} || end != digits.data() + digits.size() ||
      value > 255) {
    *why = std::string(what) + " '" + std::string(word) + "' is not a number from 0 to 255";
    return false;
  }
  *out = static_cast<uint8_t>(value);
  return true;
}

bool ReadHex(std::string_view word, std::vector<uint8_t>& out, std::string* why) {
  if (word.size() % 2 != 0) {
    *why = "odd number of hex digits in '" + std::string(word) + "'";
    return false;
  }
  for (size_t i = 0; i < word.size(); i += 2) {
    const int high = HexValue(word[i]);
    const int low = HexValue(word[i + 1]);
    if (high < 0 || low < 0) {
      *why = "'" + std::string(word) + "' is neither hex digits nor a \"text\"";
      return false;
    }
    out.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return true;
}

bool ReadData(LineReader& reader, std::vector<uint8_t>& out, std::string* why) {
  while (reader.More()) {
    if (reader.AtText()) {
      if (!reader.Text(out, why)) return false;
    } else if (!ReadHex(reader.Word(), out, why)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ReadRecordDescription(std::string_view text, RecordDescription* out,
                           DescriptionError* error) {
  int line_number = 0;
  bool raw_seen = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++line_number;
    error->line = line_number;

    LineReader reader(line);
    if (!reader.More()) continue;
    if (reader.AtText()) {
      error->what = "a line starts with a type or 'raw', not a text";
      return false;
    }
    const std::string_view first = reader.Word();
    if (first == "raw") {
      raw_seen = true;
      if (!ReadData(reader, out->raw_tail, &error->what)) return false;
      continue;
    }
    if (raw_seen) {
      error->what = "a record after raw bytes: raw bytes end the stream";
      return false;
    }
    DescribedRecord record;
    record.line = line_number;
    if (!ReadByteNumber(first, "type", &record.type, &error->what)) return false;
    if (!reader.More() || reader.AtText()) {
      error->what = "a subtype must follow the type";
      return false;
    }
    if (!ReadByteNumber(reader.Word(), "subtype", &record.subtype, &error->what)) return false;
    if (!ReadData(reader, record.data, &error->what)) return false;
    if (record.data.size() > kMaxRecordData) {
      error->what = std::to_string(record.data.size()) + " bytes of data; a record holds at most " +
                    std::to_string(kMaxRecordData);
      return false;
    }
    out->records.push_back(std::move(record));
  }
  return true;
}

}  // namespace qrx
