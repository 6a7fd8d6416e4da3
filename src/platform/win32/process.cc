#include <windows.h>

#include <cstdlib>

#include "platform/process.h"

namespace libdevavu::platform {

void SetEnvironmentValue(const char* name, const char* value, bool overwrite) {
  if (!overwrite && std::getenv(name) != nullptr) return;
  // _putenv_s changes the runtime's copy, which getenv reads, and the
  // process environment that child processes inherit; "" removes the name.
  _putenv_s(name, value != nullptr ? value : "");
}

std::string ProgramPath() {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  return std::string(path, length);
}

namespace {

// One argument as the runtime's command-line parser reads it back.
void AppendQuoted(std::string* line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    *line += argument;
    return;
  }
  *line += '"';
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = backslashes * 2 + 1;
    line->append(backslashes, '\\');
    backslashes = 0;
    *line += c;
  }
  line->append(backslashes * 2, '\\');
  *line += '"';
}

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line;
  AppendQuoted(&line, program);
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(&line, argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const bool ok = GetExitCodeProcess(process.hProcess, &code) != 0;
  CloseHandle(process.hProcess);
  return ok ? static_cast<int>(code) : -1;
}

}  // namespace libdevavu::platform
