// The text of the records, each formatted whole into one string so that it
// can be written with one write. virarudi.h describes the forms.
#ifndef VIRARUDI_RECORD_FORMAT_H_
#define VIRARUDI_RECORD_FORMAT_H_

#include <cstdint>
#include <string>

#include "devavu.h"
#include "platform/platform.h"

namespace virarudi {

// When and by which thread a record was made.
struct RecordStamp {
  libdevavu::platform::LocalTime time;
  uint32_t millis;
  uint64_t thread_id;
};

RecordStamp StampNow();

// The request's length word carries 16 bits; higher bits are not looked at.
std::string FormatTraceRecord(const RecordStamp& stamp, const LogTraceRequest& request);
std::string FormatErrorRecord(const RecordStamp& stamp, const LogErrorRequest& request);
std::string FormatAttachRecord(const RecordStamp& stamp, const char* component,
                               uint32_t error_id_base, uint8_t flags);
std::string FormatDetachRecord(const RecordStamp& stamp, const char* component);

}  // namespace virarudi

#endif  // VIRARUDI_RECORD_FORMAT_H_
