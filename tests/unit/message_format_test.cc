// The insert formatter: the shared case file (on Windows through the
// system's formatter too), and what only a C++ caller can pass.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/message_format.h"
#include "platform/message_inserts.h"

namespace {

uintptr_t Str(const char* s) { return reinterpret_cast<uintptr_t>(s); }

// Formats with the inserts in an array of their exact size (a copy), so
// that a read past it is caught by the address sanitizer.
std::string Format(std::string_view text, std::vector<uintptr_t> inserts, size_t size) {
  std::string out(size + 8, '#');
  const auto result = libdevavu::formats::FormatMessageInserts(text, inserts.data(), inserts.size(),
                                                               out.data(), size);
  EXPECT_EQ(out.substr(size), std::string(8, '#')) << text << ": nothing written past size";
  if (size == 0) return "";
  EXPECT_EQ(out[result.length], '\0') << text;
  return out.substr(0, result.length);
}

// \r \n \t \\ of the case file.
std::string Unescaped(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const char c = field[i] == '\\' && i + 1 < field.size() ? field[++i] : '\0';
    out += c == '\0' ? field[i] : c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// tests/data/message_format_cases.txt says how a line reads.
TEST(MessageFormat, CaseFile) {
  struct Case {
    std::string line;
    std::vector<std::string> fields;
    std::optional<std::string> on_windows;  // where it differs; "*": not comparable
  };
  std::vector<Case> cases;
  std::ifstream in(MESSAGE_FORMAT_CASES);
  ASSERT_TRUE(in) << MESSAGE_FORMAT_CASES;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream row(line);
    std::vector<std::string> fields;
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(Unescaped(field));
    fields.resize(std::max<size_t>(fields.size(), 2));  // an empty output ends the line
    if (fields[0] == "@windows") {
      ASSERT_FALSE(cases.empty()) << line;
      cases.back().on_windows = fields[1];
      continue;
    }
    cases.push_back({line, fields, std::nullopt});
  }
  EXPECT_GT(cases.size(), 40u);
  for (const Case& c : cases) {
    std::vector<uintptr_t> inserts;
    for (size_t i = 2; i < c.fields.size(); ++i) {
      const char* value = c.fields[i].c_str() + 1;
      inserts.push_back(c.fields[i][0] == '#' ? std::stoll(value, nullptr, 0) : Str(value));
    }
    EXPECT_EQ(Format(c.fields[0], inserts, 256), c.fields[1]) << c.line;
#if defined(_WIN32)
    // The system's formatter gives the same, once its CR LF breaks read as LF.
    if (c.on_windows == "*") continue;
    std::string system(256, '\0');
    libdevavu::platform::FormatInserts(c.fields[0], inserts.data(), inserts.size(),
                                       system.data(), system.size());
    system.resize(system.find('\0'));
    for (size_t at = 0; (at = system.find("\r\n", at)) != std::string::npos; ++at) {
      system.erase(at, 1);
    }
    EXPECT_EQ(system, c.on_windows.value_or(c.fields[1])) << c.line << " (FormatMessageA)";
#endif
  }
}

TEST(MessageFormat, OutputIsCutAtSizeMinusOneAndTerminated) {
  const char unterminated[3] = {'a', 'b', 'c'};
  const struct {
    std::string_view text;
    std::vector<uintptr_t> inserts;
    size_t size;
    std::string out;
  } cases[] = {
      {"abcdef", {}, 4, "abc"},
      {"abc", {}, 4, "abc"},
      {"%1", {Str("abcdef")}, 4, "abc"},
      {"%1!-10s!|", {Str("ab")}, 6, "ab   "},
      {"%n%n%n", {}, 3, "\n\n"},
      {"abc", {}, 0, ""},
      {"%1!.3s!", {Str(unterminated)}, 256, "abc"},
      // Huge widths cost no more than the output.
      {"%1!99999999s!", {Str("x")}, 256, std::string(255, ' ')},
      {"%1!*s!", {0x7FFFFFFF, Str("x")}, 16, std::string(15, ' ')},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.text, c.inserts, c.size), c.out) << c.text;
}

// What a caller must give each insert: a string read as a number prints an
// address, a number read as a string is followed as one.
TEST(MessageFormat, InsertUsesTellStringsFromNumbers) {
  using Use = libdevavu::formats::InsertUse;
  constexpr Use S = Use::kString, N = Use::kNumber, U = Use::kUnused;
  const struct {
    const char* text;
    std::vector<Use> uses;
  } cases[] = {
      {"%1!d! %2!s! %3!c! %3!x! %5", {N, S, N, U, S}},
      {"%1!*.*u!", {N, N, N}},                  // two stars, then the value
      {"%1!*u!,%1!*u!", {N, N, N, U}},           // used again: a fresh value
      {"%1!d! and %1", {S, U}},                  // a string use wins
      {"%%1 %0 %2", {U, U}},                     // an escape, then the end
      {"%1!ld! %2!f! %3!d", {N, U, S}},          // unsupported; no closing !
  };
  for (const auto& c : cases) {
    std::vector<Use> uses(c.uses.size(), S);
    libdevavu::formats::FindInsertUses(c.text, uses.data(), uses.size());
    EXPECT_EQ(uses, c.uses) << c.text;
  }
}

}  // namespace
