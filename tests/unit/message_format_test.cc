// The insert formatter, against the behaviour of the Windows message
// formatter whose syntax it follows: the shared case file, and what only a
// C++ caller can pass (sizes, numbers wider than 32 bits, unterminated
// strings).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "formats/message_format.h"

namespace {

using libdevavu::formats::FormatMessageInserts;
using libdevavu::formats::FormatOutcome;

uintptr_t Str(const char* s) { return reinterpret_cast<uintptr_t>(s); }

// Formats with exactly the inserts given, in an array of that size, so that
// a read past it is caught by the address sanitizer.
std::string Format(std::string_view text, std::vector<uintptr_t> inserts = {},
                   size_t size = 256, FormatOutcome* outcome = nullptr) {
  auto exact = std::make_unique<uintptr_t[]>(inserts.size() + 1);
  std::copy(inserts.begin(), inserts.end(), exact.get());
  std::string out(size + 8, '#');
  const FormatOutcome result =
      FormatMessageInserts(text, inserts.empty() ? nullptr : exact.get(), inserts.size(),
                           out.data(), size);
  if (outcome != nullptr) *outcome = result;
  EXPECT_EQ(out.substr(size), std::string(8, '#')) << "nothing written past size";
  if (size == 0) return out.substr(0, 0);
  EXPECT_EQ(out[result.length], '\0');
  return out.substr(0, result.length);
}

// \r \n \t \\ of the case file.
std::string Unescaped(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// The cases shared with the Windows build's test through FormatMessageA:
// tests/data/message_format_cases.txt says how a line reads.
TEST(MessageFormatCases, AsTheWindowsFormatterGivesThem) {
  std::ifstream in(MESSAGE_FORMAT_CASES);
  ASSERT_TRUE(in) << MESSAGE_FORMAT_CASES;
  size_t cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    for (size_t at = 0, tab; at <= line.size(); at = tab + 1) {
      tab = std::min(line.find('\t', at), line.size());
      fields.push_back(line.substr(at, tab - at));
    }
    ASSERT_GE(fields.size(), 2u) << line;
    std::vector<std::string> texts(fields.size());
    std::vector<uintptr_t> inserts;
    for (size_t i = 2; i < fields.size(); ++i) {
      if (fields[i][0] == '#') {
        inserts.push_back(static_cast<uintptr_t>(std::stoll(fields[i].substr(1), nullptr, 0)));
      } else {
        texts[i] = Unescaped(fields[i].substr(1));
        inserts.push_back(Str(texts[i].c_str()));
      }
    }
    FormatOutcome outcome{};
    EXPECT_EQ(Format(Unescaped(fields[0]), inserts, 256, &outcome), Unescaped(fields[1])) << line;
    const size_t kept = fields[0].find_last_not_of('%');
    const size_t percents = fields[0].size() - (kept == std::string::npos ? 0 : kept + 1);
    EXPECT_EQ(outcome.valid, percents % 2 == 0) << line << ": only a lone % at the end fails";
    ++cases;
  }
  EXPECT_GT(cases, 20u);
}

// What the shared case file cannot say: pointer-wide and null inserts,
// unterminated strings, and the forms of this formatter alone.
TEST(MessageFormat, Texts) {
  const uintptr_t wide = static_cast<uintptr_t>(UINTPTR_MAX) - 0xFFFFFFFFu + 5;
  const uintptr_t minus5 = static_cast<uint32_t>(-5), minus4 = static_cast<uint32_t>(-4);
  const char unterminated[3] = {'a', 'b', 'c'};
  std::vector<uintptr_t> ten;
  for (const char* s : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}) ten.push_back(Str(s));
  const struct {
    std::string_view text;
    std::vector<uintptr_t> inserts;
    std::string out;
  } cases[] = {
      // Inserts: strings by default, at most two digits, none beyond the count.
      {"%1 and %2 %2%1 %1!s!", {Str("a"), Str("b")}, "a and b ba a"},
      {"%10|%100|%01", ten, "ten|ten0|"},
      {"[%1][%2][%9][%99]", {Str("only")}, "[only][][][]"},
      {"[%1!d!][%1]", {}, "[][]"},
      {"%1", {0}, "(null)"},
      {"%1!d", {Str("s")}, "s!d"},
      {"%a%b%Z%-%!", {}, "abZ-!"},
      // Numbers use the low 32 bits.
      {"%1!d!", {wide}, "5"},
      {"%1!d! %1!u! %1!x! %1!X!", {0xFFFFFFFFu}, "-1 4294967295 ffffffff FFFFFFFF"},
      {"%1!ld! %1!I32d!", {0xFFFFFFFEu}, "-2 -2"},
      {"%1!hd! %1!hu! %1!hhd!", {0x1FFFFu}, "-1 65535 -1"},
      {"%1!o! %1!#o! %1!#x! %1!#X! %2!#x!", {8, 0}, "10 010 0x8 0X8 0"},
      {"%1!c!%2!c!", {'o', 0x100 + 'k'}, "ok"},
      {"%1!p! %2!p!", {0, 0xABCDEF}, "00000000 00ABCDEF"},
      // Flags, width and precision; a star takes them from the inserts.
      {"[%1!-8s!][%1!8s!][%2!.3s!]", {Str("ab"), Str("abcdef")}, "[ab      ][      ab][abc]"},
      {"[%1!08X!]", {0xBEEF}, "[0000BEEF]"},
      {"[%1!+d!][%1! d!][%2!+d!]", {5, minus5}, "[+5][ 5][-5]"},
      {"[%1!06d!][%2!-06d!]", {static_cast<uint32_t>(-42), 42}, "[-00042][42    ]"},
      {"[%1!.4d!][%1!8.4d!][%2!.0d!]", {7, 0}, "[0007][    0007][]"},
      {"%1!.3s!", {Str(unterminated)}, "abc"},
      {"[%1!*d!]", {minus4, 7}, "[7   ]"},
      {"[%1!*d!]", {5}, "[]"},
      {"[%1!*d!]", {}, "[]"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.text, c.inserts), c.out) << c.text;
}

TEST(MessageFormatInserts, UnsupportedFormsAreEmptyAndReported) {
  for (const char* text : {"[%1!f!]", "[%1!lld!]", "[%1!ls!]", "[%1!S!]", "[%1!I64d!]",
                           "[%1!n!]", "[%1!!]", "[%1!d x!]"}) {
    FormatOutcome outcome{};
    EXPECT_EQ(Format(text, {Str("x")}, 256, &outcome), "[]") << text;
    EXPECT_FALSE(outcome.valid) << text;
  }
}

TEST(MessageFormatInserts, FormWithoutClosingBangIsTheDefaultFollowedByText) {
  EXPECT_EQ(Format("%1!d", {Str("s")}), "s!d");
}

// What a caller must give each insert: a string read as a number prints an
// address, a number read as a string is followed as one.
TEST(MessageFormatInserts, UsesTellStringsFromNumbers) {
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
    SCOPED_TRACE(c.text);
    std::vector<Use> uses(c.uses.size(), S);
    libdevavu::formats::FindInsertUses(c.text, uses.data(), uses.size());
    EXPECT_EQ(uses, c.uses);
  }
}

TEST(MessageFormatLimit, OutputIsCutAtSizeMinusOneAndTerminated) {
  FormatOutcome outcome{};
  EXPECT_EQ(Format("abcdef", {}, 4, &outcome), "abc");
  EXPECT_TRUE(outcome.truncated);
  EXPECT_EQ(Format("abc", {}, 4, &outcome), "abc");
  EXPECT_FALSE(outcome.truncated);
  EXPECT_EQ(Format("%1", {Str("abcdef")}, 4), "abc");
  EXPECT_EQ(Format("%1!-10s!|", {Str("ab")}, 6), "ab   ");
  EXPECT_EQ(Format("%1!10d!", {1}, 6), "     ");
  EXPECT_EQ(Format("%n%n%n", {}, 3), "\n\n");
  EXPECT_EQ(Format("abc", {}, 1), "");
  EXPECT_EQ(Format("abc", {}, 0), "");
}

TEST(MessageFormatLimit, HugeWidthsCostNoMoreThanTheOutput) {
  FormatOutcome outcome{};
  const std::string out = Format("%1!99999999s!", {Str("x")}, 256, &outcome);
  EXPECT_EQ(out, std::string(255, ' '));
  EXPECT_TRUE(outcome.truncated);
  EXPECT_EQ(Format("%1!*s!", {0x7FFFFFFF, Str("x")}, 16), std::string(15, ' '));
  EXPECT_EQ(Format("%1!.*s!", {0x7FFFFFFF, Str("xyz")}, 16), "xyz");
}

}  // namespace
