#include "trace_writer.h"

#include <string>

namespace virarudi {

TraceWriter::TraceWriter(const char* path, uint64_t limit) {
  if (path == nullptr) {
    file_.UseStandardError();
    return;
  }
  std::string error;
  bool shared = false;
  mapped_ = MappedTraceFile::Open(path, limit, &error, &shared);
  // A file that others write through their mappings is not appended to: they
  // would write over what is appended.
  if (mapped_ == nullptr && (shared || !file_.Open(path, &error))) {
    libdevavu::platform::WriteStandardError("virarudi: cannot open the trace file QRXTRACEFILE=\"" +
                                            std::string(path) + "\" (" + error +
                                            "); records go to standard error\n");
    file_.UseStandardError();
  }
}

void TraceWriter::Write(std::string_view record) {
  if (mapped_ != nullptr) {
    mapped_->Write(record);
    return;
  }
  // AppendFile::Write may take several system writes for one record; the
  // lock keeps other threads' records out from between them.
  libdevavu::platform::LockHolder hold(lock_);
  file_.Write(record.data(), record.size());
}

}  // namespace virarudi
