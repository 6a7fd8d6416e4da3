// The export: dispatch on the operation code and map the internal result.
#include "devavu.h"
#include "records/record_ops.h"

namespace {

using libdevavu::records::Outcome;

int32_t ResultOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDone:
      return 0;
    case Outcome::kMemory:
      return -10;
    case Outcome::kRefused:
    case Outcome::kNothingGiven:
      break;
  }
  return -1;
}

}  // namespace

extern "C" DEVAVU_API int32_t QXSMFMT(SmfmtRequest* request) {
  namespace records = libdevavu::records;
  if (request == nullptr) return -1;
  switch (request->op) {
    case SMFMT_PARSE:
      return ResultOf(records::ParseStream(*request));
    case SMFMT_BUILD:
      return ResultOf(records::BuildStream(*request));
    case SMFMT_FREE_LIST:
      return ResultOf(records::ReleaseList(*request));
    case SMFMT_FREE_BUFFER:
      return ResultOf(records::ReleaseStream(*request));
    default:
      return -1;
  }
}
