// Appends records to the trace file from any thread, each with one write.
#ifndef VIRARUDI_TRACE_WRITER_H_
#define VIRARUDI_TRACE_WRITER_H_

#include <string>

#include "platform/platform.h"

namespace virarudi {

class TraceWriter {
 public:
  // Opens path for appending; null means standard error. A path that cannot
  // be opened is reported on standard error, which takes its place.
  explicit TraceWriter(const char* path);

  void Write(const std::string& record);

 private:
  libdevavu::platform::RecursiveLock lock_;
  libdevavu::platform::AppendFile file_;
};

}  // namespace virarudi

#endif  // VIRARUDI_TRACE_WRITER_H_
