// The cost of tracing: a trace point that is switched off, and trace records
// through QXLogTrace into the trace library, each beside its baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "devavu.h"

namespace {

// A trace point that is off: the one-byte test a component makes.
void BM_DisabledTracePoint(benchmark::State& state) {
  TraceAnchor anchor{};
  anchor.trace_flags = &anchor.local_flags;
  SetTraceHdrs(&anchor);
  for (auto _ : state) {
    // The flags byte belongs to another library and may change at any time:
    // the compiler must read it again on every pass, as in a component.
    benchmark::ClobberMemory();
    if ((*anchor.trace_flags & QX_TRACE_ON) != 0) {
      QXLogTrace(&anchor, anchor.func_call_label, "never", nullptr, 0);
    }
  }
}
BENCHMARK(BM_DisabledTracePoint);

// Baseline: the same loop without the test.
void BM_EmptyLoop(benchmark::State& state) {
  for (auto _ : state) benchmark::ClobberMemory();
}
BENCHMARK(BM_EmptyLoop);

// A component attached to the real trace library, writing to /dev/null.
class AttachedComponent {
 public:
  AttachedComponent() {
    setenv("QRXTRACEFILE", "/dev/null", 1);
    setenv("QRXTRACE", "BENCH=0x40", 1);
    anchor_.trace_flags = &anchor_.local_flags;
    anchor_.component_name = "BENCH";
    SetTraceHdrs(&anchor_);
    if (devavu_init() != 0 || devavu_init2(0) != 0 || ProcessCFNFileTraceEntry(&entry_) != 0 ||
        GetTraceErrLogAddressability("BENCH", &entry_, &anchor_) != 0) {
      std::fprintf(stderr, "trace_bench: cannot attach to the trace library\n");
      std::exit(1);
    }
  }
  ~AttachedComponent() {
    UnGetTraceErrLogAddressability("BENCH", &entry_, &anchor_);
    devavu_term();
  }
  TraceAnchor& anchor() { return anchor_; }

 private:
  TraceAnchor anchor_{};
  TraceEntry entry_{};
};

AttachedComponent& Component() {
  static AttachedComponent component;
  return component;
}

constexpr char kData[32] = "thirty-one bytes of record data";

void BM_TraceRecord(benchmark::State& state) {
  TraceAnchor& anchor = Component().anchor();
  for (auto _ : state) {
    if ((*anchor.trace_flags & QX_TRACE_ON) != 0) {
      QXLogTrace(&anchor, anchor.func_call_label, "bench_record(1, 2)", kData, sizeof kData);
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceRecord)->Threads(1)->Threads(2);

// Baselines: the same record's text and dump lines by fprintf, buffered by
// stdio, and flushed after each record as the trace library's one write is.
void FprintRecord(std::FILE* out) {
  std::fprintf(out, "%s [%d] %-8s %-12s %s\n", "2026-12-06 03:04:05.123", 12345, "BENCH",
               "FUNC CALL", "bench_record(1, 2)");
  std::fprintf(out, "    %s     < %s >\n", "74686972 74792D6F 6E652062 79746573 ",
               "thirty-one bytes");
  std::fprintf(out, "    %s     < %s >\n", "206F6620 7265636F 72642064 61746100 ",
               " of record data.");
}

void BM_FprintfBuffered(benchmark::State& state) {
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) FprintRecord(out);
  std::fclose(out);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FprintfBuffered);

void BM_FprintfFlushedPerRecord(benchmark::State& state) {
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    FprintRecord(out);
    std::fflush(out);
  }
  std::fclose(out);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FprintfFlushedPerRecord);

}  // namespace

BENCHMARK_MAIN();
