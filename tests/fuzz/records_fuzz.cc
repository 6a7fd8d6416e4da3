// Record streams arrive from the network: parse any bytes, build what parsed,
// release both, and leave no block behind. A built stream has each type's
// records together, so parsing and building it again must give it back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "devavu.h"
#include "orvesvc.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

int32_t Run(SmfmtRequest& request, uint16_t op) {
  request.op = op;
  return QXSMFMT(&request);
}

void ReleaseList(SmfmtRequest& request) {
  if (request.groups != nullptr) Require(Run(request, SMFMT_FREE_LIST) == 0);
}

// The stream built from a parse of bytes; empty when the list was not built.
std::vector<uint8_t> ParseAndBuild(const uint8_t* bytes, size_t size, int32_t* parsed) {
  static const uint8_t no_bytes = 0;
  SmfmtRequest request{};
  request.buf = const_cast<uint8_t*>(size != 0 ? bytes : &no_bytes);
  request.len = static_cast<int32_t>(size);
  *parsed = Run(request, SMFMT_PARSE);
  Require(*parsed == 0 || *parsed == -1);
  std::vector<uint8_t> built;
  if (*parsed == 0 && request.groups != nullptr) {
    const int32_t result = Run(request, SMFMT_BUILD);
    Require(result == 0 || result == -1);
    if (result == 0) {
      Require(request.len > 0 && request.len <= SMFMT_MAX_STREAM);
      built.assign(request.buf, request.buf + request.len);
      Require(Run(request, SMFMT_FREE_BUFFER) == 0);
    }
  }
  ReleaseList(request);
  return built;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX) return 0;
  const int64_t live_before = OrvMemLiveBlocks();

  int32_t parsed = 0;
  const std::vector<uint8_t> built = ParseAndBuild(data, size, &parsed);
  if (!built.empty()) {
    int32_t reparsed = 0;
    Require(ParseAndBuild(built.data(), built.size(), &reparsed) == built);
    Require(reparsed == 0);
  }

  Require(OrvMemLiveBlocks() == live_before);
  return 0;
}
