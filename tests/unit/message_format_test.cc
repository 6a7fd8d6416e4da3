// The insert formatter, against the documented behaviour of the message
// formatter whose syntax it follows; the cases marked "checked" were run on
// the original system.
#include <gtest/gtest.h>

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
      // Checked on the original system.
      {" %%%% ", {}, " %% "},
      {" %.%. %1!d!", {0x1ab}, " .. 427"},
      {"yah%!%0   ", {}, "yah!"},
      {"% %   ", {}, "    "},
      {"%n%r%t", {}, "\n\r\t"},
      {"%1!4x!", {11}, "   b"},
      // Inserts: strings by default, at most two digits, none beyond the count.
      {"%2%1 %1!s!", {Str("a"), Str("b")}, "ba a"},
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
      // Flags, width and precision; a star takes them from the inserts before.
      {"[%1!-8s!][%1!8s!][%2!.3s!]", {Str("ab"), Str("abcdef")}, "[ab      ][      ab][abc]"},
      {"[%1!08X!]", {0xBEEF}, "[0000BEEF]"},
      {"[%1!+d!][%1! d!][%2!+d!]", {5, minus5}, "[+5][ 5][-5]"},
      {"[%1!06d!][%2!-06d!]", {static_cast<uint32_t>(-42), 42}, "[-00042][42    ]"},
      {"[%1!.4d!][%1!8.4d!][%2!.0d!]", {7, 0}, "[0007][    0007][]"},
      {"%1!.3s!", {Str(unterminated)}, "abc"},
      {"%1!*.*s! %4 %5!*s!", {4, 2, Str("Bill"), Str("Bob"), 6, Str("Bill")}, "  Bi Bob   Bill"},
      {"[%1!*d!]", {minus4, 7}, "[7   ]"},
      {"[%1!*d!]", {5}, "[]"},
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

TEST(MessageFormatEscapes, LonePercentAtTheEndIsDroppedAndReported) {
  FormatOutcome outcome{};
  EXPECT_EQ(Format("100%", {}, 256, &outcome), "100");
  EXPECT_FALSE(outcome.valid);
  EXPECT_EQ(Format("100%%", {}, 256, &outcome), "100%");
  EXPECT_TRUE(outcome.valid);
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
