#include <cstring>

#include "fakes/fakes.h"

namespace fakes {

namespace {
std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

TraceLibrary& TraceLib() {
  static TraceLibrary library;
  return library;
}

int32_t FakeLogFacilities(uint32_t type, LogRequest* request) {
  libdevavu::platform::LockHolder hold(Lock());
  TraceLibrary& lib = TraceLib();
  Request seen;
  seen.thread = libdevavu::platform::CurrentThreadId();
  seen.type = type;
  switch (type) {
    case LOGREQ_ATTACH:
    case LOGREQ_DETACH:
      seen.component = Text(request->attach.component_name);
      break;
    case LOGREQ_TRACE: {
      const LogTraceRequest& trace = request->trace;
      seen.component = Text(trace.component_name);
      seen.label = Text(trace.label);
      seen.text = Text(trace.text);
      seen.data_pointer = trace.data;
      seen.length = trace.length;
      if (trace.data != nullptr) {
        const auto* bytes = static_cast<const uint8_t*>(trace.data);
        seen.data.assign(bytes, bytes + trace.length);
      }
      break;
    }
    case LOGREQ_ERROR:
      seen.component = Text(request->error.component_name);
      seen.error = request->error;
      seen.msg_id = Text(request->error.msg_id);
      break;
  }
  lib.requests.push_back(seen);

  if (type == LOGREQ_ATTACH) {
    if (lib.attach_answer != 0) return lib.attach_answer;
    uint8_t& flags = lib.flag_bytes.try_emplace(seen.component, lib.flags).first->second;
    request->attach.error_id_base = lib.error_id_base;
    request->attach.trace_flags = lib.reply_flags ? &flags : nullptr;
    request->attach.attach_word = lib.attach_word;
  }
  return type == LOGREQ_ERROR ? lib.error_answer : 0;
}

}  // namespace fakes
