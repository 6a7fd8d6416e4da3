// The fixture of the configuration tests: fresh fakes, a record to fill,
// and the caller's side of the bargain: releasing what was delivered.
#ifndef DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
#define DEVAVU_TESTS_UNIT_CONFIG_TEST_H_

#include <string>
#include <vector>

#include "fakes/fake_config_api.h"
#include "library_test.h"
#include "orvesvc.h"

class ConfigTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::ConfigApiFake() = fakes::ConfigApi{};
  }

  static void SetValue(const std::string& name, const std::string& value) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().config_values[name] = value;
  }

  static fakes::ConfigApi& Api() { return fakes::ConfigApiFake(); }

  // "name=value" of each node, in list order.
  static std::vector<std::string> Entries(const CFNEntry* head) {
    std::vector<std::string> out;
    for (; head != nullptr; head = head->next) out.push_back(std::string(head->name) + "=" + head->value);
    return out;
  }

  // What a component does with the record when it is done with it.
  static void Release(CFNFileEntries& entries) {
    if (entries.trace_module_name != nullptr) MEMFREE(0, entries.trace_module_name);
    if (entries.trace_entry_name != nullptr) MEMFREE(0, entries.trace_entry_name);
    for (CFNEntry* head : {entries.cmmuser, entries.provider, entries.cmmusergw, entries.services}) {
      while (head != nullptr) {
        CFNEntry* next = head->next;
        MEMFREE(0, head->name);
        MEMFREE(0, head->value);
        MEMFREE(0, head);
        head = next;
      }
    }
    entries = CFNFileEntries{};
  }

  static uint64_t MemgetCalls() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    return fakes::Services().memget_calls;
  }

  static void FailMemget(uint64_t nth) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().fail_at = nth;
    fakes::Services().memget_calls = 0;
  }

  static void ExpectNothingLeftOver() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    EXPECT_TRUE(fakes::Services().live.empty());
    EXPECT_EQ(fakes::Services().bad_frees, 0);
  }

  CFNFileEntries entries_{};
};

#endif  // DEVAVU_TESTS_UNIT_CONFIG_TEST_H_
