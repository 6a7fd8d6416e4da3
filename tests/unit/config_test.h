// The fixture of ProcessCFNFileEntries' tests over both stores: fresh fakes,
// a record to fill, and what a component does with it when done.
#ifndef DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
#define DEVAVU_TESTS_UNIT_CONFIG_TEST_H_

#include <string>
#include <vector>

#include "library_test.h"
#include "orvesvc.h"

class ConfigTest : public LibraryTest {
 protected:
  void TearDown() override {
    Release();
    ExpectNothingLeftOver();
    LibraryTest::TearDown();
  }

  static void SetValue(const std::string& name, const std::string& value) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().config_values[name] = value;
  }

  // "name=value" of each node, in list order.
  static std::vector<std::string> Entries(const CFNEntry* head) {
    std::vector<std::string> out;
    for (; head != nullptr; head = head->next) out.push_back(std::string(head->name) + "=" + head->value);
    return out;
  }

  void Release() {
    if (entries_.trace_module_name != nullptr) MEMFREE(0, entries_.trace_module_name);
    if (entries_.trace_entry_name != nullptr) MEMFREE(0, entries_.trace_entry_name);
    for (CFNEntry* head : {entries_.cmmuser, entries_.provider, entries_.cmmusergw, entries_.services}) {
      for (CFNEntry* next; head != nullptr; head = next) {
        next = head->next;
        MEMFREE(0, head->name);
        MEMFREE(0, head->value);
        MEMFREE(0, head);
      }
    }
    entries_ = CFNFileEntries{};
  }

  static void ExpectNothingLeftOver() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    EXPECT_TRUE(fakes::Services().live.empty());
    EXPECT_EQ(fakes::Services().bad_frees, 0);
  }

  // Every MEMGET failing in turn gives -10 and leaves no block behind once
  // the caller has released what it was given.
  void ExpectEveryMemgetFailureHandled() {
    for (uint64_t n = 0, blocks = 1; n <= blocks; ++n) {
      fakes::Services().fail_at = n;
      fakes::Services().memget_calls = 0;
      EXPECT_EQ(ProcessCFNFileEntries(&entries_), n == 0 ? 0 : DV_UNUSABLE) << n;
      if (n == 0) blocks = fakes::Services().memget_calls;
      Release();
      ExpectNothingLeftOver();
    }
  }

  CFNFileEntries entries_{};
};

#endif  // DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
