#include <windows.h>

#include "platform/trace_control.h"
#include "platform/win32/system_error.h"

namespace libdevavu::platform {

namespace {

constexpr char kDefaultPrefix[] = "qrxtrace-";

// The user's temporary folder, without its closing backslash.
std::string TemporaryFolder() {
  char path[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof path, path);
  if (length == 0 || length > MAX_PATH) return ".";
  while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/')) --length;
  return std::string(path, length);
}

std::string UserName() {
  char name[257];
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? std::string(name) : std::string("unknown");
}

// Calls found with the name of each entry of folder that matches pattern.
template <typename Found>
void ForEachEntry(const std::string& folder, const std::string& pattern, Found found) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    found(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

std::string Reason(const std::string& path) { return path + ": " + SystemErrorText(GetLastError()); }

}  // namespace

std::string ControlFolder(const char* given) {
  if (given != nullptr && *given != '\0') return given;
  return TemporaryFolder() + "\\" + kDefaultPrefix + UserName();
}

std::vector<std::string> DefaultControlFolders() {
  std::vector<std::string> folders;
  const std::string temporary = TemporaryFolder();
  ForEachEntry(temporary, std::string(kDefaultPrefix) + "*",
               [&](const char* name) { folders.push_back(temporary + "\\" + name); });
  return folders;
}

bool PrepareControlFolder(const std::string& folder, std::string* error) {
  // A new folder takes the access of the folder it is in; the default one
  // is in the user's own temporary folder, which others cannot enter.
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    *error = Reason(folder);
    return false;
  }
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    *error = folder + ": not a folder (or a link)";
    return false;
  }
  return true;
}

std::string CreateControlFile(const std::string& folder, std::string* error) {
  // The file takes the access the folder gives.
  const std::string path = folder + "\\" + std::to_string(GetCurrentProcessId());
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = Reason(path);
    return {};
  }
  CloseHandle(file);
  return path;
}

bool ReadControlFile(const std::string& path, size_t max, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  text->resize(max);
  DWORD read = 0;
  const bool ok = ReadFile(file, text->data(), static_cast<DWORD>(max), &read, nullptr) != 0;
  CloseHandle(file);
  text->resize(ok ? read : 0);
  return ok;
}

bool WriteControlFile(const std::string& path, const std::string& text, std::string* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = Reason(path);
    return false;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  if (!ok) *error = Reason(path);
  CloseHandle(file);
  return ok;
}

std::vector<ControlFile> ListControlFiles(const std::string& folder) {
  std::vector<ControlFile> files;
  ForEachEntry(folder, "*", [&](const char* name) {
    uint32_t id = 0;
    if (IsProcessId(name, &id)) files.push_back({id, folder + "\\" + name});
  });
  return files;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace libdevavu::platform
