// No box on this system: the message goes to standard error and to syslog.
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/message_box.h"
#include "platform/platform.h"

namespace libdevavu::platform {

namespace {

constexpr char kSyslogSocket[] = "/dev/log";
// A message box holds at most a few hundred characters; longer texts are cut.
constexpr size_t kLineMax = 1024;

// Sends one user.err message to the syslog datagram socket at socket_path,
// without waiting for a reader: false when it could not be sent.
bool SendToSyslog(const char* socket_path, std::string_view ident, std::string_view text) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(socket_path) >= sizeof address.sun_path) return false;
  std::strcpy(address.sun_path, socket_path);

  // The line that syslog(3) would send, made here so that the ident of the
  // program that loaded the library stays as that program set it.
  char stamp[32] = "";
  const time_t now = time(nullptr);
  struct tm local {};
  if (localtime_r(&now, &local) != nullptr) strftime(stamp, sizeof stamp, "%b %e %T", &local);
  char line[kLineMax];
  const int length = std::snprintf(line, sizeof line, "<%d>%s %.*s[%d]: %.*s", LOG_USER | LOG_ERR,
                                   stamp, static_cast<int>(ident.size()), ident.data(),
                                   static_cast<int>(getpid()), static_cast<int>(text.size()),
                                   text.data());
  if (length < 0) return false;
  const size_t size = static_cast<size_t>(length) < sizeof line ? length : sizeof line - 1;

  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const ssize_t sent = sendto(fd, line, size, MSG_DONTWAIT | MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(fd);
  return sent == static_cast<ssize_t>(size);
}

}  // namespace

void ShowMessageBox(std::string_view caption, std::string_view text) {
  char line[kLineMax];
  const int length = std::snprintf(line, sizeof line, "%.*s: %.*s\n",
                                    static_cast<int>(caption.size()), caption.data(),
                                    static_cast<int>(text.size()), text.data());
  if (length > 0) {
    const size_t size = static_cast<size_t>(length) < sizeof line ? length : sizeof line - 1;
    if (line[size - 1] != '\n') line[size - 1] = '\n';
    WriteStandardError(std::string_view(line, size));
  }
  SendToSyslog(kSyslogSocket, caption, text);
}

}  // namespace libdevavu::platform
