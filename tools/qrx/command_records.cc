// qrx records: lists a record stream as QXSMFMT parses it, or builds a stream
// from a text description.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "devavu.h"
#include "record_description.h"

namespace qrx {

namespace {

constexpr char kName[] = "qrx records";
// The most a stream file or a description may hold: far above any stream a
// build writes (65535 bytes), and it keeps an endless input such as
// /dev/zero from filling the memory.
constexpr size_t kMaxInput = 16u << 20;

bool ReadWholeFile(const std::string& path, std::string* out) {
  const bool from_stdin = path == "-";
  std::FILE* in = from_stdin ? stdin : std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, path.c_str(), std::strerror(errno));
    return false;
  }
  char chunk[65536];
  size_t got;
  while (out->size() <= kMaxInput && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    out->append(chunk, got);
  }
  const int read_error = std::ferror(in) ? errno : 0;
  if (!from_stdin) std::fclose(in);
  if (read_error != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, path.c_str(), std::strerror(read_error));
    return false;
  }
  if (out->size() > kMaxInput) {
    std::fprintf(stderr, "%s: %s: more than %zu bytes (16 MiB), the most it reads\n", kName,
                 path.c_str(), kMaxInput);
    return false;
  }
  return true;
}

// Where the records of the stream end: the offset of the first record whose
// header does not fit, and how many records stand before it.
struct HeaderWalk {
  size_t end = 0;
  size_t records = 0;
};

HeaderWalk WalkHeaders(const uint8_t* bytes, size_t size) {
  HeaderWalk walk;
  while (size - walk.end >= 4) {
    const size_t length = static_cast<size_t>(bytes[walk.end + 2] << 8 | bytes[walk.end + 3]);
    if (length < 4 || length > size - walk.end) break;
    walk.end += length;
    ++walk.records;
  }
  return walk;
}

// The header of the record at offset at, read as the parse reads it: bytes
// past the end of the stream count as zero.
struct Header {
  unsigned type = 0;
  unsigned subtype = 0;
  unsigned length = 0;
};

Header HeaderAt(const std::string& stream, size_t at) {
  uint8_t bytes[4] = {};
  for (size_t i = 0; i < 4 && at + i < stream.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(stream[at + i]);
  }
  return Header{bytes[0], bytes[1], static_cast<unsigned>(bytes[2] << 8 | bytes[3])};
}

// Lists the groups; true when a record flagged malformed is among them.
bool ListGroups(const SmfmtRequest& request, size_t* records_listed) {
  bool malformed_listed = false;
  int group_number = 0;
  for (const SmfmtGroup* g = request.groups; g != nullptr; g = g->next) {
    ++group_number;
    if (g->first == nullptr) {
      std::printf("group %d: no records\n", group_number);
      continue;
    }
    std::printf("group %d: type %u\n", group_number, g->first->type);
    int record_number = 0;
    for (const SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
      ++record_number;
      const bool malformed = (r->flags & SMFMT_MALFORMED) != 0;
      std::printf("  record %d.%d: type %u, subtype %u, length %u, flags 0x%X%s\n", group_number,
                  record_number, r->type, r->subtype, r->len, r->flags,
                  malformed ? " (malformed)" : "");
      if (r->data != nullptr) QXFormatData(r->data, r->len);
      malformed_listed = malformed_listed || malformed;
      ++*records_listed;
    }
  }
  return malformed_listed;
}

// The records the parse met but left in no group: those of a second type of
// the shared class, the malformed one among them shown as the list would.
void ListLeftOut(const std::string& stream, bool failed, bool malformed_listed,
                 size_t listed) {
  const HeaderWalk walk =
      WalkHeaders(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  if (failed && !malformed_listed) {
    const Header h = HeaderAt(stream, walk.end);
    std::printf("left out: type %u, subtype %u, length %u, flags 0x%X (malformed)\n", h.type,
                h.subtype, h.length, SMFMT_MALFORMED);
  }
  const size_t met = walk.records + (failed ? 1 : 0);
  if (met > listed) {
    std::printf("%zu record%s of a second type of 0 and 12 to 255 left out: that class has one "
                "group\n",
                met - listed, met - listed == 1 ? "" : "s");
  }
}

// The last record the parse met: the one that ends the stream's records.
void ReportMalformed(const std::string& path, const std::string& stream) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
  const size_t at = WalkHeaders(bytes, stream.size()).end;
  const size_t left = stream.size() - at;
  if (left < 4) {
    std::fprintf(stderr, "%s: %s: malformed record at offset %zu: %zu stray byte%s at the end\n",
                 kName, path.c_str(), at, left, left == 1 ? "" : "s");
    return;
  }
  const Header h = HeaderAt(stream, at);
  const std::string why = h.length < 4 ? std::string("below the 4 header bytes")
                                       : "only " + std::to_string(left) + " bytes left";
  std::fprintf(stderr, "%s: %s: malformed record at offset %zu: type %u, record length %u, %s\n",
               kName, path.c_str(), at, h.type, h.length, why.c_str());
}

int ListStream(const std::string& path) {
  std::string stream;
  if (!ReadWholeFile(path, &stream)) return kExitFailure;
  // A non-null buffer even for an empty file: an empty stream is not a missing one.
  static uint8_t no_bytes;
  SmfmtRequest request{};
  request.op = SMFMT_PARSE;
  request.buf = stream.empty() ? &no_bytes : reinterpret_cast<uint8_t*>(stream.data());
  request.len = static_cast<int32_t>(stream.size());
  const int32_t parsed = QXSMFMT(&request);

  std::printf("%s: %zu bytes; types seen 0x%03X, repeated 0x%03X\n", path.c_str(), stream.size(),
              request.seen_types, request.repeated_types);
  size_t listed = 0;
  const bool malformed_listed = ListGroups(request, &listed);
  // Out of memory, the list holds what was made so far: nothing to compare.
  if (parsed != -10) ListLeftOut(stream, parsed != 0, malformed_listed, listed);
  std::fflush(stdout);

  if (request.groups != nullptr) {
    request.op = SMFMT_FREE_LIST;
    QXSMFMT(&request);
  }
  if (parsed == -10) {
    std::fprintf(stderr, "%s: %s: out of memory blocks\n", kName, path.c_str());
    return kExitFailure;
  }
  if (parsed != 0) {
    ReportMalformed(path, stream);
    return kExitFailure;
  }
  return kExitOk;
}

// The stream of the described records, built by QXSMFMT from a list of our
// own, and the raw bytes after it. A new group starts wherever the type
// changes, so the stream keeps the description's order.
bool BuildDescribed(const std::string& path, const RecordDescription& description,
                    std::string* stream) {
  const auto& records = description.records;
  if (!records.empty()) {
    std::vector<SmfmtRecord> list_records(records.size());
    std::vector<SmfmtGroup> groups;
    groups.reserve(records.size());
    size_t total = 0;
    for (size_t i = 0; i < records.size(); ++i) {
      SmfmtRecord& r = list_records[i];
      r.type = records[i].type;
      r.subtype = records[i].subtype;
      r.len = static_cast<uint16_t>(records[i].data.size());
      r.data = records[i].data.empty() ? nullptr : const_cast<uint8_t*>(records[i].data.data());
      total += records[i].data.size() + 4;
      if (i == 0 || records[i].type != records[i - 1].type) {
        groups.push_back(SmfmtGroup{nullptr, &r});
      } else {
        list_records[i - 1].next = &r;
      }
    }
    for (size_t g = 0; g + 1 < groups.size(); ++g) groups[g].next = &groups[g + 1];

    SmfmtRequest request{};
    request.op = SMFMT_BUILD;
    request.groups = groups.data();
    const int32_t built = QXSMFMT(&request);
    if (built == -1) {
      std::fprintf(stderr, "%s: %s: the records make %zu bytes; a stream holds at most %d\n",
                   kName, path.c_str(), total, SMFMT_MAX_STREAM);
      return false;
    }
    if (built != 0) {
      std::fprintf(stderr, "%s: %s: out of memory blocks\n", kName, path.c_str());
      return false;
    }
    stream->assign(reinterpret_cast<const char*>(request.buf), static_cast<size_t>(request.len));
    // The list is ours, not the library's: only the stream goes back.
    request.op = SMFMT_FREE_BUFFER;
    QXSMFMT(&request);
  }
  stream->append(description.raw_tail.begin(), description.raw_tail.end());
  return true;
}

int BuildStream(const std::string& description_path, const std::string& out_path) {
  std::string text;
  if (!ReadWholeFile(description_path, &text)) return kExitFailure;
  RecordDescription description;
  DescriptionError error;
  if (!ReadRecordDescription(text, &description, &error)) {
    std::fprintf(stderr, "%s: %s:%d: %s\n", kName, description_path.c_str(), error.line,
                 error.what.c_str());
    return kExitFailure;
  }
  std::string stream;
  if (!BuildDescribed(description_path, description, &stream)) return kExitFailure;

  const bool to_stdout = out_path == "-";
  std::FILE* out = to_stdout ? stdout : std::fopen(out_path.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, out_path.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  const bool written = std::fwrite(stream.data(), 1, stream.size(), out) == stream.size() &&
                       std::fflush(out) == 0;
  const int write_error = written ? 0 : errno;
  if (!to_stdout && std::fclose(out) != 0 && written) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, out_path.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  if (!written) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, out_path.c_str(), std::strerror(write_error));
    return kExitFailure;
  }
  if (!to_stdout) {
    std::printf("%s: %zu records, %zu bytes\n", out_path.c_str(), description.records.size(),
                stream.size());
  }
  return kExitOk;
}

int Records(int argc, char** argv) {
  std::string input;
  std::string description;
  std::string output;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--build" || arg == "-o") && i + 1 >= argc) {
      std::fprintf(stderr, "%s: %s needs a file (see qrx records --help)\n", kName, argv[i]);
      return kExitUsage;
    }
    if (arg == "--build") {
      description = argv[++i];
    } else if (arg == "-o") {
      output = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "%s: unknown option '%s' (see qrx records --help)\n", kName, argv[i]);
      return kExitUsage;
    } else if (input.empty()) {
      input = arg;
    } else {
      std::fprintf(stderr, "%s: one FILE at most (see qrx records --help)\n", kName);
      return kExitUsage;
    }
  }
  if (!description.empty()) {
    if (output.empty() || !input.empty()) {
      std::fprintf(stderr, "%s: --build DESCRIPTION takes -o OUT and no FILE (see qrx records "
                   "--help)\n", kName);
      return kExitUsage;
    }
    return BuildStream(description, output);
  }
  if (input.empty() || !output.empty()) {
    std::fprintf(stderr, "%s: FILE expected, -o only with --build (see qrx records --help)\n",
                 kName);
    return kExitUsage;
  }
  return ListStream(input);
}

}  // namespace

const Command kRecordsCommand{
    "records", "list a record stream, or build one from a description",
    "usage: qrx records FILE\n"
    "       qrx records --build DESCRIPTION -o OUT\n\n"
    "qrx records FILE parses the record stream in FILE ('-': standard input)\n"
    "and lists its groups: one per type, in the order of first appearance,\n"
    "each with its records in stream order (type, subtype, length = data\n"
    "length, flags) and their data as a hex dump. A malformed record is\n"
    "listed with flags 0x1 and the record length of its header, and reported\n"
    "with its offset; the exit status is then 1. Types 0 and 12 to 255 share\n"
    "one group: records of a second type of them are checked, then left out,\n"
    "and counted in a note (a malformed one is listed as left out).\n"
    "FILE and DESCRIPTION hold at most 16 MiB.\n\n"
    "qrx records --build DESCRIPTION -o OUT writes the stream described in\n"
    "DESCRIPTION to OUT ('-': standard output), in the order of the lines:\n\n"
    "  # a comment: '#' to the end of the line\n"
    "  TYPE SUBTYPE [DATA...]     one record; TYPE, SUBTYPE 0..255 or 0x00..0xFF\n"
    "  raw DATA...                bytes written as they are after all records\n\n"
    "DATA items are hex digits in pairs (0a0b 0c) or \"text\" with the escapes\n"
    "\\\\ \\\" \\n \\r \\t \\0 \\xHH; a record's items follow one another.\n"
    "For example:\n\n"
    "  1 0 \"hello\"\n"
    "  1 1 00ff 10 \"\\n\"\n"
    "  12 7\n"
    "  raw 02 00 00      # a truncated header: a malformed end\n\n"
    "Exit status: 0 done, 1 a malformed stream or a file that cannot be read\n"
    "or written, 2 usage error.\n",
    Records};

}  // namespace qrx
