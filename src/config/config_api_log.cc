#include "config/config_api_log.h"

#include <cstdarg>
#include <cstdio>

#include "frame/common_services.h"

namespace libdevavu::config {

namespace {

constexpr uint16_t kLogOption = 1;
constexpr uint32_t kCodeBase = 0x10000;

}  // namespace

uint32_t AttachConfigReader(LogFacilitiesEntry log) {
  if (log == nullptr) return 0;
  LogRequest request{};
  request.attach.component_name = frame::kOwnComponentName;
  log(LOGREQ_ATTACH, &request);
  return static_cast<uint32_t>(request.attach.error_id_base);
}

void DetachConfigReader(LogFacilitiesEntry log) {
  if (log == nullptr) return;
  LogRequest request{};
  request.attach.component_name = frame::kOwnComponentName;
  log(LOGREQ_DETACH, &request);
}

void LogCfgApiError(LogFacilitiesEntry log, uint32_t error_id_base, const CfgApiErrorCase& error,
                    const char* format, ...) {
  if (log == nullptr) return;
  char text[256];
  va_list inserts;
  va_start(inserts, format);
  std::vsnprintf(text, sizeof text, format, inserts);
  va_end(inserts);

  LogRequest request{};
  LogErrorRequest& record = request.error;
  record.component_name = frame::kOwnComponentName;
  record.error_id = error_id_base + error.site;
  record.log_option = kLogOption;
  record.msg_no = error.msg_no;
  record.code = kCodeBase + error.msg_no;
  record.data = text;
  record.msg_id = error.msg_id;
  log(LOGREQ_ERROR, &request);
}

}  // namespace libdevavu::config
