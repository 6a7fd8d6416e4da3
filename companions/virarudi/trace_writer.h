// Appends records to the trace file from any thread and process, each whole.
#ifndef VIRARUDI_TRACE_WRITER_H_
#define VIRARUDI_TRACE_WRITER_H_

#include <cstdint>
#include <memory>
#include <string_view>

#include "mapped_trace_file.h"
#include "platform/platform.h"

namespace virarudi {

class TraceWriter {
 public:
  // Opens path for appending, limited to limit bytes; null means standard
  // error. A regular file is shared through a mapping; anything else (a
  // device, a pipe) takes one write per record and has no limit. A path
  // that cannot be opened or shared is reported on standard error, which
  // takes its place.
  TraceWriter(const char* path, uint64_t limit);

  void Write(std::string_view record);

 private:
  std::unique_ptr<MappedTraceFile> mapped_;
  libdevavu::platform::RecursiveLock lock_;
  libdevavu::platform::AppendFile file_;
};

}  // namespace virarudi

#endif  // VIRARUDI_TRACE_WRITER_H_
