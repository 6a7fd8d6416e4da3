// The registry over the export file named by QRX_REGISTRY. Each operation
// that starts from HKEY_LOCAL_MACHINE looks at the file's identity (device,
// inode, size, modification time) and reads it again when that changed; an
// open key holds on to the contents it was opened on.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "formats/reg_file.h"
#include "platform/platform.h"
#include "platform/registry.h"

namespace libdevavu::platform {

using formats::ParseRegFile;
using formats::RegFileContents;
using formats::RegNode;
using formats::RegValue;

// One reading of the file. The cache holds the latest, every open key the
// one it was opened on; the last holder deletes it.
using Snapshot = std::shared_ptr<const RegNode>;

struct RegKeyData {
  Snapshot snapshot;  // empty for HKEY_LOCAL_MACHINE itself and the empty registry
  const RegNode* node;
};

namespace {

// The largest registry file read: real exports hold a few MB. A longer file,
// or an endless one such as /dev/zero, is refused, not read to its end.
constexpr size_t kMaxRegistryFile = size_t{64} << 20;

struct FileStamp {
  bool operator==(const FileStamp&) const = default;
  int error = 0;
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  off_t size = 0;
  time_t mtime = 0;
  long mtime_nsec = 0;
};

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileStamp{errno};
  return FileStamp{0,           info.st_dev,         info.st_ino,         info.st_mode,
                   info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

// At most kMaxRegistryFile bytes of the file, and one more when it is longer:
// the caller tells a file over the limit by its length.
bool ReadCapped(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  char chunk[65536];
  while (in && bytes->size() <= kMaxRegistryFile) {
    in.read(chunk, sizeof chunk);
    bytes->append(chunk, static_cast<size_t>(in.gcount()));
  }
  return in.eof() || bytes->size() > kMaxRegistryFile;
}

// What HKEY_LOCAL_MACHINE holds now: a tree, or the reason there is none.
struct Contents {
  Snapshot snapshot;
  const RegNode* root = nullptr;
  int32_t error = kRegOk;
};

class RegistryFile {
 public:
  Contents Current() {
    const char* named = std::getenv("QRX_REGISTRY");
    if (named == nullptr || *named == '\0') return Contents{{}, &Empty(), kRegOk};
    try {
      const std::string path = named;
      std::lock_guard<std::mutex> hold(mutex_);
      const FileStamp stamp = StampOf(path);
      if (!loaded_ || path != path_ || !(stamp == stamp_)) {
        path_ = path;
        stamp_ = stamp;
        error_ = Load(path, stamp, &snapshot_);
        // Out of memory is no verdict on the file: try again next time.
        loaded_ = error_ != kRegNoMemory;
      }
      return Contents{snapshot_, snapshot_.get(), error_};
    } catch (const std::bad_alloc&) {
      return Contents{{}, nullptr, kRegNoMemory};
    }
  }

 private:
  static const RegNode& Empty() {
    static const RegNode empty("HKEY_LOCAL_MACHINE");
    return empty;
  }

  // Reports a file that cannot serve once, when it is read.
  static int32_t Load(const std::string& path, const FileStamp& stamp, Snapshot* snapshot) {
    snapshot->reset();
    const auto refuse = [&path](const std::string& why) {
      WriteStandardError("devavu: registry file " + path + " " + why +
                         "; every registry read fails until the file changes\n");
      return kRegIoFailed;
    };
    const std::string unreadable = "cannot be read: ";
    const std::string too_large = "is larger than 64 MiB, the most that is read";
    if (stamp.error != 0) return refuse(unreadable + std::strerror(stamp.error));
    if (S_ISDIR(stamp.mode)) return refuse("is a directory, not a file");
    if (static_cast<uint64_t>(stamp.size) > kMaxRegistryFile) return refuse(too_large);
    std::string bytes;
    if (!ReadCapped(path, &bytes)) return refuse(unreadable + std::strerror(errno));
    if (bytes.size() > kMaxRegistryFile) return refuse(too_large);
    RegFileContents parsed = ParseRegFile(bytes);
    if (parsed.local_machine == nullptr) {
      char line[24];
      std::snprintf(line, sizeof line, "%zu", parsed.error.line);
      WriteStandardError("devavu: registry file " + path + ", line " + line + ": " +
                         parsed.error.what +
                         "; every registry read fails until the file is corrected\n");
      return kRegCorrupt;
    }
    *snapshot = std::move(parsed.local_machine);
    return kRegOk;
  }

  std::mutex mutex_;
  bool loaded_ = false;
  std::string path_;
  FileStamp stamp_;
  Snapshot snapshot_;
  int32_t error_ = kRegOk;
};

RegistryFile& TheFile() {
  static RegistryFile file;
  return file;
}

RegKeyData local_machine_key{{}, nullptr};

// The contents and node a key stands for.
int32_t Resolve(RegKey key, RegKeyData* view) {
  if (key == nullptr) return kRegInvalidHandle;
  if (key != &local_machine_key) {
    *view = *key;
    return kRegOk;
  }
  Contents now = TheFile().Current();
  if (now.root == nullptr) return now.error;
  view->snapshot = std::move(now.snapshot);
  view->node = now.root;
  return kRegOk;
}

int32_t CopyData(const RegValue& value, uint32_t* type, uint8_t* data, uint32_t* data_length) {
  if (type != nullptr) *type = value.type;
  if (data_length == nullptr) return kRegOk;
  const auto size = static_cast<uint32_t>(value.data.size());
  const bool fits = *data_length >= size;
  *data_length = size;
  if (data == nullptr) return kRegOk;
  if (!fits) return kRegMoreData;
  if (size != 0) std::memcpy(data, value.data.data(), size);
  return kRegOk;
}

}  // namespace

RegKey LocalMachineKey() { return &local_machine_key; }

int32_t OpenRegistryKey(RegKey parent, const char* subkey, RegKey* result) {
  if (result == nullptr) return kRegInvalidParameter;
  RegKeyData view{};
  if (const int32_t rc = Resolve(parent, &view); rc != kRegOk) return rc;
  std::string_view path = subkey != nullptr ? subkey : "";
  while (!path.empty()) {
    const size_t sep = path.find('\\');
    view.node = view.node->FindChild(path.substr(0, sep));
    if (view.node == nullptr) return kRegFileNotFound;
    path = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
  }
  *result = new (std::nothrow) RegKeyData(std::move(view));
  return *result != nullptr ? kRegOk : kRegNoMemory;
}

int32_t QueryRegistryKeyInfo(RegKey key, RegKeyInfo* info) {
  if (info == nullptr) return kRegInvalidParameter;
  RegKeyData view{};
  if (const int32_t rc = Resolve(key, &view); rc != kRegOk) return rc;
  *info = RegKeyInfo{};
  for (const RegValue& value : view.node->values()) {
    ++info->values;
    info->longest_value_name =
        std::max(info->longest_value_name, static_cast<uint32_t>(value.name.size()));
    info->longest_value_data =
        std::max(info->longest_value_data, static_cast<uint32_t>(value.data.size()));
  }
  return kRegOk;
}

int32_t QueryRegistryValue(RegKey key, const char* name, uint32_t* type, uint8_t* data,
                           uint32_t* data_length) {
  if (data != nullptr && data_length == nullptr) return kRegInvalidParameter;
  RegKeyData view{};
  if (const int32_t rc = Resolve(key, &view); rc != kRegOk) return rc;
  const RegValue* value = view.node->FindValue(name != nullptr ? name : "");
  return value != nullptr ? CopyData(*value, type, data, data_length) : kRegFileNotFound;
}

int32_t EnumRegistryValue(RegKey key, uint32_t index, char* name, uint32_t* name_length,
                          uint32_t* type, uint8_t* data, uint32_t* data_length) {
  if (name == nullptr || name_length == nullptr || (data != nullptr && data_length == nullptr)) {
    return kRegInvalidParameter;
  }
  RegKeyData view{};
  if (const int32_t rc = Resolve(key, &view); rc != kRegOk) return rc;
  const auto& values = view.node->values();
  if (index >= values.size()) return kRegNoMoreItems;
  const RegValue& value = values[index];
  if (*name_length <= value.name.size()) return kRegMoreData;
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *name_length = static_cast<uint32_t>(value.name.size());
  return CopyData(value, type, data, data_length);
}

int32_t CloseRegistryKey(RegKey key) {
  if (key == nullptr) return kRegInvalidHandle;
  if (key != &local_machine_key) delete key;
  return kRegOk;
}

}  // namespace libdevavu::platform
