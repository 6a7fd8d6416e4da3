// The fixture of the core's unit tests: a fresh library and fresh fakes for
// every test, and a few helpers to read what reached the trace library.
#ifndef DEVAVU_TESTS_UNIT_LIBRARY_TEST_H_
#define DEVAVU_TESTS_UNIT_LIBRARY_TEST_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devavu.h"
#include "fakes/fakes.h"
#include "platform/platform.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { fakes::ResetAll(); }
  void TearDown() override { fakes::ResetAll(); }

  // The requests of one type that the test's own thread made: a timer thread
  // started by devavu_init2 traces at times of its own.
  static std::vector<fakes::Request> Requests(uint32_t type) {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    std::vector<fakes::Request> out;
    for (const auto& r : fakes::TraceLib().requests) {
      if (r.type == type && r.thread == libdevavu::platform::CurrentThreadId()) out.push_back(r);
    }
    return out;
  }

  static void ClearRequests() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::TraceLib().requests.clear();
  }

  static size_t RequestCount() {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    size_t count = 0;
    for (const auto& r : fakes::TraceLib().requests) {
      count += r.thread == libdevavu::platform::CurrentThreadId() ? 1 : 0;
    }
    return count;
  }

  // A component anchor as a component sets it up before attaching.
  static void InitAnchor(TraceAnchor& anchor, const char* name) {
    anchor = TraceAnchor{};
    anchor.trace_flags = &anchor.local_flags;
    anchor.component_name = name;
    SetTraceHdrs(&anchor);
  }

  // Starts the library and attaches a component "APP" (and with it the
  // library's own anchor).
  void StartAndAttach() {
    ASSERT_EQ(devavu_init(), 0);
    ASSERT_EQ(devavu_init2(0), 0);
    ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
    InitAnchor(anchor_, "APP");
    ASSERT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), 0);
  }

  void DetachAndTerm() {
    UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
    devavu_term();
  }

  TraceAnchor anchor_{};
  TraceEntry entry_{};
};

#endif  // DEVAVU_TESTS_UNIT_LIBRARY_TEST_H_
