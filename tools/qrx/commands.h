// The subcommands of qrx. Each takes the arguments after its own name and
// returns the exit code: 0 success, 1 the work failed, 2 a usage error.
#ifndef QRX_COMMANDS_H_
#define QRX_COMMANDS_H_

#include <string_view>

namespace qrx {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
  std::string_view name;
  std::string_view summary;
  std::string_view usage;  // the full --help text
  int (*run)(int argc, char** argv);
};

extern const Command kDemoCommand;
extern const Command kMsgCommand;
extern const Command kDumpCommand;
extern const Command kRecordsCommand;
extern const Command kConfigCommand;
extern const Command kTraceCommand;

}  // namespace qrx

#endif  // QRX_COMMANDS_H_
