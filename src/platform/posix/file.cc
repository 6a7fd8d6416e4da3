#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

AppendFile::~AppendFile() {
  if (owned_) ::close(static_cast<int>(native_));
}

bool AppendFile::Open(const std::string& path, std::string* error) {
  // O_APPEND makes each write land whole at the end, also between processes.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  if (owned_) ::close(static_cast<int>(native_));
  native_ = fd;
  owned_ = true;
  return true;
}

void AppendFile::UseStandardError() {
  if (owned_) ::close(static_cast<int>(native_));
  native_ = STDERR_FILENO;
  owned_ = false;
}

bool AppendFile::Write(const char* data, size_t size) {
  return native_ >= 0 && WriteAll(static_cast<int>(native_), data, size);
}

void WriteStandardError(std::string_view text) {
  WriteAll(STDERR_FILENO, text.data(), text.size());
}

}  // namespace libdevavu::platform
