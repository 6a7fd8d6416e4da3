// qrx: the command-line program of devavu.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

#include "commands.h"

namespace {

const qrx::Command* const kCommands[] = {&qrx::kDemoCommand, &qrx::kDumpCommand,
                                         &qrx::kMsgCommand,
                                         &qrx::kConfigCommand,
                                         &qrx::kRecordsCommand, &qrx::kTraceCommand};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: qrx COMMAND [ARGS...]\n       qrx COMMAND --help\n\ncommands:\n");
  for (const qrx::Command* c : kCommands) {
    std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(c->name.size()), c->name.data(),
                 static_cast<int>(c->summary.size()), c->summary.data());
  }
}

bool WantsHelp(int argc, char** argv) {
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return qrx::kExitUsage;
  }
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return qrx::kExitOk;
  }
  for (const qrx::Command* c : kCommands) {
    if (c->name != name) continue;
    if (WantsHelp(argc - 2, argv + 2)) {
      std::fwrite(c->usage.data(), 1, c->usage.size(), stdout);
      return qrx::kExitOk;
    }
    // Whatever fails inside a command ends it with its reason, never with
    // an abort.
    try {
      return c->run(argc - 2, argv + 2);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qrx %s: %s\n", argv[1], e.what());
    } catch (...) {
      std::fprintf(stderr, "qrx %s: failed for a reason it could not name\n", argv[1]);
    }
    return qrx::kExitFailure;
  }
  std::fprintf(stderr, "qrx: unknown command '%s'\n\n", argv[1]);
  PrintUsage(stderr);
  return qrx::kExitUsage;
}
