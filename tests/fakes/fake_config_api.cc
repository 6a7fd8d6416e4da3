#include "fakes/fake_config_api.h"

#include <algorithm>
#include <cstring>

#include "fakes/fakes.h"
#include "krtcapi.h"

namespace fakes {

ConfigApi& ConfigApiFake() {
  static ConfigApi api;
  return api;
}

namespace {

void Put(uint8_t* block, size_t offset, size_t width, uint32_t v) {
  for (size_t i = 0; i < width; ++i, v >>= 8) block[offset + i] = static_cast<uint8_t>(v);
}

void PutText(uint8_t* field, size_t size, const std::string& text) {
  std::memcpy(field, text.data(), std::min(text.size(), size));
}

void Answer(ConfigApi& api, uint8_t* block) {
  const size_t written = std::min<size_t>(api.entries.size(), KRTC_MAX_ENTRIES);
  const int count = api.answered_count >= 0 ? api.answered_count : static_cast<int>(api.entries.size());
  Put(block, KRTC_COUNT_OFFSET, 2, static_cast<uint32_t>(count));
  for (size_t i = 0; i < written; ++i) {
    uint8_t* entry = block + KRTC_ENTRY_OFFSET + i * KRTC_ENTRY_SIZE;
    PutText(entry, KRTC_SECTION_SIZE, api.entries[i].section);
    PutText(entry + KRTC_SECTION_SIZE, KRTC_ENTRY_NAME_SIZE, api.entries[i].name);
    PutText(entry + KRTC_SECTION_SIZE + KRTC_ENTRY_NAME_SIZE, KRTC_VALUE_SIZE,
            api.entries[i].value);
  }
}

}  // namespace

}  // namespace fakes

extern "C" uint16_t KrtcRequest(void* block, uint32_t length) {
  libdevavu::platform::LockHolder hold(fakes::Lock());
  fakes::ConfigApi& api = fakes::ConfigApiFake();
  auto* bytes = static_cast<uint8_t*>(block);
  const auto code = static_cast<uint16_t>(bytes[KRTC_REQUEST_OFFSET] | bytes[KRTC_REQUEST_OFFSET + 1] << 8);
  api.calls.push_back({code, std::vector<uint8_t>(bytes, bytes + length)});
  if (const auto failure = api.failures.find(code); failure != api.failures.end()) {
    fakes::Put(bytes, KRTC_PRIMARY_OFFSET, 2, failure->second.primary);
    fakes::Put(bytes, KRTC_SECONDARY_OFFSET, 4, static_cast<uint32_t>(failure->second.secondary));
    return failure->second.primary;
  }
  if (code == KRTC_OPEN) fakes::Put(bytes, KRTC_HANDLE_OFFSET, 4, api.handle);
  if (code == KRTC_ENTRIES) fakes::Answer(api, bytes);
  return 0;
}
