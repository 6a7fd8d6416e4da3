// The text form from which qrx records --build makes a stream: one record a
// line, "TYPE SUBTYPE DATA...", then optional "raw DATA..." lines whose bytes
// end the stream as they are. DATA items are hex digits in pairs or "text"
// with C escapes; "#" starts a comment.
#ifndef QRX_RECORD_DESCRIPTION_H_
#define QRX_RECORD_DESCRIPTION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qrx {

struct DescribedRecord {
  uint8_t type = 0;
  uint8_t subtype = 0;
  std::vector<uint8_t> data;
  int line = 0;
};

struct RecordDescription {
  std::vector<DescribedRecord> records;
  std::vector<uint8_t> raw_tail;
};

struct DescriptionError {
  int line = 0;
  std::string what;
};

// Reads the whole text; false with the first error.
bool ReadRecordDescription(std::string_view text, RecordDescription* out,
                           DescriptionError* error);

}  // namespace qrx

#endif  // QRX_RECORD_DESCRIPTION_H_
