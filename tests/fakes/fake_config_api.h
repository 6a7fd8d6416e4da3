// A fake of the configuration API's request function for the unit tests:
// it records every block it is handed and answers as scripted, including
// answers the real one never gives (a count above what the block holds, a
// failing close).
#ifndef DEVAVU_TESTS_FAKES_FAKE_CONFIG_API_H_
#define DEVAVU_TESTS_FAKES_FAKE_CONFIG_API_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fakes {

struct ConfigApiCall {
  uint16_t code = 0;
  std::vector<uint8_t> block;  // as it was handed in
};

struct ConfigApiFailure {
  uint16_t primary = 0;
  int32_t secondary = 0;
};

struct ConfigApiEntry {
  std::string section;  // as written into the answer, without brackets
  std::string name;
  std::string value;
};

struct ConfigApi {
  std::vector<ConfigApiCall> calls;
  uint32_t handle = 0x00C0FFEE;
  std::map<uint16_t, ConfigApiFailure> failures;  // by request code
  std::vector<ConfigApiEntry> entries;            // at most 24 are written
  int answered_count = -1;                        // the count given; -1: entries.size()
};

// Guarded by fakes::Lock(); reset it in the test's SetUp.
ConfigApi& ConfigApiFake();

}  // namespace fakes

#endif  // DEVAVU_TESTS_FAKES_FAKE_CONFIG_API_H_
