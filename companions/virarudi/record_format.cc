#include "record_format.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "formats/line_end.h"
#include "trace/text_format.h"

namespace virarudi {

namespace {

using libdevavu::trace::FormatAddress;
using libdevavu::trace::FormatHexLine;
using libdevavu::trace::kAddressTextMax;
using libdevavu::trace::kHexLineBytes;
using libdevavu::trace::kHexLineMax;

constexpr size_t kNameColumns = 8;
constexpr size_t kLabelColumns = 12;
// Stamp, thread id, padding and the fixed words of the longest header line.
constexpr size_t kHeaderFixedMax = 192;

std::string_view OrDash(const char* text) { return text != nullptr ? text : "-"; }

void AppendPadded(std::string& out, std::string_view text, size_t columns) {
  out.append(text);
  if (text.size() < columns) out.append(columns - text.size(), ' ');
}

void AppendHex(std::string& out, uint64_t value, int digits) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out += kHexDigits[(value >> shift) & 0x0F];
  }
}

void AppendDecimal(std::string& out, uint32_t value) {
  char text[10];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void AppendAddress(std::string& out, const void* address) {
  char text[kAddressTextMax];
  FormatAddress(address, text);
  out.append(text);
}

void AppendWord(std::string& out, DvWord word) {
  AppendAddress(out, reinterpret_cast<const void*>(word));
}

size_t DumpSize(size_t length) {
  return (length + kHexLineBytes - 1) / kHexLineBytes * kHexLineMax;
}

void AppendDump(std::string& out, const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  char line[kHexLineMax];
  for (size_t offset = 0; offset < length; offset += kHexLineBytes) {
    const size_t count = length - offset < kHexLineBytes ? length - offset : kHexLineBytes;
    out.append(line, FormatHexLine(bytes + offset, count, line));
  }
}

// Starts a record: reserves room for all of it and writes the stamp and the
// component column.
std::string BeginRecord(const RecordStamp& stamp, const char* component, size_t variable_size) {
  const std::string_view name = OrDash(component);
  std::string out;
  out.reserve(kHeaderFixedMax + name.size() + variable_size);
  char text[96];
  const int length = std::snprintf(
      text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03u [%llu] ", stamp.time.year,
      stamp.time.month, stamp.time.day, stamp.time.hour, stamp.time.minute, stamp.time.second,
      static_cast<unsigned>(stamp.millis), static_cast<unsigned long long>(stamp.thread_id));
  out.append(text, static_cast<size_t>(length));
  AppendPadded(out, name, kNameColumns);
  out += ' ';
  return out;
}

}  // namespace

RecordStamp StampNow() {
  const libdevavu::platform::CalendarTime now = libdevavu::platform::CalendarNow();
  return RecordStamp{libdevavu::platform::ToLocalTime(now.seconds), now.millis,
                     libdevavu::platform::CurrentThreadId()};
}

std::string FormatTraceRecord(const RecordStamp& stamp, const LogTraceRequest& request) {
  const std::string_view label = OrDash(request.label);
  std::string_view text = request.text != nullptr ? request.text : "";
  // A text that ends its own line would leave an empty line in the file.
  text = libdevavu::formats::WithoutLineEnd(text);
  const size_t length = request.data != nullptr ? static_cast<uint16_t>(request.length) : 0;
  std::string out = BeginRecord(stamp, request.component_name,
                                label.size() + text.size() + DumpSize(length));
  if (request.text != nullptr) {
    AppendPadded(out, label, kLabelColumns);
    out += ' ';
    out.append(text);
  } else {
    out.append(label);
  }
  out += '\n';
  AppendDump(out, request.data, length);
  return out;
}

std::string FormatErrorRecord(const RecordStamp& stamp, const LogErrorRequest& request) {
  const std::string_view msg_id = OrDash(request.msg_id);
  size_t length = request.data_length;
  if (request.data == nullptr) {
    length = 0;
  } else if (length == 0) {
    length = std::strlen(static_cast<const char*>(request.data));
  }
  std::string out = BeginRecord(stamp, request.component_name, msg_id.size() + DumpSize(length));
  out.append("ERROR ");
  out.append(msg_id);
  out.append(" msg=");
  AppendDecimal(out, request.msg_no);
  out.append(" id=");
  AppendHex(out, request.error_id, 8);
  out.append(" code=");
  AppendHex(out, request.code, 8);
  out.append(" object=");
  AppendWord(out, request.object);
  out.append(" option=");
  AppendDecimal(out, request.log_option);
  out.append(" extra=");
  AppendWord(out, request.extra[0]);
  out += ',';
  AppendWord(out, request.extra[1]);
  out += '\n';
  AppendDump(out, request.data, length);
  return out;
}

std::string FormatAttachRecord(const RecordStamp& stamp, const char* component,
                               uint32_t error_id_base, uint8_t flags) {
  std::string out = BeginRecord(stamp, component, 0);
  out.append("ATTACH base=");
  AppendHex(out, error_id_base, 8);
  out.append(" flags=");
  AppendHex(out, flags, 2);
  out += '\n';
  return out;
}

std::string FormatDetachRecord(const RecordStamp& stamp, const char* component) {
  std::string out = BeginRecord(stamp, component, 0);
  out.append("DETACH\n");
  return out;
}

}  // namespace virarudi
