// The cost of tracing: a trace point that is switched off, and trace records
// through QXLogTrace into the trace library, each beside its baseline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "devavu.h"

#ifdef HAVE_SPDLOG
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#endif

namespace {

// Every file goes into one fresh folder on the local disk, removed at exit.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "trace_bench.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("trace_bench: mkdtemp");
      std::exit(1);
    }
    path_ = pattern;
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

const BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

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

// A component attached to the real trace library, writing to a file.
class AttachedComponent {
 public:
  AttachedComponent() {
    setenv("QRXTRACEFILE", Folder().File("library.trace").c_str(), 1);
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
BENCHMARK(BM_TraceRecord)->Threads(1)->Threads(4)->UseRealTime();

// The same record's text and dump lines by fprintf.
void FprintRecord(std::FILE* out) {
  std::fprintf(out, "%s [%d] %-8s %-12s %s\n", "2026-12-06 03:04:05.123", 12345, "BENCH",
               "FUNC CALL", "bench_record(1, 2)");
  std::fprintf(out, "    %s     < %s >\n", "74686972 74792D6F 6E652062 79746573 ",
               "thirty-one bytes");
  std::fprintf(out, "    %s     < %s >\n", "206F6620 7265636F 72642064 61746100 ",
               " of record data.");
}

// Baseline: the same lines by fprintf into a file, flushed after each
// record so that a killed process loses none of them.
void BM_FprintfFlushedPerRecord(benchmark::State& state) {
  std::FILE* out = std::fopen(Folder().File("fprintf.trace").c_str(), "a");
  for (auto _ : state) {
    FprintRecord(out);
    std::fflush(out);
  }
  std::fclose(out);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FprintfFlushedPerRecord);

// Times every call on its own and reports the spread: the longest calls
// are those that meet a rotation of the trace file (every 64 MB).
template <typename Call>
void TimeEachCall(benchmark::State& state, Call call) {
  std::vector<uint32_t> times;
  times.reserve(static_cast<size_t>(state.max_iterations));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    call();
    const auto took = std::chrono::steady_clock::now() - start;
    times.push_back(static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(took).count()));
  }
  std::sort(times.begin(), times.end());
  const auto at = [&](double share) {
    return static_cast<double>(times[static_cast<size_t>(share * (times.size() - 1))]);
  };
  state.counters["p50_ns"] = at(0.5);
  state.counters["p99_ns"] = at(0.99);
  state.counters["p99.99_ns"] = at(0.9999);
  state.counters["max_ns"] = at(1.0);
}

void BM_TraceRecordSpread(benchmark::State& state) {
  TraceAnchor& anchor = Component().anchor();
  TimeEachCall(state, [&] {
    QXLogTrace(&anchor, anchor.func_call_label, "bench_record(1, 2)", kData, sizeof kData);
  });
}
BENCHMARK(BM_TraceRecordSpread)->Iterations(4'000'000);

// Baseline: the same spread of fprintf, flushed after each record.
void BM_FprintfFlushedSpread(benchmark::State& state) {
  std::FILE* out = std::fopen(Folder().File("fprintf-spread.trace").c_str(), "a");
  TimeEachCall(state, [&] {
    FprintRecord(out);
    std::fflush(out);
  });
  std::fclose(out);
}
BENCHMARK(BM_FprintfFlushedSpread)->Iterations(1'000'000);

#ifdef HAVE_SPDLOG
// Baseline: spdlog's basic file sink, which buffers and so loses the lines
// of a killed process that it has not flushed; the same three lines, the
// dump lines given as text.
void BM_SpdlogBasicFileSink(benchmark::State& state) {
  static const auto logger = [] {
    auto made = spdlog::basic_logger_mt("bench", Folder().File("spdlog.trace"));
    made->set_pattern("%Y-%m-%d %H:%M:%S.%e [%t] %v");
    return made;
  }();
  for (auto _ : state) {
    logger->info("{:<8} {:<12} {}\n    {}     < {} >\n    {}     < {} >", "BENCH", "FUNC CALL",
                 "bench_record(1, 2)", "74686972 74792D6F 6E652062 79746573 ", "thirty-one bytes",
                 "206F6620 7265636F 72642064 61746100 ", " of record data.");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpdlogBasicFileSink)->Threads(1)->Threads(4)->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
