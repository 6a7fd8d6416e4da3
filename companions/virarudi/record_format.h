// The text of the records, each formatted whole into one string so that it
// can be written with one write. virarudi.h describes the forms.
#ifndef VIRARUDI_RECORD_FORMAT_H_
#define VIRARUDI_RECORD_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>

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

// Room for one trace record: on the stack for the usual size, so that the
// hot record takes no allocation, on the heap beyond it.
class RecordRoom {
 public:
  char* Get(size_t size) {
    if (size <= sizeof local_) return local_;
    heap_.resize(size);
    return heap_.data();
  }

 private:
  char local_[1024];
  std::string heap_;
};

// The record lies in room. The request's length word carries 16 bits;
// higher bits are not looked at.
std::string_view FormatTraceRecord(const RecordStamp& stamp, const LogTraceRequest& request,
                                   RecordRoom& room);
std::string FormatErrorRecord(const RecordStamp& stamp, const LogErrorRequest& request);
std::string FormatAttachRecord(const RecordStamp& stamp, const char* component,
                               uint32_t error_id_base, uint8_t flags);
std::string FormatDetachRecord(const RecordStamp& stamp, const char* component);

}  // namespace virarudi

#endif  // VIRARUDI_RECORD_FORMAT_H_
