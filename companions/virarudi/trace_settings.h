// The trace flags that the configuration value QRXTRACE gives each component.
#ifndef VIRARUDI_TRACE_SETTINGS_H_
#define VIRARUDI_TRACE_SETTINGS_H_

#include <cstdint>
#include <optional>
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
  // The flags the text gives component by its name or by *, if any.
  std::optional<uint8_t> GivenFlagsFor(std::string_view component) const;
  // Empty when the text was good.
  const std::string& error() const { return error_; }

 private:
  std::vector<std::pair<std::string, uint8_t>> named_;
  std::optional<uint8_t> default_flags_;
  std::string error_;
};

// The size limit of a trace file that QRXTRACEMAX gives: bytes, or with a
// K, M or G suffix (of 1024); unset or blank: 64M. A bad text gives the
// default and error saying what is wrong.
struct SizeLimit {
  static constexpr uint64_t kDefault = uint64_t{64} << 20;
  static constexpr uint64_t kSmallest = 4096;
  static constexpr uint64_t kLargest = (uint64_t{1} << 40) - 1;

  static SizeLimit Parse(const char* text);

  uint64_t bytes = kDefault;
  std::string error;
};

}  // namespace virarudi

#endif  // VIRARUDI_TRACE_SETTINGS_H_
