// qrx demo: runs the sample component (libsample.so) through every service
// of the library against the shipped sample configuration, step by step.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "commands.h"
#include "platform/private_folder.h"
#include "platform/process.h"
#include "sample_demo.h"

namespace qrx {

namespace {

namespace fs = std::filesystem;
using libdevavu::platform::SetEnvironmentValue;

// Sets a variable unless the user has chosen a value.
void Default(const char* name, const std::string& value) {
  SetEnvironmentValue(name, value.c_str(), false);
}

fs::path ProgramDirectory() { return fs::path(libdevavu::platform::ProgramPath()).parent_path(); }

// The trace file: the user's QRXTRACEFILE, or one in a new private folder
// of this run, so that neither another user nor another demo running at the
// same time can read, replace or delete it. Set before the first attach,
// which opens it. "" when no folder could be made.
std::string PrepareTraceFile() {
  if (const char* chosen = std::getenv("QRXTRACEFILE"); chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  std::string error;
  const std::string dir = libdevavu::platform::MakePrivateFolder("qrx-demo-", &error);
  if (dir.empty()) {
    std::fprintf(stderr, "qrx demo: no folder for the trace file: %s\n", error.c_str());
    return {};
  }
  const std::string file = dir + "/trace.log";
  SetEnvironmentValue("QRXTRACEFILE", file.c_str());
  return file;
}

// The German text comes from a second qrx: the language is chosen when the
// catalogues are first opened.
int ShowGermanMessage() {
  std::printf("    the same message under LC_ALL=de_DE.UTF-8 (qrx msg):\n      ");
  std::fflush(stdout);
  // The child takes the language from the environment; this process keeps
  // its own.
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  } saved[] = {{"LC_ALL", {}}, {"LC_MESSAGES", {}}, {"LANG", {}}};
  for (Saved& v : saved) {
    if (const char* now = std::getenv(v.name)) v.value = now;
    SetEnvironmentValue(v.name, nullptr);
  }
  SetEnvironmentValue("LC_ALL", "de_DE.UTF-8");
  const int rc = libdevavu::platform::RunProgram(libdevavu::platform::ProgramPath(),
                                                 {"msg", "6", "0xCFFF0200", "SAMPLE", "#0"});
  for (const Saved& v : saved) SetEnvironmentValue(v.name, v.value ? v.value->c_str() : nullptr);
  return rc == 0 ? 0 : -1;
}

int ConfigFromRegistry() {
  SetEnvironmentValue("QRXRUN", "TRUE");
  std::printf("    QRXRUN=TRUE, QRX_REGISTRY=%s\n", std::getenv("QRX_REGISTRY"));
  return SampleDemoConfig();
}

int ConfigFromApi() {
  SetEnvironmentValue("QRXRUN", nullptr);
  std::printf("    QRXRUN unset: the configuration API, %s/%s.cfn\n", std::getenv("QRXCFNDIR"),
              std::getenv("QRXCONFIG"));
  return SampleDemoConfig();
}

struct Step {
  const char* title;
  int (*run)();
};

const Step kSteps[] = {
    {"Start-up and attachment to the trace library", &SampleDemoStart},
    {"Trace and error records", &SampleDemoTrace},
    {"A timer with retries calling back into the component", &SampleDemoTimer},
    {"A record stream parsed, listed and built back; a hex dump", &SampleDemoRecords},
    {"Configuration from the registry file", &ConfigFromRegistry},
    {"Configuration from the configuration API", &ConfigFromApi},
    {"Configuration values", &SampleDemoGetCfg},
    {"The message a component gives as it stops, with inserts, and a message box",
     &SampleDemoMessage},
    {"The message in German", &ShowGermanMessage},
    {"Detach and shut down", &SampleDemoStop},
};

void ShowTraceFile(const std::string& path) {
  std::ifstream in(path);
  int lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  std::printf("\nThe trace file %s holds %d lines; its start:\n\n", path.c_str(), lines);
  std::ifstream again(path);
  int shown = 0;
  for (std::string line; shown < 8 && std::getline(again, line); ++shown) {
    std::printf("  %s\n", line.c_str());
  }
}

int Demo(int argc, char** /*argv*/) {
  if (argc != 0) {
    std::fprintf(stderr, "qrx demo: takes no arguments (see qrx demo --help)\n");
    return kExitUsage;
  }
  const fs::path examples = ProgramDirectory() / ".." / "share" / "devavu" / "examples";
  if (!fs::exists(examples / "registry.reg")) {
    std::fprintf(stderr, "qrx demo: the sample configuration is missing: %s\n",
                 (examples / "registry.reg").string().c_str());
    return kExitFailure;
  }
  const std::string examples_dir = fs::canonical(examples).string();
  Default("QRXTRACE", "ORVESVC=0x40,SAMPLE=0xC0");
  Default("QRX_REGISTRY", examples_dir + "/registry.reg");
  Default("QRXCFNDIR", examples_dir);
  Default("QRXCONFIG", "sample");
  const std::string trace_file = PrepareTraceFile();
  if (trace_file.empty()) return kExitFailure;

  std::printf("devavu demo: the sample component SAMPLE (libsample.so) uses every service.\n");
  int number = 0;
  for (const Step& step : kSteps) {
    std::printf("\n[%d] %s\n", ++number, step.title);
    std::fflush(stdout);
    if (step.run() != 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "qrx demo: step %d (%s) failed: %s\n", number, step.title,
                   SampleDemoFailure());
      return kExitFailure;
    }
    std::fflush(stdout);
  }
  ShowTraceFile(trace_file);
  std::printf("\ndemo finished.\n");
  return kExitOk;
}

}  // namespace

const Command kDemoCommand{
    "demo", "run the sample component through every service and show what happened",
    "usage: qrx demo\n\n"
    "Runs the sample component SAMPLE (libsample.so, beside libdevavu.so)\n"
    "through every service: start-up, attachment with tracing on, trace and\n"
    "error records, a timer with retries calling back into the component, a\n"
    "record stream parsed, listed and built back, a hex dump, the configuration\n"
    "from the registry file and from the configuration API, QXGetCfg, the\n"
    "message a component gives as it stops in English and German with\n"
    "inserts and a message box line, shutdown.\n"
    "Prints each step and where the trace file is; exits 1 naming the step that\n"
    "failed.\n\n"
    "It needs no environment; each variable below is set only when unset:\n"
    "  QRXTRACE       ORVESVC=0x40,SAMPLE=0xC0\n"
    "  QRXTRACEFILE   trace.log in a new private folder <tmp>/qrx-demo-XXXXXX\n"
    "  QRX_REGISTRY   <prefix>/share/devavu/examples/registry.reg\n"
    "  QRXCFNDIR      <prefix>/share/devavu/examples\n"
    "  QRXCONFIG      sample\n",
    Demo};

}  // namespace qrx
