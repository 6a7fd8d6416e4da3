#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/system_error.h"

namespace libdevavu::platform {

namespace {

HANDLE ToHandle(intptr_t native) { return reinterpret_cast<HANDLE>(native); }

bool WriteAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

AppendFile::~AppendFile() {
  if (owned_) CloseHandle(ToHandle(native_));
}

bool AppendFile::Open(const std::string& path, std::string* error) {
  // Append access alone makes each write land whole at the end of the file.
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemErrorText(GetLastError());
    return false;
  }
  if (owned_) CloseHandle(ToHandle(native_));
  native_ = reinterpret_cast<intptr_t>(file);
  owned_ = true;
  return true;
}

void AppendFile::UseStandardError() {
  if (owned_) CloseHandle(ToHandle(native_));
  native_ = reinterpret_cast<intptr_t>(GetStdHandle(STD_ERROR_HANDLE));
  owned_ = false;
}

bool AppendFile::Write(const char* data, size_t size) {
  return native_ != -1 && WriteAll(ToHandle(native_), data, size);
}

void WriteStandardError(std::string_view text) {
  WriteAll(GetStdHandle(STD_ERROR_HANDLE), text.data(), text.size());
}

}  // namespace libdevavu::platform
