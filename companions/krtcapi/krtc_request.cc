// KrtcRequest: the open, entries and close requests of the configuration API.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "cfn_file.h"
#include "krtcapi.h"
#include "open_configurations.h"
#include "orvesvc.h"
#include "formats/little_endian.h"

namespace krtcapi {

namespace {

using libdevavu::formats::GetLe;
using libdevavu::formats::PutLe;

constexpr uint32_t kHeaderLength = 16;

OpenConfigurations& Configurations() {
  static OpenConfigurations open;
  return open;
}

uint16_t Answer(uint8_t* block, uint16_t primary, int32_t secondary) {
  PutLe(block, KRTC_PRIMARY_OFFSET, 2, primary);
  PutLe(block, KRTC_SECONDARY_OFFSET, 4, static_cast<uint32_t>(secondary));
  return primary;
}

uint32_t Handle(const uint8_t* block) { return GetLe(block, KRTC_HANDLE_OFFSET, 4); }

// The name without its padding; "" when it cannot name a file of the
// configuration directory.
std::string ConfigurationName(const uint8_t* block) {
  std::string_view name(reinterpret_cast<const char*>(block + KRTC_NAME_OFFSET), KRTC_NAME_SIZE);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
  if (name == "." || name == ".." || name.find_first_of(std::string_view("/\0", 2)) != name.npos) {
    return {};
  }
  return std::string(name);
}

std::filesystem::path ConfigurationFile(const std::string& name) {
  const char* dir = win32_getcfg("QRXCFNDIR");
  const std::filesystem::path base = dir != nullptr && *dir != '\0' ? dir : ".";
  return base / (name + ".cfn");
}

uint16_t OpenConfiguration(uint8_t* block) {
  const std::string name = ConfigurationName(block);
  if (name.empty()) return Answer(block, KRTC_RC_BAD_NAME, 0);
  const std::filesystem::path path = ConfigurationFile(name);
  std::error_code ignored;
  std::ifstream in(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, ignored) || !in) {
    return Answer(block, KRTC_RC_NOT_FOUND, 0);
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Answer(block, KRTC_RC_NOT_FOUND, 0);
  CfnFile file = ParseCfnFile(text);
  if (file.error_line != 0) {
    return Answer(block, KRTC_RC_BAD_FILE, static_cast<int32_t>(file.error_line));
  }
  const uint32_t handle = Configurations().Add(
      std::make_shared<const std::vector<CfnEntry>>(std::move(file.entries)));
  PutLe(block, KRTC_HANDLE_OFFSET, 4, handle);
  return Answer(block, KRTC_RC_OK, 0);
}

// Fields are known to fit: the file reader refuses longer texts.
void PutText(uint8_t* field, const std::string& text) {
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
}

uint16_t AnswerEntries(uint8_t* block) {
  const Entries entries = Configurations().Find(Handle(block));
  if (entries == nullptr) return Answer(block, KRTC_RC_BAD_HANDLE, 0);
  if (entries->size() > KRTC_MAX_ENTRIES) {
    return Answer(block, KRTC_RC_REFUSED, KRTC_TOO_MANY_ENTRIES);
  }
  PutLe(block, KRTC_COUNT_OFFSET, 2, static_cast<uint32_t>(entries->size()));
  for (size_t i = 0; i < entries->size(); ++i) {
    uint8_t* entry = block + KRTC_ENTRY_OFFSET + i * KRTC_ENTRY_SIZE;
    std::memset(entry, 0, KRTC_ENTRY_SIZE);
    PutText(entry, (*entries)[i].section);
    PutText(entry + KRTC_SECTION_SIZE, (*entries)[i].name);
    PutText(entry + KRTC_SECTION_SIZE + KRTC_ENTRY_NAME_SIZE, (*entries)[i].value);
  }
  return Answer(block, KRTC_RC_OK, 0);
}

uint16_t CloseConfiguration(uint8_t* block) {
  return Configurations().Remove(Handle(block)) ? Answer(block, KRTC_RC_OK, 0)
                                                : Answer(block, KRTC_RC_BAD_HANDLE, 0);
}

uint16_t Carry(uint8_t* block, uint32_t length) {
  const uint32_t code = GetLe(block, KRTC_REQUEST_OFFSET, 2);
  uint32_t needed = 0;
  switch (code) {
    case KRTC_OPEN: needed = KRTC_OPEN_LENGTH; break;
    case KRTC_ENTRIES: needed = KRTC_ENTRIES_LENGTH; break;
    case KRTC_CLOSE: needed = KRTC_CLOSE_LENGTH; break;
    default: return Answer(block, KRTC_RC_BAD_REQUEST, 0);
  }
  if (length != needed) return Answer(block, KRTC_RC_BAD_LENGTH, static_cast<int32_t>(needed));
  switch (code) {
    case KRTC_OPEN: return OpenConfiguration(block);
    case KRTC_ENTRIES: return AnswerEntries(block);
    default: return CloseConfiguration(block);
  }
}

}  // namespace

}  // namespace krtcapi

extern "C" KRTCAPI_API uint16_t KrtcRequest(void* block, uint32_t length) {
  auto* bytes = static_cast<uint8_t*>(block);
  if (bytes == nullptr || length < krtcapi::kHeaderLength) return KRTC_RC_BAD_LENGTH;
  // No exception may cross into a C caller.
  try {
    return krtcapi::Carry(bytes, length);
  } catch (const std::bad_alloc&) {
    return krtcapi::Answer(bytes, KRTC_RC_NO_MEMORY, 0);
  }
}
