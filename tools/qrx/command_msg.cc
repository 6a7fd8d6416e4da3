// qrx msg COMP NUM [INSERT...]: prints the text of a component's message, as
// a component would get it from getmsg.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands.h"
#include "devavu.h"

namespace qrx {

namespace {

constexpr int kMaxInserts = 9;

// A number in decimal or with 0x in hex that fits 32 bits.
bool ParseNumber(const char* text, uint32_t* value) {
  if (*text == '\0' || *text == '-' || *text == '+') return false;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(hex ? text + 2 : text, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || end == (hex ? text + 2 : text) || parsed > 0xFFFFFFFFull) {
    return false;
  }
  *value = static_cast<uint32_t>(parsed);
  return true;
}

int Message(int argc, char** argv) {
  if (argc < 2 || argc - 2 > kMaxInserts) {
    std::fprintf(stderr, "qrx msg: give COMP, NUM and at most %d inserts (see qrx msg --help)\n",
                 kMaxInserts);
    return kExitUsage;
  }
  uint32_t comp = 0;
  uint32_t number = 0;
  if (!ParseNumber(argv[0], &comp) || !ParseNumber(argv[1], &number)) {
    std::fprintf(stderr, "qrx msg: COMP and NUM are numbers, decimal or 0x hex\n");
    return kExitUsage;
  }
  if (devavu_init() != 0) {
    std::fprintf(stderr, "qrx msg: the library did not start\n");
    return kExitFailure;
  }
  DvWord inserts[kMaxInserts] = {};
  for (int i = 2; i < argc; ++i) {
    uint32_t value = 0;
    const bool is_number = argv[i][0] == '#' && ParseNumber(argv[i] + 1, &value);
    inserts[i - 2] = is_number ? value : reinterpret_cast<DvWord>(argv[i]);
  }
  char* text = va_getmsg(comp, number, static_cast<uint32_t>(argc - 2), inserts);
  std::printf("%s\n", text);
  const bool fallback = text[-1] == 2;
  if (text[-1] == 1) text[-1] = 0;
  devavu_term();
  return fallback ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kMsgCommand = {
    "msg", "print the text of a component's message",
    "usage: qrx msg COMP NUM [INSERT...]\n"
    "\n"
    "Prints the text that a component with id COMP gets from getmsg for the\n"
    "message NUM, with up to nine inserts for %1 to %9. COMP and NUM are\n"
    "decimal or 0x hex. An insert is passed as a string; one written #N (#42,\n"
    "#0x2A) is passed as the number N, for an insert that the text formats as\n"
    "a number (%2!d!). Components 3, 5, 6 and 8 ask by identifier\n"
    "(0xCFFF0000 + n for message n); component 0 by the index in its range\n"
    "51 to 260 (1 = message 51).\n"
    "\n"
    "The language comes from LC_ALL, LC_MESSAGES or LANG (English when none\n"
    "is shipped); a catalogue that NLSPATH names comes first.\n"
    "\n"
    "  qrx msg 5 0xCFFF0160 7 VIRARUDI\n"
    "  LANG=de_DE.UTF-8 qrx msg 5 0xCFFF0160 7 VIRARUDI\n"
    "\n"
    "Exit codes: 0 printed; 1 no message file could be read (the fallback\n"
    "text is printed); 2 usage error.\n",
    &Message};

}  // namespace qrx
