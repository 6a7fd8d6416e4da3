#include "config/section_list.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "formats/little_endian.h"
#include "frame/common_services.h"
#include "krtcapi.h"

namespace libdevavu::config {

namespace {

using formats::GetLe;
using formats::PutLe;

std::string_view FieldText(const uint8_t* field, size_t size) {
  const auto* text = reinterpret_cast<const char*>(field);
  return std::string_view(text, strnlen(text, size));
}

CFNEntry* NewEntry(std::string_view name, std::string_view value) {
  auto* node = static_cast<CFNEntry*>(MEMGET(0, sizeof(CFNEntry)));
  if (node == nullptr) return nullptr;
  node->name = frame::CopyToMemgetBlock(name.data(), name.size());
  node->value =
      node->name != nullptr ? frame::CopyToMemgetBlock(value.data(), value.size()) : nullptr;
  if (node->value == nullptr) {
    if (node->name != nullptr) MEMFREE(0, node->name);
    MEMFREE(0, node);
    return nullptr;
  }
  node->next = nullptr;
  return node;
}

}  // namespace

int32_t BuildSectionList(const uint8_t* answer, const char* section, CFNEntry** head) {
  std::string_view bare = section;
  if (bare.starts_with('[')) bare.remove_prefix(1);
  if (bare.ends_with(']')) bare.remove_suffix(1);
  *head = nullptr;
  const uint32_t count =
      std::min<uint32_t>(GetLe(answer, KRTC_COUNT_OFFSET, 2), KRTC_MAX_ENTRIES);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = answer + KRTC_ENTRY_OFFSET + i * KRTC_ENTRY_SIZE;
    if (FieldText(entry, KRTC_SECTION_SIZE) != bare) continue;
    CFNEntry* node = NewEntry(FieldText(entry + KRTC_SECTION_SIZE, KRTC_ENTRY_NAME_SIZE),
                              FieldText(entry + KRTC_SECTION_SIZE + KRTC_ENTRY_NAME_SIZE,
                                        KRTC_VALUE_SIZE));
    if (node == nullptr) return DV_UNUSABLE;
    node->next = *head;
    *head = node;
  }
  return 0;
}

}  // namespace libdevavu::config
