// Record streams arrive from the network: parse any bytes, build what parsed,
// release both, and leave no block behind. A built stream has each type's
// records together, so parsing and building it again must give it back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "devavu.h"
#include "orvesvc.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The stream built from a parse of bytes; empty when nothing was built.
std::vector<uint8_t> ParseAndBuild(const uint8_t* bytes, size_t size) {
  static const uint8_t no_bytes = 0;
  SmfmtRequest request{};
  request.len = static_cast<int32_t>(size);
  request.buf = const_cast<uint8_t*>(size != 0 ? bytes : &no_bytes);
  const int32_t parsed = QXSMFMT(&request);
  Require(parsed == 0 || parsed == -1);
  std::vector<uint8_t> built;
  request.op = SMFMT_BUILD;
  if (parsed == 0 && request.groups != nullptr && QXSMFMT(&request) == 0) {
    Require(request.len > 0 && request.len <= SMFMT_MAX_STREAM);
    built.assign(request.buf, request.buf + request.len);
    request.op = SMFMT_FREE_BUFFER;
    Require(QXSMFMT(&request) == 0);
  }
  request.op = SMFMT_FREE_LIST;
  Require(request.groups == nullptr || QXSMFMT(&request) == 0);
  return built;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX) return 0;
  const int64_t live_before = OrvMemLiveBlocks();
  const std::vector<uint8_t> built = ParseAndBuild(data, size);
  Require(built.empty() || ParseAndBuild(built.data(), built.size()) == built);
  Require(OrvMemLiveBlocks() == live_before);
  return 0;
}
