// Inserts through the platform's formatter: the portable one on Linux, the
// system's FormatMessageA on Windows (the wine build runs this file too).
// Where the two differ, the case gives the system's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_inserts.h"

namespace {

uintptr_t Str(const char* s) { return reinterpret_cast<uintptr_t>(s); }

TEST(MessageInsertsAcrossPlatforms, EachCaseGivesItsText) {
  const struct {
    const char* text;
    std::vector<uintptr_t> inserts;
    size_t size;
    const char* expected;
    const char* on_windows;  // null: the same as expected
  } cases[] = {
      {"%2 before %1", {Str("a"), Str("b")}, 256, "b before a", nullptr},
      {"%1!d! items, %2!u!", {42, 7}, 256, "42 items, 7", nullptr},
      {"[%1!x!] [%1!08X!] [%1!-4d!]", {255}, 256, "[ff] [000000FF] [255 ]", nullptr},
      {"100%% sure%. %! % x", {}, 256, "100% sure. !  x", nullptr},
      {"cut%0 here", {}, 256, "cut", nullptr},
      {"null: %1", {0}, 256, "null: (null)", nullptr},
      // A line break is CR LF on Windows; the system formatter reads an
      // insert beyond the count as a cleared slot, and leaves the area as it
      // was when the text does not fit.
      {"one%ntwo", {}, 256, "one\ntwo", "one\r\ntwo"},
      {"[%2]", {Str("only one")}, 256, "[]", "[(null)]"},
      {"%1", {Str("0123456789")}, 6, "01234", ""},
  };
  for (const auto& c : cases) {
    // A cleared area, as the library gives the formatter, and a guard past it.
    std::string out = std::string(c.size, '\0') + std::string(8, '#');
    libdevavu::platform::FormatInserts(c.text, c.inserts.data(), c.inserts.size(), out.data(),
                                       c.size);
    EXPECT_EQ(out.substr(c.size), std::string(8, '#')) << c.text << ": nothing past size";
#if defined(_WIN32)
    const char* expected = c.on_windows != nullptr ? c.on_windows : c.expected;
#else
    const char* expected = c.expected;
#endif
    EXPECT_EQ(out.substr(0, out.find('\0')), expected) << c.text;
  }
}

}  // namespace
