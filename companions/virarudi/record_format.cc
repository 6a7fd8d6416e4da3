#include "record_format.h"

#include <charconv>
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

// Writes value as exactly digits decimal digits.
char* PutFixedDecimal(char* out, uint32_t value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + digits;
}

bool SameTime(const libdevavu::platform::LocalTime& a, const libdevavu::platform::LocalTime& b) {
  return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
         a.month == b.month && a.year == b.year;
}

// Writes "YYYY-MM-DD hh:mm:ss.mmm [TID] " into out (at least kStampMax
// bytes). The text up to the second and the thread's part are made once per
// second and thread: a formatted print of them cost more than the record.
constexpr size_t kSecondPrefixSize = 20;
constexpr size_t kStampMax = kSecondPrefixSize + 3 + 2 + 20 + 2;

char* PutStamp(char* out, const RecordStamp& stamp) {
  struct Cache {
    bool valid = false;
    libdevavu::platform::LocalTime time{};
    char second_prefix[kSecondPrefixSize];
    uint64_t thread_id = 0;
    char thread_text[24];
    size_t thread_size = 0;
  };
  thread_local Cache cache;
  if (!cache.valid || !SameTime(cache.time, stamp.time)) {
    const auto& t = stamp.time;
    char* p = PutFixedDecimal(cache.second_prefix, static_cast<uint32_t>(t.year), 4);
    *p++ = '-';
    p = PutFixedDecimal(p, static_cast<uint32_t>(t.month), 2);
    *p++ = '-';
    p = PutFixedDecimal(p, static_cast<uint32_t>(t.day), 2);
    *p++ = ' ';
    p = PutFixedDecimal(p, static_cast<uint32_t>(t.hour), 2);
    *p++ = ':';
    p = PutFixedDecimal(p, static_cast<uint32_t>(t.minute), 2);
    *p++ = ':';
    p = PutFixedDecimal(p, static_cast<uint32_t>(t.second), 2);
    *p = '.';
    cache.time = t;
  }
  if (!cache.valid || cache.thread_id != stamp.thread_id) {
    char* p = cache.thread_text;
    *p++ = ' ';
    *p++ = '[';
    p = std::to_chars(p, p + 20, stamp.thread_id).ptr;
    *p++ = ']';
    *p++ = ' ';
    cache.thread_size = static_cast<size_t>(p - cache.thread_text);
    cache.thread_id = stamp.thread_id;
  }
  cache.valid = true;
  std::memcpy(out, cache.second_prefix, kSecondPrefixSize);
  out = PutFixedDecimal(out + kSecondPrefixSize, stamp.millis, 3);
  std::memcpy(out, cache.thread_text, cache.thread_size);
  return out + cache.thread_size;
}

char* PutPadded(char* out, std::string_view text, size_t columns) {
  std::memcpy(out, text.data(), text.size());
  out += text.size();
  if (text.size() < columns) {
    std::memset(out, ' ', columns - text.size());
    out += columns - text.size();
  }
  return out;
}

// Starts a record: reserves room for all of it and writes the stamp and the
// component column.
std::string BeginRecord(const RecordStamp& stamp, const char* component, size_t variable_size) {
  const std::string_view name = OrDash(component);
  std::string out;
  out.reserve(kHeaderFixedMax + name.size() + variable_size);
  char text[kStampMax];
  out.append(text, static_cast<size_t>(PutStamp(text, stamp) - text));
  AppendPadded(out, name, kNameColumns);
  out += ' ';
  return out;
}

}  // namespace

RecordStamp StampNow() {
  const libdevavu::platform::CalendarTime now = libdevavu::platform::CalendarNow();
  // The local time of a second is asked of the system once per thread.
  thread_local int64_t last_seconds = -1;
  thread_local libdevavu::platform::LocalTime last_time{};
  if (now.seconds != last_seconds) {
    last_time = libdevavu::platform::ToLocalTime(now.seconds);
    last_seconds = now.seconds;
  }
  return RecordStamp{last_time, now.millis, libdevavu::platform::CurrentThreadId()};
}

std::string_view FormatTraceRecord(const RecordStamp& stamp, const LogTraceRequest& request,
                                   RecordRoom& room) {
  const std::string_view name = OrDash(request.component_name);
  const std::string_view label = OrDash(request.label);
  std::string_view text = request.text != nullptr ? request.text : "";
  // A text that ends its own line would leave an empty line in the file.
  text = libdevavu::formats::WithoutLineEnd(text);
  const size_t length = request.data != nullptr ? static_cast<uint16_t>(request.length) : 0;
  const auto* data = static_cast<const uint8_t*>(request.data);
  // The hot record: written through a cursor into room for its longest form.
  char* const start = room.Get(kStampMax + name.size() + kNameColumns + label.size() +
                               kLabelColumns + text.size() + 3 + DumpSize(length));
  char* p = PutStamp(start, stamp);
  p = PutPadded(p, name, kNameColumns);
  *p++ = ' ';
  if (request.text != nullptr) {
    p = PutPadded(p, label, kLabelColumns);
    *p++ = ' ';
    std::memcpy(p, text.data(), text.size());
    p += text.size();
  } else {
    std::memcpy(p, label.data(), label.size());
    p += label.size();
  }
  *p++ = '\n';
  for (size_t offset = 0; offset < length; offset += kHexLineBytes) {
    const size_t count = length - offset < kHexLineBytes ? length - offset : kHexLineBytes;
    p += FormatHexLine(data + offset, count, p);
  }
  return std::string_view(start, static_cast<size_t>(p - start));
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
