// The fixture of ProcessCFNFileEntries' tests over both stores: fresh fakes,
// a record to fill, and what a component does with it when done.
#ifndef DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
#define DEVAVU_TESTS_UNIT_CONFIG_TEST_H_

#include <string>

#include "config/sections.h"
#include "library_test.h"
#include "orvesvc.h"

class ConfigTest : public LibraryTest {
 protected:
  void TearDown() override {
    Release();
    LibraryTest::TearDown();
  }

  static void SetValue(const std::string& name, const std::string& value) {
    fakes::Services().config_values[name] = value;
  }

  // "name=value," of each entry in list order, and "|" after each section.
  std::string Entries() const {
    std::string out;
    for (const auto& section : libdevavu::config::kSections) {
      for (const CFNEntry* e = entries_.*section.list; e != nullptr; e = e->next) {
        out += std::string(e->name) + "=" + e->value + ",";
      }
      out += "|";
    }
    return out;
  }

  // Frees what the record holds, as a component does; no block may be left.
  void Release() {
    if (entries_.trace_module_name != nullptr) MEMFREE(0, entries_.trace_module_name);
    if (entries_.trace_entry_name != nullptr) MEMFREE(0, entries_.trace_entry_name);
    for (const auto& section : libdevavu::config::kSections) {
      for (CFNEntry *node = entries_.*section.list, *next; node != nullptr; node = next) {
        next = node->next;
        MEMFREE(0, node->name);
        MEMFREE(0, node->value);
        MEMFREE(0, node);
      }
    }
    entries_ = CFNFileEntries{};
    EXPECT_TRUE(fakes::Services().live.empty());
    EXPECT_EQ(fakes::Services().bad_frees, 0);
  }

  // Every MEMGET failing in turn gives -10.
  void ExpectEveryMemgetFailureHandled() {
    for (uint64_t n = 0, blocks = 1; n <= blocks; ++n) {
      fakes::Services().fail_at = n;
      fakes::Services().memget_calls = 0;
      EXPECT_EQ(ProcessCFNFileEntries(&entries_), n == 0 ? 0 : DV_UNUSABLE) << n;
      if (n == 0) blocks = fakes::Services().memget_calls;
      Release();
    }
  }

  CFNFileEntries entries_{};
};

#endif  // DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
