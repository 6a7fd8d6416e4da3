#include "trace_writer.h"

namespace virarudi {

TraceWriter::TraceWriter(const char* path) {
  if (path == nullptr) {
    file_.UseStandardError();
    return;
  }
  std::string error;
  if (!file_.Open(path, &error)) {
    libdevavu::platform::WriteStandardError("virarudi: cannot open the trace file QRXTRACEFILE=\"" +
                                         std::string(path) + "\" (" + error +
                                         "); records go to standard error\n");
    file_.UseStandardError();
  }
}

void TraceWriter::Write(const std::string& record) {
  // AppendFile::Write may take several system writes for one record; the
  // lock keeps other threads' records out from between them.
  libdevavu::platform::LockHolder hold(lock_);
  file_.Write(record.data(), record.size());
}

}  // namespace virarudi
