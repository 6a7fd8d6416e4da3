#include "formats/reg_file.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "formats/utf16.h"
#include "formats/windows_1252.h"
#include "platform/registry.h"

namespace libdevavu::formats {

namespace {

using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegMultiSz;
using platform::kRegSz;

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kOtherRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                            "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

struct ParseError {
  size_t line;
  std::string what;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// True and the prefix removed when s starts with it, in any case.
bool TakePrefix(std::string_view& s, std::string_view prefix) {
  if (s.size() < prefix.size() || !SameRegName(s.substr(0, prefix.size()), prefix)) return false;
  s.remove_prefix(prefix.size());
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to max_digits hex digits and nothing else.
bool ParseHex(std::string_view digits, size_t max_digits, uint32_t* value) {
  if (digits.empty() || digits.size() > max_digits) return false;
  uint32_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

std::vector<uint8_t> StringData(std::string_view text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

// The text's lines without their CR LF or LF, numbered from 1.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}

  bool Next(std::string_view* line) {
    // A final line break ends the last line; it does not start another.
    if (done_ || (rest_.empty() && number_ > 0)) return false;
    ++number_;
    const size_t end = rest_.find('\n');
    *line = rest_.substr(0, end);
    if (end == std::string_view::npos) {
      done_ = true;
    } else {
      rest_.remove_prefix(end + 1);
    }
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    return true;
  }

  size_t number() const { return number_; }

 private:
  std::string_view rest_;
  size_t number_ = 0;
  bool done_ = false;
};

class Parser {
 public:
  // ansi: the file was in the ANSI code page, and string data given as hex
  // still is.
  Parser(std::string_view text, bool ansi) : lines_(text), ansi_(ansi) {}

  std::unique_ptr<RegNode> Run() {
    Header();
    std::string_view line;
    while (lines_.Next(&line)) {
      line = Trim(line);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        KeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ValueLine(line);
      } else {
        Fail("a key line, a value line or a comment was expected");
      }
    }
    return std::move(root_);
  }

 private:
  // Where value lines go: nowhere yet, nowhere on purpose (another root
  // key, a deleted key), or into key_.
  enum class Target { kNone, kPassedOver, kKey };

  [[noreturn]] void Fail(std::string what) const { throw ParseError{lines_.number(), std::move(what)}; }

  void Header() {
    std::string_view line;
    lines_.Next(&line);
    if (line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    line = TrimRight(line);
    if (line == kVersion5Header) {
      version5_ = true;
    } else if (line != kVersion4Header) {
      Fail("the first line must be \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
    }
  }

  void KeyLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') Fail("a key line must end with ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);

    std::vector<std::string_view> names;
    for (size_t sep; (sep = path.find('\\')) != std::string_view::npos;) {
      names.push_back(path.substr(0, sep));
      path.remove_prefix(sep + 1);
    }
    names.push_back(path);

    if (!SameRegName(names.front(), kLocalMachine)) {
      for (std::string_view other : kOtherRoots) {
        if (SameRegName(names.front(), other)) {
          target_ = Target::kPassedOver;
          return;
        }
      }
      Fail("unknown root key \"" + std::string(names.front()) + "\"");
    }
    for (size_t i = 1; i < names.size(); ++i) {
      if (names[i].empty()) Fail("a key path holds an empty name");
    }
    if (remove) {
      if (names.size() == 1) Fail("a root key cannot be deleted");
      RemoveKey(names);
      target_ = Target::kPassedOver;
      return;
    }
    RegNode* node = root_.get();
    for (size_t i = 1; i < names.size(); ++i) node = &node->Child(names[i]);
    key_ = node;
    target_ = Target::kKey;
  }

  void RemoveKey(const std::vector<std::string_view>& names) {
    RegNode* parent = root_.get();
    for (size_t i = 1; i + 1 < names.size() && parent != nullptr; ++i) {
      parent = parent->FindChild(names[i]);
    }
    if (parent != nullptr) parent->RemoveChild(names.back());
  }

  void ValueLine(std::string_view line) {
    RegValue value;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      value.name = QuotedString(line);
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') Fail("'=' must follow the value name");
    line = Trim(line.substr(1));
    if (target_ == Target::kNone) Fail("a value line before the first key line");

    const bool remove = line == "-";
    if (!remove) ValueData(line, value);
    if (target_ != Target::kKey) return;
    if (remove) {
      key_->RemoveValue(value.name);
    } else {
      key_->SetValue(std::move(value));
    }
  }

  void ValueData(std::string_view data, RegValue& value) {
    if (!data.empty() && data.front() == '"') {
      const std::string text = QuotedString(data);
      if (!Trim(data).empty()) Fail("text after the closing quote");
      value.type = kRegSz;
      value.data = StringData(text);
    } else if (TakePrefix(data, "dword:")) {
      uint32_t number = 0;
      if (!ParseHex(data, 8, &number)) Fail("dword: takes 1 to 8 hex digits");
      value.type = kRegDword;
      value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                    static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    } else if (TakePrefix(data, "hex")) {
      value.type = HexType(data);
      value.data = HexBytes(data);
      if ((version5_ || ansi_) && (value.type == kRegSz || value.type == kRegExpandSz ||
                                   value.type == kRegMultiSz)) {
        const std::string_view bytes(reinterpret_cast<const char*>(value.data.data()),
                                     value.data.size());
        const std::string narrow = version5_ ? Utf16LeToUtf8(bytes) : Windows1252ToUtf8(bytes);
        value.data.assign(narrow.begin(), narrow.end());
      }
    } else {
      Fail("value data must be a \"string\", dword:, hex: or hex(N):");
    }
  }

  // After "hex": "(N):" or ":"; leaves data after the colon.
  uint32_t HexType(std::string_view& data) {
    uint32_t type = kRegBinary;
    if (!data.empty() && data.front() == '(') {
      const size_t close = data.find(')');
      if (close == std::string_view::npos || !ParseHex(data.substr(1, close - 1), 8, &type)) {
        Fail("hex( takes 1 to 8 hex digits and ')'");
      }
      data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != ':') Fail("':' must follow hex or hex(N)");
    data.remove_prefix(1);
    return type;
  }

  // Comma-separated bytes, continued on the next line after a final '\'.
  std::vector<uint8_t> HexBytes(std::string_view data) {
    std::vector<uint8_t> bytes;
    for (;;) {
      data = Trim(data);
      const bool continued = !data.empty() && data.back() == '\\';
      if (continued) data.remove_suffix(1);
      while (!data.empty()) {
        const size_t comma = data.find(',');
        uint32_t byte = 0;
        if (!ParseHex(Trim(data.substr(0, comma)), 2, &byte)) {
          Fail("hex data must be bytes of 1 or 2 hex digits separated by commas");
        }
        bytes.push_back(static_cast<uint8_t>(byte));
        data = comma == std::string_view::npos ? std::string_view() : data.substr(comma + 1);
      }
      if (!continued) return bytes;
      if (!lines_.Next(&data)) Fail("the file ends inside continued hex data");
    }
  }

  // A "quoted" text with its escapes; leaves s after the closing quote.
  std::string QuotedString(std::string_view& s) {
    std::string text;
    for (size_t i = 1; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return text;
      }
      if (c != '\\') {
        text += c;
        continue;
      }
      if (++i == s.size()) break;
      switch (s[i]) {
        case '\\': text += '\\'; break;
        case '"': text += '"'; break;
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        default: Fail(std::string("unknown escape \\") + s[i]);
      }
    }
    Fail("a quoted text has no closing quote");
  }

  Lines lines_;
  const bool ansi_;
  bool version5_ = false;
  std::unique_ptr<RegNode> root_ = std::make_unique<RegNode>(std::string(kLocalMachine));
  Target target_ = Target::kNone;
  RegNode* key_ = nullptr;
};

}  // namespace

RegFileContents ParseRegFile(std::string_view bytes) {
  if (bytes.starts_with(kUtf16BeBom)) {
    return {nullptr, {1, "UTF-16 big-endian files are not read; save as UTF-16LE or ANSI"}};
  }
  std::string converted;
  // A REGEDIT4 file is in the ANSI code page (unless a byte-order mark says
  // UTF-8): its names and strings are handed out as UTF-8, as those of a
  // version 5 file are.
  const bool ansi = bytes.starts_with(kVersion4Header);
  if (bytes.starts_with(kUtf16LeBom)) {
    converted = Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()));
    bytes = converted;
  } else if (ansi) {
    converted = Windows1252ToUtf8(bytes);
    bytes = converted;
  }
  try {
    return {Parser(bytes, ansi).Run(), {}};
  } catch (const ParseError& e) {
    return {nullptr, {e.line, e.what}};
  }
}

}  // namespace libdevavu::formats
