// qrx dump: a hex dump of a file or of standard input through QXFormatData.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "commands.h"
#include "devavu.h"

namespace qrx {

namespace {

// A multiple of 16 that QXFormatData's 16-bit length can take, so every
// chunk but the last ends at the end of a line.
constexpr size_t kChunkBytes = 65520;
// Holds the lines of a whole chunk, so each chunk leaves in one write.
constexpr size_t kStdoutBufferBytes = 1 << 19;

int Dump(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr, "qrx dump: one FILE at most (see qrx dump --help)\n");
    return kExitUsage;
  }
  const std::string_view path = argc == 1 ? argv[0] : "-";
  if (path.size() > 1 && path[0] == '-') {
    std::fprintf(stderr, "qrx dump: unknown option '%s' (see qrx dump --help)\n", argv[0]);
    return kExitUsage;
  }
  const bool from_stdin = path == "-";
  std::FILE* in = from_stdin ? stdin : std::fopen(argv[0], "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "qrx dump: %s: %s\n", argv[0], std::strerror(errno));
    return kExitFailure;
  }
  const char* name = from_stdin ? "standard input" : argv[0];

  static char stdout_buffer[kStdoutBufferBytes];
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
  std::vector<uint8_t> chunk(kChunkBytes);
  size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
    QXFormatData(chunk.data(), static_cast<uint16_t>(got));
  }
  const int read_error = std::ferror(in) ? errno : 0;
  if (!from_stdin) std::fclose(in);
  if (read_error != 0) {
    std::fprintf(stderr, "qrx dump: %s: %s\n", name, std::strerror(read_error));
    return kExitFailure;
  }
  if (std::ferror(stdout)) {
    std::fprintf(stderr, "qrx dump: writing standard output failed\n");
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

const Command kDumpCommand{
    "dump", "hex dump of a file",
    "usage: qrx dump [FILE]\n\n"
    "Writes FILE (standard input when FILE is missing or '-') to standard\n"
    "output as hex dump lines of 16 bytes: four groups of eight hex digits,\n"
    "then the bytes as characters between '<' and '>' (0x20 to 0x7D as\n"
    "themselves, every other byte as '.'). An empty file writes nothing.\n\n"
    "Exit status: 0 done, 1 the file could not be read, 2 usage error.\n",
    Dump};

}  // namespace qrx
