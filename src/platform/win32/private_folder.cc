#include <windows.h>
#include <sddl.h>

#include <string>

#include "platform/private_folder.h"
#include "platform/win32/system_error.h"

namespace libdevavu::platform {

namespace {

// "D:P(A;OICI;FA;;;<user>)": full access for the calling user alone, no
// inherited entries.
std::string OwnerOnlyDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  char buffer[256];
  DWORD size = 0;
  std::string descriptor;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
    char* sid = nullptr;
    if (ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
      descriptor = std::string("D:P(A;OICI;FA;;;") + sid + ")";
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return descriptor;
}

}  // namespace

std::string MakePrivateFolder(const std::string& prefix, std::string* error) {
  char temporary[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof temporary, temporary);
  if (length == 0 || length > MAX_PATH) {
    *error = SystemErrorText(GetLastError());
    return {};
  }
  const std::string descriptor = OwnerOnlyDescriptor();
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  if (descriptor.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                descriptor.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr)) {
    *error = "no security descriptor for the current user: " + SystemErrorText(GetLastError());
    return {};
  }
  // CreateDirectoryA fails on a name that exists, so a name another user
  // guessed first is skipped, never used.
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  uint64_t seed = static_cast<uint64_t>(counter.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32);
  std::string path;
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    char suffix[17];
    wsprintfA(suffix, "%08lx", static_cast<unsigned long>(seed >> 32));
    const std::string candidate = std::string(temporary, length) + prefix + suffix;
    if (CreateDirectoryA(candidate.c_str(), &attributes)) {
      path = candidate;
      break;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      *error = candidate + ": " + SystemErrorText(GetLastError());
      break;
    }
  }
  if (path.empty() && error->empty()) *error = "no free folder name in " + std::string(temporary, length);
  LocalFree(attributes.lpSecurityDescriptor);
  return path;
}

}  // namespace libdevavu::platform
