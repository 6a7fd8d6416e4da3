// Fakes of the companion libraries for the unit tests of the library's core:
// the common-services functions (counted memory with a fault switch,
// scripted module loading, configuration values) and a trace library entry
// point that records every request it gets.
#ifndef DEVAVU_TESTS_FAKES_FAKES_H_
#define DEVAVU_TESTS_FAKES_FAKES_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "devavu.h"
#include "platform/platform.h"

namespace fakes {

struct CommonServices {
  // Memory.
  std::set<void*> live;
  uint64_t memget_calls = 0;
  uint64_t fail_at = 0;         // 1-based MEMGET call that returns null; 0 = none
  int bad_frees = 0;            // MEMFREE of a block that is not live
  uint64_t memfree_calls = 0;
  uint64_t free_fail_at = 0;    // 1-based MEMFREE call that reports failure and keeps the block

  // Modules: each load and lookup is recorded; a nonzero result fails it.
  std::vector<std::string> loaded_modules;
  uint32_t load_result = 0;
  uint32_t entry_result = 0;
  std::set<std::string> missing_modules;         // fail with 126
  std::map<std::string, void*> entry_points;     // by name; the trace library's
                                                 // is always there
  // Runs after each successful load, outside the fakes' lock, as a module's
  // start-up code does.
  void (*on_load)(const char* module) = nullptr;
  // Every StartAsyncTimer delay, in order.
  std::vector<uint32_t> async_delays;

  std::map<std::string, std::string> config_values;
};

struct Request {
  uint64_t thread;  // who sent it
  uint32_t type = 0;
  std::string component;  // word 0 of attach/detach, the name of trace/error
  std::string label;
  std::string text;
  std::vector<uint8_t> data;
  const void* data_pointer = nullptr;
  DvWord length = 0;
  LogErrorRequest error{};  // as sent, pointers valid only during the call
  std::string msg_id;
};

struct TraceLibrary {
  std::vector<Request> requests;
  int32_t attach_answer = 0;
  int32_t error_answer = 0;
  uint8_t flags = QX_TRACE_ON;
  bool reply_flags = true;  // false: reply word 2 is 0
  DvWord error_id_base = 0x00100000;
  DvWord attach_word = 7;
  // Each component's flags byte, made from `flags` at its first attach and
  // never written again, as a trace library's are.
  std::map<std::string, uint8_t> flag_bytes;
};

// The fakes' state, guarded by Lock() where threads meet.
CommonServices& Services();
TraceLibrary& TraceLib();
libdevavu::platform::RecursiveLock& Lock();

// The trace library entry point that the fake MSWGetDLLEntryPointAddr hands out.
int32_t FakeLogFacilities(uint32_t type, LogRequest* request);

// Puts the fakes and the library back to the state of a fresh process.
void ResetAll();

size_t LiveBlocks();

}  // namespace fakes

#endif  // DEVAVU_TESTS_FAKES_FAKES_H_
