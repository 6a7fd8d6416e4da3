// Parse and build of a 60 KB record stream of small and of large records,
// beside a baseline that only walks the record headers of the same stream.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "devavu.h"

namespace {

constexpr size_t kStreamBytes = 60000;

// Records of record_length bytes (header included) up to kStreamBytes, their
// types taking turns over 1 to 8 so that the list has several groups.
std::vector<uint8_t> MakeStream(size_t record_length) {
  std::vector<uint8_t> stream;
  for (size_t n = 0; stream.size() + record_length <= kStreamBytes; ++n) {
    stream.push_back(static_cast<uint8_t>(1 + n % 8));
    stream.push_back(static_cast<uint8_t>(n));
    stream.push_back(static_cast<uint8_t>(record_length >> 8));
    stream.push_back(static_cast<uint8_t>(record_length));
    for (size_t i = 4; i < record_length; ++i) stream.push_back(static_cast<uint8_t>(n + i));
  }
  return stream;
}

void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "records_bench: %s failed\n", what);
    std::exit(1);
  }
}

void Report(benchmark::State& state, const std::vector<uint8_t>& stream) {
  const size_t records = stream.size() / static_cast<size_t>(state.range(0));
  state.counters["records/s"] = benchmark::Counter(static_cast<double>(records),
                                                   benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}

SmfmtRequest ParseRequest(std::vector<uint8_t>& stream) {
  SmfmtRequest request{};
  request.op = SMFMT_PARSE;
  request.buf = stream.data();
  request.len = static_cast<int32_t>(stream.size());
  return request;
}

void FreeList(SmfmtRequest& request) {
  request.op = SMFMT_FREE_LIST;
  Require(QXSMFMT(&request) == 0, "list release");
}

// Baseline: reads each header and steps to the next record, as any reader of
// the stream must.
void BM_WalkHeaders(benchmark::State& state) {
  const std::vector<uint8_t> stream = MakeStream(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    size_t at = 0;
    unsigned types = 0;
    while (at + 4 <= stream.size()) {
      const size_t length = static_cast<size_t>(stream[at + 2] << 8 | stream[at + 3]);
      if (length < 4) break;
      types |= 1u << (stream[at] & 31);
      at += length;
    }
    benchmark::DoNotOptimize(types);
    benchmark::DoNotOptimize(at);
  }
  Report(state, stream);
}
BENCHMARK(BM_WalkHeaders)->Arg(16)->Arg(1000);

// Baseline: the same walk making the two blocks per record that a list of
// the records needs (its node and a copy of its data), released untimed as
// the parse's list is.
void BM_WalkHeadersTwoMallocs(benchmark::State& state) {
  const std::vector<uint8_t> stream = MakeStream(static_cast<size_t>(state.range(0)));
  std::vector<void*> blocks;
  blocks.reserve(stream.size() / 2);
  for (auto _ : state) {
    size_t at = 0;
    while (at + 4 <= stream.size()) {
      const size_t length = static_cast<size_t>(stream[at + 2] << 8 | stream[at + 3]);
      if (length < 4) break;
      void* node = std::malloc(sizeof(SmfmtRecord));
      void* data = std::malloc(length - 4);
      Require(node != nullptr && data != nullptr, "malloc");
      std::memcpy(data, &stream[at + 4], length - 4);
      blocks.push_back(node);
      blocks.push_back(data);
      at += length;
    }
    benchmark::DoNotOptimize(blocks.data());
    state.PauseTiming();
    for (void* block : blocks) std::free(block);
    blocks.clear();
    state.ResumeTiming();
  }
  Report(state, stream);
}
BENCHMARK(BM_WalkHeadersTwoMallocs)->Arg(16)->Arg(1000);

// Stream to list; the list release is not timed.
void BM_Parse(benchmark::State& state) {
  std::vector<uint8_t> stream = MakeStream(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    SmfmtRequest request = ParseRequest(stream);
    Require(QXSMFMT(&request) == 0, "parse");
    state.PauseTiming();
    FreeList(request);
    state.ResumeTiming();
  }
  Report(state, stream);
}
BENCHMARK(BM_Parse)->Arg(16)->Arg(1000);

// List to stream, from the list of a parse; the stream release and the
// reset of the list for the next build are not timed.
void BM_Build(benchmark::State& state) {
  std::vector<uint8_t> stream = MakeStream(static_cast<size_t>(state.range(0)));
  SmfmtRequest request = ParseRequest(stream);
  Require(QXSMFMT(&request) == 0, "parse");
  for (auto _ : state) {
    request.op = SMFMT_BUILD;
    Require(QXSMFMT(&request) == 0, "build");
    state.PauseTiming();
    request.op = SMFMT_FREE_BUFFER;
    Require(QXSMFMT(&request) == 0, "stream release");
    for (SmfmtGroup* g = request.groups; g != nullptr; g = g->next) {
      for (SmfmtRecord* r = g->first; r != nullptr; r = r->next) {
        r->len = static_cast<uint16_t>(r->len - 4);
        r->flags = 0;
      }
    }
    state.ResumeTiming();
  }
  FreeList(request);
  Report(state, stream);
}
BENCHMARK(BM_Build)->Arg(16)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
