// qrx demo: runs a component through the library's services and shows what
// happened, step by step.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "commands.h"
#include "devavu.h"
#include "sample_component.h"

namespace qrx {

namespace {

constexpr char kComponent[] = "DEMO";

struct DemoFailure {
  std::string step;
  std::string reason;
};

void Section(int number, const char* title) { std::printf("\n[%d] %s\n", number, title); }

// The trace file: the user's QRXTRACEFILE, or a fresh one in the temporary
// directory. Set before the first attach, which opens it.
std::string PrepareTraceFile() {
  if (const char* chosen = std::getenv("QRXTRACEFILE"); chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qrx-demo";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "trace.log";
  std::filesystem::remove(file);
  setenv("QRXTRACEFILE", file.c_str(), 1);
  return file.string();
}

void Check(bool ok, const char* step, const std::string& reason) {
  if (!ok) throw DemoFailure{step, reason};
}

// A timer of the sample component: interval 300 ms, two re-arms, so its
// callback OnTimer in libsample.so is called three times, final on the last.
void RunTimer() {
  constexpr uint32_t kCorr = 7;
  SampleReset();
  TimerRequest request{kCorr, 300, 2, "SAMPLE", "OnTimer"};
  const int32_t added = QXTIMER(QXTIMER_ADD, &request);
  Check(added == QXTIMER_OK, "timer", "QXTIMER gave " + std::to_string(added));
  std::printf("    QXTIMER(add corr=%u, interval=300 ms, retry_limit=2, SAMPLE/OnTimer) = 0\n",
              kCorr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int shown = 0;
  while (SampleTimerFinals(kCorr) == 0) {
    Check(std::chrono::steady_clock::now() < deadline, "timer",
          "the callback was not called three times within 10 s");
    for (; shown < SampleTimerCalls(kCorr); ++shown) {
      std::printf("    OnTimer(corr=%u) called, call %d\n", kCorr, shown + 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (; shown < SampleTimerCalls(kCorr); ++shown) {
    std::printf("    OnTimer(corr=%u) called, call %d (final)\n", kCorr, shown + 1);
  }
}

void RunDemo(const std::string& trace_file) {
  Section(1, "Start-up");
  const int init = devavu_init();
  Check(init == 0, "start-up", "devavu_init gave " + std::to_string(init));
  const int init2 = devavu_init2(0);
  Check(init2 == 0, "start-up", "devavu_init2 gave " + std::to_string(init2));
  uint8_t version[4] = {};
  devavu(0, version);
  std::printf("    devavu_init = 0, devavu_init2 = 0, library answers %d.%d.%d.%d\n", version[0],
              version[1], version[2], version[3]);

  Section(2, "Attach to the trace library");
  TraceAnchor anchor{};
  anchor.trace_flags = &anchor.local_flags;
  anchor.component_name = kComponent;
  SetTraceHdrs(&anchor);
  TraceEntry entry{};
  Check(ProcessCFNFileTraceEntry(&entry) == 0, "attach", "no default trace entry");
  std::printf("    trace library %s, entry point %s\n", entry.module_name, entry.entry_name);
  const int attach = GetTraceErrLogAddressability(kComponent, &entry, &anchor);
  Check(attach == 0, "attach",
        "GetTraceErrLogAddressability gave " + std::to_string(attach) +
            " (is libvirarudi.so next to libdevavu.so or on QRX_MODULE_PATH?)");
  std::printf("    component %s attached: error identifier base 0x%08X, trace flags 0x%02X\n",
              kComponent, anchor.error_id_base, *anchor.trace_flags);

  Section(3, "Trace records");
  if ((*anchor.trace_flags & QX_TRACE_ON) != 0) {
    static const char kData[] = "a data area of the component";
    QXLogTrace(&anchor, anchor.func_call_label, "demo(step 3)", kData, sizeof kData);
    QXLogTrace(&anchor, anchor.debug_info_label, "tracing is on for DEMO", nullptr, 0);
    std::printf("    wrote a \"%s\" record with %zu bytes of data and a \"%s\" record\n",
                anchor.func_call_label, sizeof kData, anchor.debug_info_label);
  } else {
    std::printf("    tracing is off for %s (QRXTRACE): the trace points cost one test\n",
                kComponent);
  }

  Section(4, "Error record");
  const DvWord extras[2] = {42, 7};
  const int logged = QXLogErrMsg(&anchor, anchor.error_id_base + 0x20101, &anchor, 0, 2, 0x10002,
                                 0, "MEMGET(64)", "QRX0002E", 2, extras);
  Check(logged == 0, "error record", "QXLogErrMsg gave " + std::to_string(logged));
  std::printf("    logged QRX0002E with error identifier 0x%08X and two extra words\n",
              anchor.error_id_base + 0x20101);

  Section(5, "A timer with retries");
  RunTimer();

  Section(6, "Detach and shut down");
  UnGetTraceErrLogAddressability(kComponent, &entry, &anchor);
  devavu_term();
  std::printf("    detached, devavu_term done\n");

  Section(7, "The trace file");
  std::printf("    %s\n\n", trace_file.c_str());
  std::ifstream in(trace_file);
  std::stringstream text;
  text << in.rdbuf();
  Check(!text.str().empty(), "trace file", "nothing was written to " + trace_file);
  std::fputs(text.str().c_str(), stdout);
}

int Demo(int argc, char** /*argv*/) {
  if (argc != 0) {
    std::fprintf(stderr, "qrx demo: takes no arguments (see qrx demo --help)\n");
    return kExitUsage;
  }
  // Trace the library and the demo component unless the user chose.
  setenv("QRXTRACE", "ORVESVC=0x40,DEMO=0xC0", 0);
  std::printf("devavu demo: a component named %s runs through the library.\n", kComponent);
  try {
    RunDemo(PrepareTraceFile());
  } catch (const DemoFailure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "qrx demo: step '%s' failed: %s\n", failure.step.c_str(),
                 failure.reason.c_str());
    return kExitFailure;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "qrx demo: %s\n", e.what());
    return kExitFailure;
  }
  std::printf("\ndemo finished.\n");
  return kExitOk;
}

}  // namespace

const Command kDemoCommand{
    "demo", "run a sample component through the library and show its trace",
    "usage: qrx demo\n\n"
    "Runs a component named DEMO through the library: start-up, attach to the\n"
    "trace library with tracing on, trace and error records, a timer with\n"
    "retries calling back into the sample component, detach, shutdown.\n"
    "Prints each step, then the trace file.\n\n"
    "Environment (all optional):\n"
    "  QRXTRACE       trace flags per component (default ORVESVC=0x40,DEMO=0xC0)\n"
    "  QRXTRACEFILE   the trace file (default <tmp>/qrx-demo/trace.log, emptied first)\n"
    "  QRX_MODULE_PATH  directories searched first for the product's libraries\n",
    Demo};

}  // namespace qrx
