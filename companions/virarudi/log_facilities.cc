// The entry point: takes devavu's request blocks apart and hands them to the
// process's component table and trace file.
#include <new>

#include "component_table.h"
#include "flag_control.h"
#include "orvesvc.h"
#include "platform/platform.h"
#include "record_format.h"
#include "trace_settings.h"
#include "trace_writer.h"
#include "virarudi.h"

namespace virarudi {

namespace {

// Read at the first attach, so a bad QRXTRACE is reported once per process.
const TraceSettings& Settings() {
  static const TraceSettings settings = [] {
    TraceSettings parsed = TraceSettings::Parse(win32_getcfg("QRXTRACE"));
    if (!parsed.error().empty()) {
      libdevavu::platform::WriteStandardError(
          "virarudi: QRXTRACE ignored, no component is traced: " + parsed.error() + "\n");
    }
    return parsed;
  }();
  return settings;
}

ComponentTable& Components() {
  static ComponentTable table;
  return table;
}

// Started at the first attach: from then on the flags can be changed.
FlagControl& Control() {
  static FlagControl control(Components(), win32_getcfg("QRXTRACERUN"));
  return control;
}

// Opened at the first record.
TraceWriter& Writer() {
  static TraceWriter writer = [] {
    const SizeLimit limit = SizeLimit::Parse(win32_getcfg("QRXTRACEMAX"));
    if (!limit.error.empty()) {
      libdevavu::platform::WriteStandardError("virarudi: QRXTRACEMAX ignored, trace files end at 64M: " +
                                              limit.error + "\n");
    }
    return TraceWriter(win32_getcfg("QRXTRACEFILE"), limit.bytes);
  }();
  return writer;
}

// With neither QRXTRACE nor QRXTRACEFILE set and no flags changed in the
// running process, nobody asked for a trace: only error records are written
// (to standard error), so that a process that uses the library stays quiet
// while nothing is wrong.
bool TraceAskedFor() {
  static const bool asked =
      win32_getcfg("QRXTRACE") != nullptr || win32_getcfg("QRXTRACEFILE") != nullptr;
  return asked || Control().changed();
}

int32_t Attach(LogAttachRequest& request) {
  if (request.component_name == nullptr) return VIRARUDI_NO_NAME;
  Control();
  const auto attachment = Components().Attach(request.component_name, Settings());
  if (!attachment) return VIRARUDI_TABLE_FULL;
  request.error_id_base = attachment->error_id_base;
  request.trace_flags = attachment->flags;
  request.attach_word = attachment->attach_word;
  if (TraceAskedFor()) {
    Writer().Write(FormatAttachRecord(StampNow(), request.component_name,
                                      attachment->error_id_base, *attachment->flags));
  }
  return VIRARUDI_OK;
}

int32_t Detach(const LogAttachRequest& request) {
  if (request.component_name == nullptr) return VIRARUDI_NO_NAME;
  Components().Detach(request.component_name);
  if (TraceAskedFor()) Writer().Write(FormatDetachRecord(StampNow(), request.component_name));
  return VIRARUDI_OK;
}

int32_t Handle(uint32_t type, LogRequest& request) {
  Control().FollowFork();
  switch (type) {
    case LOGREQ_ATTACH:
      return Attach(request.attach);
    case LOGREQ_TRACE:
      if (TraceAskedFor()) {
        RecordRoom room;
        Writer().Write(FormatTraceRecord(StampNow(), request.trace, room));
      }
      return VIRARUDI_OK;
    case LOGREQ_ERROR:
      Writer().Write(FormatErrorRecord(StampNow(), request.error));
      return VIRARUDI_OK;
    case LOGREQ_DETACH:
      return Detach(request.attach);
    default:
      return VIRARUDI_UNKNOWN_TYPE;
  }
}

}  // namespace

}  // namespace virarudi

extern "C" VIRARUDI_API int32_t DEVAVU_STDCALL LOGFACILITIESEP(uint32_t type, LogRequest* request) {
  if (request == nullptr) return VIRARUDI_NO_REQUEST;
  // No exception may cross into a C caller.
  try {
    return virarudi::Handle(type, *request);
  } catch (const std::bad_alloc&) {
    return VIRARUDI_OUT_OF_MEMORY;
  }
}
