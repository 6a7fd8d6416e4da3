#include "platform/trace_control.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace libdevavu::platform {

namespace {

constexpr char kDefaultPrefix[] = "qrxtrace-";

std::string TemporaryFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
}

}  // namespace

std::string ControlFolder(const char* given) {
  if (given != nullptr && *given != '\0') return given;
  return TemporaryFolder() + "/" + kDefaultPrefix + std::to_string(::getuid());
}

std::vector<std::string> DefaultControlFolders() {
  std::vector<std::string> folders;
  const std::string temporary = TemporaryFolder();
  DIR* dir = ::opendir(temporary.c_str());
  if (dir == nullptr) return folders;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, kDefaultPrefix, sizeof kDefaultPrefix - 1) == 0) {
      folders.push_back(temporary + "/" + entry->d_name);
    }
  }
  ::closedir(dir);
  return folders;
}

bool PrepareControlFolder(const std::string& folder, std::string* error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = folder + ": " + std::strerror(errno);
    return false;
  }
  struct stat info;
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = folder + ": not a folder (or a link)";
    return false;
  }
  // In a shared temporary folder anyone could have made the default one.
  if (folder == ControlFolder(nullptr) && info.st_uid != ::getuid()) {
    *error = folder + ": belongs to another user";
    return false;
  }
  return true;
}

std::string CreateControlFile(const std::string& folder, std::string* error) {
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0) {
    *error = folder + ": " + std::strerror(errno);
    return {};
  }
  const mode_t mode = 0600 | (info.st_mode & 0066);
  const std::string path = folder + "/" + std::to_string(::getpid());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return {};
  }
  // The process mask must not take away what the folder gives.
  ::fchmod(fd, mode);
  ::close(fd);
  return path;
}

bool ReadControlFile(const std::string& path, size_t max, std::string* text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  text->resize(max);
  const ssize_t n = ::read(fd, text->data(), max);
  ::close(fd);
  if (n < 0) return false;
  text->resize(static_cast<size_t>(n));
  return true;
}

bool WriteControlFile(const std::string& path, const std::string& text, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  const ssize_t n = ::write(fd, text.data(), text.size());
  if (n != static_cast<ssize_t>(text.size())) *error = path + ": " + std::strerror(errno);
  ::close(fd);
  return n == static_cast<ssize_t>(text.size());
}

std::vector<ControlFile> ListControlFiles(const std::string& folder) {
  std::vector<ControlFile> files;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return files;
  while (const dirent* entry = ::readdir(dir)) {
    uint32_t id = 0;
    if (IsProcessId(entry->d_name, &id)) files.push_back({id, folder + "/" + entry->d_name});
  }
  ::closedir(dir);
  return files;
}

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace libdevavu::platform
