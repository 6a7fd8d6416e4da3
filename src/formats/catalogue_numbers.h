// Where a 32-bit message identifier lives in an X/Open message catalogue.
// The one mapping that the catalogue builder (mc2cat) and every reader of
// catalogues share: catgets never returns set 0 or message 0, so both are
// the identifier's half plus one. Every identifier has its own place, the
// Win32-style ones (high half 0) and code 0 included; glibc takes set and
// message numbers up to INT_MAX, and gencat and catgets agree on the
// catalogue's hash for all of these numbers.
#ifndef DEVAVU_FORMATS_CATALOGUE_NUMBERS_H_
#define DEVAVU_FORMATS_CATALOGUE_NUMBERS_H_

#include <cstdint>

namespace libdevavu::formats {

struct CatalogueNumbers {
  int set;      // 1 to 0x10000: (identifier >> 16) + 1
  int message;  // 1 to 0x10000: (identifier & 0xFFFF) + 1
};

constexpr CatalogueNumbers CatalogueNumbersOf(uint32_t id) {
  return {static_cast<int>(id >> 16) + 1, static_cast<int>(id & 0xFFFF) + 1};
}

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_CATALOGUE_NUMBERS_H_
