// The trace flags that the configuration value QRXTRACE gives each component.
#ifndef VIRARUDI_TRACE_SETTINGS_H_
#define VIRARUDI_TRACE_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace virarudi {

class TraceSettings {
 public:
  // Parses a QRXTRACE text; null or blank means unset. A bad text leaves
  // every component at 0 and error() saying what is wrong.
  static TraceSettings Parse(const char* text);

  uint8_t FlagsFor(std::string_view component) const;
  // Empty when the text was good.
  const std::string& error() const { return error_; }

 private:
  std::vector<std::pair<std::string, uint8_t>> named_;
  uint8_t default_flags_ = 0;
  std::string error_;
};

}  // namespace virarudi

#endif  // VIRARUDI_TRACE_SETTINGS_H_
