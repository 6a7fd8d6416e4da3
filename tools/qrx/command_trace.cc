// qrx trace: changes the trace flags of running processes and reads trace
// files.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "commands.h"
#include "platform/platform.h"
#include "platform/trace_control.h"
#include "platform/trace_file.h"
#include "trace_settings.h"

namespace qrx {

namespace {

namespace platform = libdevavu::platform;

constexpr size_t kLargestControlText = 60 * 1024;

// The folders where processes keep their control files: QRXTRACERUN's when
// it is set, else the default folder of every user (only those whose owner
// lets this user in are of use).
std::vector<std::string> ControlFolders() {
  const char* given = std::getenv("QRXTRACERUN");
  if (given != nullptr && *given != '\0') return {given};
  return platform::DefaultControlFolders();
}

int Set(int argc, char** argv) {
  std::optional<uint32_t> pid;
  std::string items;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--pid" && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long value = std::strtoul(argv[++i], &end, 10);
      if (*end != '\0' || value == 0 || value > 0xFFFFFFFFu) {
        std::fprintf(stderr, "qrx trace set: --pid takes a process id, not '%s'\n", argv[i]);
        return kExitUsage;
      }
      pid = static_cast<uint32_t>(value);
    } else if (arg.empty() || arg[0] == '-') {
      std::fprintf(stderr, "qrx trace set: unknown option '%s' (see qrx trace --help)\n", argv[i]);
      return kExitUsage;
    } else {
      if (!items.empty()) items += ',';
      items.append(arg);
    }
  }
  if (items.empty()) {
    std::fprintf(stderr, "qrx trace set: give COMPONENT=FLAGS (see qrx trace --help)\n");
    return kExitUsage;
  }
  const virarudi::TraceSettings parsed = virarudi::TraceSettings::Parse(items.c_str());
  if (!parsed.error().empty()) {
    std::fprintf(stderr, "qrx trace set: %s\n", parsed.error().c_str());
    return kExitUsage;
  }
  int changed = 0;
  int refused = 0;
  for (const std::string& folder : ControlFolders()) {
    for (const platform::ControlFile& file : platform::ListControlFiles(folder)) {
      if (pid && file.process_id != *pid) continue;
      // The file of a process that was killed stays behind; it is no target.
      if (!platform::ProcessMayExist(file.process_id)) {
        platform::RemoveFile(file.path);
        continue;
      }
      std::string text;
      std::string error;
      platform::ReadControlFile(file.path, kLargestControlText, &text);
      // The last value of a name counts, so the new items go after the old.
      text = text.empty() || text.size() + items.size() >= kLargestControlText
                 ? items
                 : text + "," + items;
      if (platform::WriteControlFile(file.path, text, &error)) {
        std::printf("process %u: %s\n", file.process_id, items.c_str());
        ++changed;
      } else {
        std::fprintf(stderr, "qrx trace set: process %u not changed: %s\n", file.process_id,
                     error.c_str());
        ++refused;
      }
    }
  }
  if (changed == 0 && refused == 0) {
    std::fprintf(stderr, "qrx trace set: found %s with the trace library loaded\n",
                 pid ? ("no process " + std::to_string(*pid)).c_str() : "no process");
  }
  return changed > 0 && refused == 0 ? kExitOk : kExitFailure;
}

// A stamp as records begin, "YYYY-MM-DD hh:mm:ss.mmm", or a prefix of one.
constexpr std::string_view kStampForm = "0000-00-00 00:00:00.000";

bool MatchesStampForm(std::string_view text) {
  if (text.size() > kStampForm.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kStampForm[i] == '0' ? !digit : text[i] != kStampForm[i]) return false;
  }
  return true;
}

// --since: a date and time, or a time of today.
std::optional<std::string> SinceStamp(std::string_view text) {
  if (text.size() >= 10 && MatchesStampForm(text)) return std::string(text);
  const std::string_view time_form = kStampForm.substr(11);
  if (text.size() < 5 || text.size() > time_form.size()) return std::nullopt;
  const platform::LocalTime today = platform::ToLocalTime(platform::CalendarNow().seconds);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d ", today.year % 10000, today.month % 100,
                today.day % 100);
  std::string stamp = date + std::string(text);
  if (!MatchesStampForm(stamp)) return std::nullopt;
  return stamp;
}

// Prints the records that pass the filters, line by line as they come.
class RecordFilter {
 public:
  RecordFilter(std::optional<std::string> component, std::optional<std::string> since)
      : component_(std::move(component)), since_(std::move(since)) {}

  void Line(std::string_view line) {
    if (line.size() > kStampForm.size() + 2 && MatchesStampForm(line.substr(0, 23))) {
      passes_ = PassesHeader(line);
    }
    if (passes_) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
    }
  }

 private:
  bool PassesHeader(std::string_view line) const {
    if (since_ && line.substr(0, kStampForm.size()) < *since_) return false;
    if (!component_) return true;
    // "STAMP [TID] NAME ..."
    const size_t name = line.find("] ", kStampForm.size());
    if (name == std::string_view::npos) return false;
    const std::string_view rest = line.substr(name + 2);
    return rest.substr(0, rest.find(' ')) == *component_;
  }

  const std::optional<std::string> component_;
  const std::optional<std::string> since_;
  bool passes_ = true;
};

// Reads one trace file from an offset on, as far as its text goes: a
// mapped trace file grows ahead of its text in zero bytes, and a record
// being written may show as zeros for a moment.
class TraceReader {
 public:
  TraceReader(std::string path, RecordFilter& filter) : path_(std::move(path)), filter_(filter) {}

  // Reads what was added since the last call; ends the partial last line
  // only when finish is set.
  void ReadNew(bool finish) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    in.seekg(static_cast<std::streamoff>(offset_));
    std::string chunk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t usable = chunk.find('\0');
    if (usable == std::string::npos || finish) {
      usable = chunk.size();
    }
    offset_ += usable;
    pending_.append(chunk, 0, usable);
    // A finished file's zero bytes are left out.
    if (finish) pending_.erase(std::remove(pending_.begin(), pending_.end(), '\0'), pending_.end());
    size_t start = 0;
    for (size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
      filter_.Line(std::string_view(pending_).substr(start, end - start));
    }
    pending_.erase(0, start);
    if (finish && !pending_.empty()) {
      filter_.Line(pending_);
      pending_.clear();
    }
  }

  void Restart(std::string path) {
    path_ = std::move(path);
    offset_ = 0;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  RecordFilter& filter_;
  uint64_t offset_ = 0;
  std::string pending_;
};

int Show(int argc, char** argv) {
  std::vector<std::string> files;
  std::optional<std::string> component;
  std::optional<std::string> since;
  bool follow = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--component" && i + 1 < argc) {
      component = argv[++i];
    } else if (arg == "--since" && i + 1 < argc) {
      since = SinceStamp(argv[++i]);
      if (!since) {
        std::fprintf(stderr,
                     "qrx trace show: --since takes 'YYYY-MM-DD[ hh:mm[:ss]]' or 'hh:mm[:ss]', "
                     "not '%s'\n",
                     argv[i]);
        return kExitUsage;
      }
    } else if (arg == "--follow") {
      follow = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "qrx trace show: unknown option '%s' (see qrx trace --help)\n",
                   argv[i]);
      return kExitUsage;
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty() || (follow && files.size() != 1)) {
    std::fprintf(stderr, "qrx trace show: give FILE... (one FILE with --follow)\n");
    return kExitUsage;
  }
  RecordFilter filter(component, since);
  for (const std::string& file : files) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
      std::fprintf(stderr, "qrx trace show: %s: no such file\n", file.c_str());
      return kExitFailure;
    }
    // The file rotated away at its limit holds the older records.
    TraceReader rotated(file + ".1", filter);
    rotated.ReadNew(true);
    TraceReader reader(file, filter);
    reader.ReadNew(!follow);
    if (!follow) continue;
    std::fflush(stdout);
    uint64_t identity = platform::IdentityOf(file);
    while (!std::ferror(stdout)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      const uint64_t now = platform::IdentityOf(file);
      if (now != identity && now != 0) {
        // Rotated: finish the renamed file, then begin the new one.
        if (platform::IdentityOf(file + ".1") == identity) {
          reader.Restart(file + ".1");
        }
        reader.ReadNew(true);
        reader.Restart(file);
        identity = now;
      }
      reader.ReadNew(false);
      std::fflush(stdout);
    }
  }
  return kExitOk;
}

int Trace(int argc, char** argv) {
  if (argc >= 1 && std::strcmp(argv[0], "set") == 0) return Set(argc - 1, argv + 1);
  if (argc >= 1 && std::strcmp(argv[0], "show") == 0) return Show(argc - 1, argv + 1);
  std::fprintf(stderr, "qrx trace: give set or show (see qrx trace --help)\n");
  return kExitUsage;
}

}  // namespace

const Command kTraceCommand{
    "trace", "change the trace flags of running processes; read trace files",
    "usage: qrx trace set [--pid PID] COMPONENT=FLAGS ...\n"
    "       qrx trace show FILE... [--component NAME] [--since TIME] [--follow]\n"
    "\n"
    "set: gives components of running processes that use the trace library new\n"
    "  trace flags, within a second and without a restart. COMPONENT=FLAGS is as\n"
    "  in QRXTRACE (* names every component; FLAGS 0..255, 0x for hex). Without\n"
    "  --pid every process this user may change is changed. A process is found\n"
    "  through its control file in QRXTRACERUN's folder, or, when that is not\n"
    "  set, in <temporary folder>/qrxtrace-<user id>; the process's owner decides\n"
    "  who may change it by the permissions of that folder.\n"
    "show: prints the records of trace files, each FILE's rotated FILE.1 first.\n"
    "  --component NAME  only the records of that component\n"
    "  --since TIME      only records from TIME on: YYYY-MM-DD[ hh:mm[:ss]], or\n"
    "                    hh:mm[:ss] of today\n"
    "  --follow          keeps reading one FILE as it grows, also across its\n"
    "                    rotation; stop it with Ctrl-C\n",
    Trace};

}  // namespace qrx
