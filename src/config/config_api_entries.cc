#include "config/config_api_entries.h"

#include <array>
#include <cstring>

#include "config/config_api_log.h"
#include "formats/little_endian.h"
#include "config/section_list.h"
#include "config/sections.h"
#include "frame/common_services.h"
#include "krtcapi.h"

namespace libdevavu::config {

namespace {

using formats::GetLe;
using formats::PutLe;

constexpr uint8_t kOpenLevel = 7;
constexpr char kApiFailure[] = "KRT_CFG_API primary_rc=%d, secondary_rc=%d";

// A zeroed block of the request code's length, with its header.
template <size_t Length>
std::array<uint8_t, Length> Request(uint16_t code, uint32_t handle) {
  std::array<uint8_t, Length> block{};
  PutLe(block.data(), KRTC_HANDLE_OFFSET, 4, handle);
  PutLe(block.data(), KRTC_REQUEST_OFFSET, 2, code);
  return block;
}

template <size_t Length>
bool Send(std::array<uint8_t, Length>& block) {
  return KrtcRequest(block.data(), Length) == 0;
}

int Primary(const uint8_t* block) {
  return static_cast<uint16_t>(GetLe(block, KRTC_PRIMARY_OFFSET, 2));
}

int32_t Secondary(const uint8_t* block) {
  return static_cast<int32_t>(GetLe(block, KRTC_SECONDARY_OFFSET, 4));
}

// The name field holds at most its 260 bytes of the name; the rest is blanks.
std::array<uint8_t, KRTC_OPEN_LENGTH> OpenRequest(const char* name) {
  auto block = Request<KRTC_OPEN_LENGTH>(KRTC_OPEN, 0);
  std::memset(block.data() + KRTC_NAME_OFFSET, ' ', KRTC_NAME_SIZE);
  if (name != nullptr) std::memcpy(block.data() + KRTC_NAME_OFFSET, name, strnlen(name, KRTC_NAME_SIZE));
  block[KRTC_OPEN_LEVEL_OFFSET] = kOpenLevel;
  return block;
}

int32_t RequestEntries(uint32_t handle, CFNFileEntries* entries, LogFacilitiesEntry log,
                       uint32_t base) {
  auto answer = Request<KRTC_ENTRIES_LENGTH>(KRTC_ENTRIES, handle);
  if (!Send(answer)) {
    if (Secondary(answer.data()) == KRTC_TOO_MANY_ENTRIES) return DV_CFG_TOO_MANY_ENTRIES;
    LogCfgApiError(log, base, kEntriesFailed, kApiFailure, Primary(answer.data()),
                   Secondary(answer.data()));
    return DV_UNUSABLE;
  }
  for (const Section& section : kSections) {
    if (BuildSectionList(answer.data(), section.name, &(entries->*section.list)) != 0) {
      return DV_UNUSABLE;
    }
  }
  return 0;
}

void CloseConfiguration(uint32_t handle, LogFacilitiesEntry log, uint32_t base) {
  auto close = Request<KRTC_CLOSE_LENGTH>(KRTC_CLOSE, handle);
  if (!Send(close)) {
    LogCfgApiError(log, base, kCloseFailed, kApiFailure, Primary(close.data()),
                   Secondary(close.data()));
  }
}

}  // namespace

int32_t ReadConfigApiEntries(CFNFileEntries* entries, LogFacilitiesEntry log) {
  TraceEntry trace{};
  if (const int32_t rc = ProcessCFNFileTraceEntry(&trace); rc != 0) return rc;
  entries->trace_module_name = trace.module_name;
  entries->trace_entry_name = trace.entry_name;

  const uint32_t base = AttachConfigReader(log);
  char* name = nullptr;
  GetActiveConfig(&name);
  int32_t result = DV_UNUSABLE;
  auto open = OpenRequest(name);
  if (!Send(open)) {
    LogCfgApiError(log, base, kOpenFailed, "KRT_CFG_API(%s) primary_rc=%d, secondary_rc=%d",
                   name != nullptr ? name : "", Primary(open.data()), Secondary(open.data()));
  } else {
    const uint32_t handle = GetLe(open.data(), KRTC_HANDLE_OFFSET, 4);
    result = RequestEntries(handle, entries, log, base);
    CloseConfiguration(handle, log, base);
  }
  DetachConfigReader(log);
  return result;
}

}  // namespace libdevavu::config
