// qrx msg COMP NUM [INSERT...]: prints the text of a component's message, as
// a component would get it from getmsg.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <string>

#include "commands.h"
#include "devavu.h"
#include "formats/message_format.h"
#include "orvesvc.h"

namespace qrx {

namespace {

constexpr int kMaxInserts = 9;
constexpr uint32_t kIdentifierBase = 0xCFFF0000;
constexpr uint16_t kTraceMessageBase = 50;  // component 0: index 1 is message 51

enum class Parsed { kNumber, kNotANumber, kOutOfRange };

// A number in decimal or with 0x in hex that fits 32 bits.
Parsed ParseNumber(const char* text, uint32_t* value) {
  if (*text == '\0' || *text == '-' || *text == '+') return Parsed::kNotANumber;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = hex ? text + 2 : text;
  if (*digits == ' ' || *digits == '\t' || *digits == '-' || *digits == '+') {
    return Parsed::kNotANumber;
  }
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
  if (*end != '\0' || end == digits) return Parsed::kNotANumber;
  if (errno == ERANGE || parsed > 0xFFFFFFFFull) return Parsed::kOutOfRange;
  *value = static_cast<uint32_t>(parsed);
  return Parsed::kNumber;
}

// The raw text of the message, as the message library holds it, to learn
// which inserts it reads as numbers; empty when it has none.
std::string RawText(uint32_t comp, uint32_t number) {
  uint16_t message = 0;
  const char* library = "qrxmsg.dll";
  if (comp == 0) {
    if (number == 0 || number > 0xFFFFu - kTraceMessageBase) return {};
    message = static_cast<uint16_t>(kTraceMessageBase + number);
    library = "qrxtrc.dll";
  } else {
    if (number - kIdentifierBase > 0xFFFFu) return {};
    message = static_cast<uint16_t>(number - kIdentifierBase);
  }
  char text[1024];
  uint16_t length = 0;
  if (GetNLSMessage(text, sizeof text - 1, message, library, &length) != 0) return {};
  return std::string(text, length);
}

// The inserts as the text reads them: #N as the number N where a form reads
// a number, any other as a string where a form reads a string. False after
// saying why not.
bool ReadInserts(const std::string& text, int count, char** args, DvWord* inserts) {
  libdevavu::formats::InsertUse uses[kMaxInserts];
  libdevavu::formats::FindInsertUses(text, uses, kMaxInserts);
  for (int i = 0; i < count; ++i) {
    const char* arg = args[i];
    const int n = i + 1;
    const auto use = uses[i];
    if (arg[0] != '#') {
      if (use == libdevavu::formats::InsertUse::kNumber) {
        std::fprintf(stderr, "qrx msg: insert %d '%s': the text formats insert %d as a number: "
                     "give it as #N\n", n, arg, n);
        return false;
      }
      inserts[i] = reinterpret_cast<DvWord>(arg);
      continue;
    }
    uint32_t value = 0;
    switch (ParseNumber(arg + 1, &value)) {
      case Parsed::kNotANumber:
        std::fprintf(stderr, "qrx msg: insert %d '%s': #N takes a number, decimal or 0x hex\n",
                     n, arg);
        return false;
      case Parsed::kOutOfRange:
        std::fprintf(stderr, "qrx msg: insert %d '%s': out of range (at most 4294967295)\n", n,
                     arg);
        return false;
      case Parsed::kNumber:
        break;
    }
    if (use == libdevavu::formats::InsertUse::kString) {
      std::fprintf(stderr, "qrx msg: insert %d '%s': the text formats insert %d as a string: "
                   "give it without #\n", n, arg, n);
      return false;
    }
    inserts[i] = value;
  }
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
  if (ParseNumber(argv[0], &comp) != Parsed::kNumber ||
      ParseNumber(argv[1], &number) != Parsed::kNumber) {
    std::fprintf(stderr, "qrx msg: COMP and NUM are numbers, decimal or 0x hex\n");
    return kExitUsage;
  }
  DvWord inserts[kMaxInserts] = {};
  if (!ReadInserts(RawText(comp, number), argc - 2, argv + 2, inserts)) return kExitUsage;
  if (devavu_init() != 0) {
    std::fprintf(stderr, "qrx msg: the library did not start\n");
    return kExitFailure;
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
    "#0x2A) is passed as the number N. A #N insert where the text formats a\n"
    "string, or another where it formats a number (%2!d!), is refused.\n"
    "Components 3, 5, 6 and 8 ask by identifier\n"
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
    "text is printed); 2 usage error, or an insert the text cannot take.\n",
    &Message};

}  // namespace qrx
