// The process itself: its environment, its program file, and other programs
// it runs.
#ifndef DEVAVU_PLATFORM_PROCESS_H_
#define DEVAVU_PLATFORM_PROCESS_H_

#include <string>
#include <vector>

namespace libdevavu::platform {

// Sets a variable of the process environment; with overwrite false a value
// already set is kept. A null value removes the variable.
void SetEnvironmentValue(const char* name, const char* value, bool overwrite = true);

// The full path of the program the process runs; empty when it is unknown.
std::string ProgramPath();

// Runs the program with the arguments (the program's own name not among
// them) in the current environment and waits for it: its exit code, or -1
// when it could not be run or did not end normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace libdevavu::platform

#endif  // DEVAVU_PLATFORM_PROCESS_H_
