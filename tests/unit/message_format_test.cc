// The insert formatter: the shared case file, and what only a C++ caller
// can pass (sizes, unterminated strings).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/message_format.h"

namespace {

uintptr_t Str(const char* s) { return reinterpret_cast<uintptr_t>(s); }

// Formats with exactly the inserts given, in an array of that size, so that
// a read past it is caught by the address sanitizer.
std::string Format(std::string_view text, const std::vector<uintptr_t>& inserts, size_t size) {
  auto exact = std::make_unique<uintptr_t[]>(inserts.size() + 1);
  std::copy(inserts.begin(), inserts.end(), exact.get());
  std::string out(size + 8, '#');
  const auto result = libdevavu::formats::FormatMessageInserts(
      text, inserts.empty() ? nullptr : exact.get(), inserts.size(), out.data(), size);
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
  std::ifstream in(MESSAGE_FORMAT_CASES);
  ASSERT_TRUE(in) << MESSAGE_FORMAT_CASES;
  size_t cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream row(line);
    std::vector<std::string> fields;
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(Unescaped(field));
    fields.resize(std::max<size_t>(fields.size(), 2));  // an empty output ends the line
    std::vector<uintptr_t> inserts;
    for (size_t i = 2; i < fields.size(); ++i) {
      const char* value = fields[i].c_str() + 1;
      inserts.push_back(fields[i][0] == '#' ? std::stoll(value, nullptr, 0) : Str(value));
    }
    EXPECT_EQ(Format(fields[0], inserts, 256), fields[1]) << line;
    ++cases;
  }
  EXPECT_GT(cases, 40u);
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
      {"%1!10d!", {1}, 6, "     "},
      {"%n%n%n", {}, 3, "\n\n"},
      {"abc", {}, 1, ""},
      {"abc", {}, 0, ""},
      {"%1!.3s!", {Str(unterminated)}, 256, "abc"},
      // Huge widths cost no more than the output.
      {"%1!99999999s!", {Str("x")}, 256, std::string(255, ' ')},
      {"%1!*s!", {0x7FFFFFFF, Str("x")}, 16, std::string(15, ' ')},
      {"%1!.*s!", {0x7FFFFFFF, Str("xyz")}, 16, "xyz"},
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
      {"%2 (code %1)", {S, S, U}},
      {"%1!d! %2!s! %3!c! %3!x!", {N, S, N}},
      {"%1!*.*u! %5", {N, N, N, U, S}},          // two stars, then the value
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
