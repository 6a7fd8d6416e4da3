#include <windows.h>
// winnt.h makes YieldProcessor a macro; the platform layer has a function of that name.
#undef YieldProcessor

#include <io.h>

#include "platform/trace_file.h"
#include "platform/win32/system_error.h"

namespace libdevavu::platform {

namespace {

// The handle lives in a C runtime descriptor, so that the class keeps one
// int for every OS.
HANDLE ToHandle(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return where;
}

// Windows locks bytes, and a locked byte cannot be written through another
// handle: the whole-file lock is one byte far beyond any data.
constexpr uint64_t kLockOffset = uint64_t{0x7FFFFFFF} << 32;

uint64_t IdentityOfHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return 0;
  const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return (static_cast<uint64_t>(info.dwVolumeSerialNumber) << 40) ^ index;
}

}  // namespace

SharedFile::~SharedFile() { Close(); }

bool SharedFile::Open(const std::string& path, std::string* error) {
  Close();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = SystemErrorText(GetLastError());
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    *error = "not a regular file";
    CloseHandle(file);
    return false;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
  if (descriptor < 0) {
    *error = "no file descriptor left";
    CloseHandle(file);
    return false;
  }
  handle_ = descriptor;
  return true;
}

void SharedFile::Close() {
  if (handle_ >= 0) _close(handle_);
  handle_ = -1;
}

uint64_t SharedFile::Size() const {
  LARGE_INTEGER size;
  return handle_ >= 0 && GetFileSizeEx(ToHandle(handle_), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool SharedFile::Grow(uint64_t, uint64_t to) {
  // Windows allocates the blocks of a file's new end when it is set.
  return Size() >= to || Truncate(to);
}

bool SharedFile::Truncate(uint64_t size) {
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(ToHandle(handle_), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool SharedFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    OVERLAPPED where = At(offset);
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(ToHandle(handle_), bytes, chunk, &written, &where) || written == 0) return false;
    bytes += written;
    offset += written;
    size -= written;
  }
  return true;
}

uint64_t SharedFile::Identity() const { return handle_ >= 0 ? IdentityOfHandle(ToHandle(handle_)) : 0; }

void* SharedFile::Map(uint64_t offset, size_t length) {
  const uint64_t end = offset + length;
  HANDLE mapping = CreateFileMappingA(ToHandle(handle_), nullptr, PAGE_READWRITE, static_cast<DWORD>(end >> 32),
                                      static_cast<DWORD>(end), nullptr);
  if (mapping == nullptr) return nullptr;
  void* address = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, static_cast<DWORD>(offset >> 32),
                                static_cast<DWORD>(offset), length);
  // The view keeps the mapping alive.
  CloseHandle(mapping);
  return address;
}

void SharedFile::Unmap(void* address, size_t) { UnmapViewOfFile(address); }

void SharedFile::PrepareForWriting(void*, size_t) {}

size_t SharedFile::MapGranularity() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwAllocationGranularity;
}

bool SharedFile::TryLockExclusive() {
  OVERLAPPED where = At(kLockOffset);
  return LockFileEx(ToHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
}

bool SharedFile::LockShared() {
  OVERLAPPED where = At(kLockOffset);
  return LockFileEx(ToHandle(handle_), 0, 0, 1, 0, &where) != 0;
}

void SharedFile::Unlock() {
  OVERLAPPED where = At(kLockOffset);
  UnlockFileEx(ToHandle(handle_), 0, 1, 0, &where);
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

uint64_t IdentityOf(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const uint64_t identity = IdentityOfHandle(file);
  CloseHandle(file);
  return identity;
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

// Windows processes do not fork.
uint32_t ForkGeneration() { return 0; }

bool ProcessMayExist(uint32_t process_id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

void YieldProcessor() { SwitchToThread(); }

void SleepBriefly() { Sleep(1); }

}  // namespace libdevavu::platform
