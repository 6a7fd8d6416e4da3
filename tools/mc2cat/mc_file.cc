#include "mc_file.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "language_codes.h"

namespace mc2cat {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::optional<uint32_t> Number(std::string_view s, uint32_t max) {
  s = Trim(s);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : s) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > max) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::string Hex(uint32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
  return out;
}

struct Statement {
  std::string keyword;  // lower case
  std::string value;    // trimmed; a parenthesised list spans lines
  int line;
};

struct Pending {
  uint32_t code = 0;
  std::optional<uint32_t> severity;
  std::optional<uint32_t> facility;
  std::string symbolic_name;
  std::map<size_t, std::string> texts;  // by index into the declared languages
  int line = 0;
};

class Parser {
 public:
  Parser(std::string_view content, McError* error) : content_(content), error_(error) {
    severities_ = {{"Success", 0}, {"Informational", 1}, {"Warning", 2}, {"Error", 3}};
    facilities_ = {{"System", 0x0FF}, {"Application", 0xFFF}};
    declared_.push_back({"English", 0x409, LocaleOfLanguage(0x409)});
  }

  bool Run(McFile* file) {
    if (content_.substr(0, 3) == "\xEF\xBB\xBF") content_.remove_prefix(3);
    std::string_view line;
    while (NextLine(&line)) {
      const std::string_view trimmed = Trim(line);
      if (trimmed.empty() || trimmed.front() == ';') continue;
      Statement statement;
      if (!ReadStatement(line, &statement) || !Apply(statement)) return false;
    }
    return Finish() && Collect(file);
  }

 private:
  bool Fail(int line, std::string what) {
    *error_ = McError{line, std::move(what)};
    return false;
  }

  bool NextLine(std::string_view* line) {
    if (at_ >= content_.size()) return false;
    size_t end = content_.find('\n', at_);
    if (end == std::string_view::npos) end = content_.size();
    *line = content_.substr(at_, end - at_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    at_ = end + 1;
    ++line_no_;
    return true;
  }

  bool ReadStatement(std::string_view line, Statement* statement) {
    statement->line = line_no_;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      return Fail(line_no_, "expected keyword=value, found '" + std::string(Trim(line)) + "'");
    }
    statement->keyword = Lower(Trim(line.substr(0, eq)));
    std::string value(Trim(line.substr(eq + 1)));
    if (!value.empty() && value.front() == '(') {
      while (value.find(')') == std::string::npos) {
        std::string_view more;
        if (!NextLine(&more)) {
          return Fail(statement->line, "'(' of " + statement->keyword + " is never closed");
        }
        value += ' ';
        value += Trim(more);
      }
    }
    statement->value = std::move(value);
    return true;
  }

  // The name=value[:symbol] pairs of a parenthesised list.
  bool ReadList(const Statement& s, uint32_t max,
                std::vector<std::pair<std::string, std::pair<uint32_t, std::string>>>* out) {
    std::string_view v = s.value;
    const size_t close = v.find(')');
    if (v.empty() || v.front() != '(' || Trim(v.substr(close + 1)).size() != 0) {
      return Fail(s.line, s.keyword + " needs a list in parentheses");
    }
    v = v.substr(1, close - 1);
    while (!(v = Trim(v)).empty()) {
      size_t end = 0;
      while (end < v.size() && !std::isspace(static_cast<unsigned char>(v[end]))) ++end;
      const std::string_view item = v.substr(0, end);
      v.remove_prefix(end);
      const size_t eq = item.find('=');
      if (eq == 0 || eq == std::string_view::npos) {
        return Fail(s.line, "expected name=value in " + s.keyword + ", found '" +
                                std::string(item) + "'");
      }
      const std::string_view rest = item.substr(eq + 1);
      const size_t colon = rest.find(':');
      const auto number = Number(rest.substr(0, colon), max);
      if (!number) {
        return Fail(s.line, "bad value '" + std::string(rest.substr(0, colon)) + "' in " +
                                s.keyword + " (at most " + Hex(max) + ")");
      }
      std::string symbol = colon == std::string_view::npos ? "" : std::string(rest.substr(colon + 1));
      out->push_back({std::string(item.substr(0, eq)), {*number, std::move(symbol)}});
    }
    return true;
  }

  bool Apply(const Statement& s) {
    const std::string& k = s.keyword;
    if (k == "messageidtypedef" || k == "outputbase") return true;  // for C headers only
    if (k == "severitynames" || k == "facilitynames") {
      std::vector<std::pair<std::string, std::pair<uint32_t, std::string>>> items;
      if (!ReadList(s, k == "severitynames" ? 3 : 0xFFF, &items)) return false;
      auto& names = k == "severitynames" ? severities_ : facilities_;
      for (const auto& [name, value] : items) names[name] = value.first;
      return true;
    }
    if (k == "languagenames") return ApplyLanguages(s);
    if (k == "messageid") return StartMessage(s);
    if (!current_) return Fail(s.line, s.keyword + " before the first MessageId");
    if (k == "severity" || k == "facility") {
      if (!current_->texts.empty()) return Fail(s.line, k + " after the message's text");
      const auto& names = k == "severity" ? severities_ : facilities_;
      const auto it = names.find(s.value);
      if (it == names.end()) return Fail(s.line, "unknown " + k + " '" + s.value + "'");
      (k == "severity" ? current_->severity : current_->facility) = it->second;
      (k == "severity" ? last_severity_ : last_facility_) = {it->second, s.line};
      return true;
    }
    if (k == "symbolicname") {
      current_->symbolic_name = s.value;
      return true;
    }
    if (k == "language") return ReadText(s);
    return Fail(s.line, "unknown keyword '" + k + "'");
  }

  bool ApplyLanguages(const Statement& s) {
    std::vector<std::pair<std::string, std::pair<uint32_t, std::string>>> items;
    if (!ReadList(s, 0xFFFF, &items)) return false;
    for (const auto& item : items) {
      const std::string& name = item.first;
      const uint32_t value = item.second.first;
      McLanguage language{name, static_cast<uint16_t>(value),
                          LocaleOfLanguage(static_cast<uint16_t>(value))};
      const auto known = std::find_if(declared_.begin(), declared_.end(),
                                      [&](const McLanguage& l) { return l.name == name; });
      if (known != declared_.end()) *known = language;
      else declared_.push_back(language);
    }
    return true;
  }

  bool StartMessage(const Statement& s) {
    if (!Finish()) return false;
    uint32_t code;
    if (s.value.empty()) {
      code = next_code_;
    } else if (const auto n = Number(s.value, 0xFFFF)) {
      code = *n;
    } else {
      return Fail(s.line, "bad MessageId '" + s.value + "' (a number up to 0xFFFF)");
    }
    if (code > 0xFFFF) return Fail(s.line, "MessageId past 0xFFFF");
    current_ = Pending{};
    current_->code = code;
    current_->line = s.line;
    next_code_ = code + 1;
    return true;
  }

  bool ReadText(const Statement& s) {
    const auto language = std::find_if(declared_.begin(), declared_.end(),
                                       [&](const McLanguage& l) { return l.name == s.value; });
    if (language == declared_.end()) {
      return Fail(s.line, "language '" + s.value + "' is not in LanguageNames");
    }
    const size_t index = static_cast<size_t>(language - declared_.begin());
    if (current_->texts.count(index) != 0) {
      return Fail(s.line, "second text in " + s.value + " for the same message");
    }
    std::string text;
    std::string_view line;
    while (NextLine(&line)) {
      if (line == ".") {
        if (text.empty()) {
          return Fail(s.line, "empty text in " + s.value + " (a '.' right after Language=)");
        }
        current_->texts[index] = std::move(text);
        return true;
      }
      text += line;
      text += '\n';
    }
    return Fail(s.line, "text in " + s.value + " is not ended by a line holding only '.'");
  }

  bool Finish() {
    if (!current_) return true;
    Pending& p = *current_;
    const std::string name = "message " + std::to_string(p.code) +
                             (p.symbolic_name.empty() ? "" : " (" + p.symbolic_name + ")");
    if (p.texts.empty()) return Fail(p.line, name + " has no text");
    WarnUnlessStated(p.severity, "Severity", last_severity_, p.line, name);
    WarnUnlessStated(p.facility, "Facility", last_facility_, p.line, name);
    const uint32_t id = p.severity.value_or(0) << 30 | p.facility.value_or(0) << 16 | p.code;
    if (const auto [first, added] = ids_.emplace(id, p.line); !added) {
      return Fail(p.line, name + ": identifier " + Hex(id) + " again (first at line " +
                              std::to_string(first->second) + ")");
    }
    finished_.push_back(std::move(p));
    finished_ids_.push_back(id);
    current_.reset();
    return true;
  }

  struct Stated {
    uint32_t value = 0;
    int line = 0;
  };

  void WarnUnlessStated(const std::optional<uint32_t>& value, const char* keyword,
                        const Stated& last, int line, const std::string& name) {
    if (value || last.value == 0) return;
    warnings_.push_back({line, name + " states no " + keyword + ": 0 here, as windmc gives; " +
                                   "Microsoft's compiler carries over the one of line " +
                                   std::to_string(last.line)});
  }

  bool Collect(McFile* file) {
    if (finished_.empty()) return Fail(0, "no messages");
    std::vector<size_t> used;
    for (size_t i = 0; i < declared_.size(); ++i) {
      const bool in_use = std::any_of(finished_.begin(), finished_.end(),
                                      [&](const Pending& p) { return p.texts.count(i) != 0; });
      if (in_use) used.push_back(i);
    }
    McFile out;
    for (size_t i : used) out.languages.push_back(declared_[i]);
    out.warnings = std::move(warnings_);
    for (size_t m = 0; m < finished_.size(); ++m) {
      Pending& p = finished_[m];
      McMessage message{finished_ids_[m], p.symbolic_name, p.line, {}};
      for (size_t i : used) {
        const auto text = p.texts.find(i);
        if (text == p.texts.end()) message.texts.emplace_back();
        else message.texts.emplace_back(std::move(text->second));
      }
      out.messages.push_back(std::move(message));
    }
    *file = std::move(out);
    return true;
  }

  std::string_view content_;
  McError* error_;
  size_t at_ = 0;
  int line_no_ = 0;
  std::map<std::string, uint32_t> severities_;
  std::map<std::string, uint32_t> facilities_;
  std::vector<McLanguage> declared_;
  std::optional<Pending> current_;
  uint32_t next_code_ = 1;
  std::vector<Pending> finished_;
  std::vector<uint32_t> finished_ids_;
  std::map<uint32_t, int> ids_;  // to the line of the message
  Stated last_severity_;  // the last Severity statement, carried over elsewhere
  Stated last_facility_;
  std::vector<McError> warnings_;
};

}  // namespace

bool ParseMcFile(std::string_view content, McFile* file, McError* error) {
  return Parser(content, error).Run(file);
}

}  // namespace mc2cat
