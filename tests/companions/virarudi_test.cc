// The trace library through its entry point, in real threads and processes.
// The library reads QRXTRACE and opens QRXTRACEFILE once per process, so one
// environment sets both before the first test and each test reads back what
// it added to the file.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/trace_control.h"
#include "platform/trace_file.h"
#include "support/test_thread.h"
#include "trace/text_format.h"
#include "virarudi.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

class TraceFileEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    // Death tests start the library anew in a child process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A death test's child process inherits the parent's file.
    if (std::getenv("QRXTRACEFILE") == nullptr) {
      std::random_device random;
      path_ = std::filesystem::temp_directory_path() /
              ("virarudi_test_" + std::to_string(random()) + ".trace");
      SetEnvironmentValue("QRXTRACEFILE", path_->string().c_str());
    }
    SetEnvironmentValue("QRXTRACE", "ORVESVC=0x40,APP=0xC0,*=0");
  }
  void TearDown() override {
    if (!path_) return;
    for (const char* suffix : {"", ".1", ".ctl"}) std::filesystem::remove(path_->string() + suffix);
  }

 private:
  std::optional<std::filesystem::path> path_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new TraceFileEnvironment);

// The text of a trace file: it grows ahead of its text in zero bytes.
std::string TextOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(file), {}};
  return text.erase(text.find_last_not_of('\0') + 1);
}

// The text of this process's trace file.
std::string TraceText() { return TextOf(std::getenv("QRXTRACEFILE")); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// A record's first line without its stamp "YYYY-MM-DD hh:mm:ss.mmm [TID] ";
// the TID goes to *thread_id.
std::string WithoutStamp(const std::string& line, std::string* thread_id = nullptr) {
  static const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\d+)\] (.*))");
  std::smatch parts;
  if (!std::regex_match(line, parts, stamp)) return "no stamp: " + line;
  if (thread_id != nullptr) *thread_id = parts[1];
  return parts[2];
}

LogRequest AttachRequest(const char* name) {
  LogRequest request{};
  request.attach.component_name = name;
  return request;
}

LogRequest TraceRequest(const char* label, const char* text, const void* data, size_t length) {
  LogRequest request{};
  request.trace = {label, "ORVESVC", text, data, length};
  return request;
}

TEST(LogFacilitiesTest, RequestsAndTheirRecords) {
  const size_t start = TraceText().size();
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_TRACE, nullptr), VIRARUDI_NO_REQUEST);
  LogRequest nameless = AttachRequest(nullptr);
  for (const uint32_t type : {3u, 5u, 0xFFFFFFFFu}) {
    EXPECT_EQ(LOGFACILITIESEP(type, &nameless), VIRARUDI_UNKNOWN_TYPE) << type;
  }
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &nameless), VIRARUDI_NO_NAME);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &nameless), VIRARUDI_NO_NAME);
  EXPECT_EQ(nameless.attach.trace_flags, nullptr);

  LogRequest app = AttachRequest("APP");
  LogRequest unknown = AttachRequest("NEVER-ATTACHED");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &app), VIRARUDI_OK);
  EXPECT_EQ(*app.attach.trace_flags, 0xC0);
  EXPECT_EQ(app.attach.error_id_base, app.attach.attach_word << 20);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &app), VIRARUDI_OK);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &unknown), VIRARUDI_OK);
  std::vector<std::string> lines = Lines(TraceText().substr(start));
  for (std::string& line : lines) line = WithoutStamp(line);
  const std::string base = libdevavu::trace::Address(app.attach.error_id_base).text;
  EXPECT_EQ(lines, (std::vector<std::string>{"APP      ATTACH base=" + base + " flags=C0",
                                             "APP      DETACH", "NEVER-ATTACHED DETACH"}));
}

// Record s of writer t carries both numbers in its text and, as printable
// bytes over two dump lines, in its data, so that a record mixed with
// another shows.
std::string RecordText(int t, int s) {
  return "ORVESVC  CONCURRENT   " + std::to_string(t) + " " + std::to_string(s);
}

std::string RecordData(int t, int s) {
  char text[64];
  std::snprintf(text, sizeof text, "t%d-s%03d-payload-%d%d", t, s, t, t);
  return text;
}

bool WriteNumberedRecord(int t, int s) {
  const std::string text = std::to_string(t) + " " + std::to_string(s);
  const std::string data = RecordData(t, s);
  LogRequest request = TraceRequest("CONCURRENT", text.c_str(), data.data(), data.size());
  return LOGFACILITIESEP(LOGREQ_TRACE, &request) == VIRARUDI_OK;
}

struct Numbered {
  int writer = -1;
  int sequence = -1;
  std::string thread_id;
};

// The numbered records of lines, each checked whole; the first that is not
// goes to *fault.
std::vector<Numbered> NumberedRecords(const std::vector<std::string>& lines, std::string* fault) {
  static const std::regex dump(R"(    [0-9A-F ]{36}    < (.*) >)");
  std::vector<Numbered> records;
  for (size_t i = 0; i < lines.size() && fault->empty(); i += 3) {
    Numbered r;
    const std::string rest = WithoutStamp(lines[i], &r.thread_id);
    std::sscanf(rest.c_str(), "ORVESVC CONCURRENT %d %d", &r.writer, &r.sequence);
    std::smatch first;
    std::smatch second;
    if (rest != RecordText(r.writer, r.sequence) || i + 2 >= lines.size() ||
        !std::regex_match(lines[i + 1], first, dump) ||
        !std::regex_match(lines[i + 2], second, dump) ||
        first[1].str() + second[1].str() != RecordData(r.writer, r.sequence)) {
      *fault = "record at line " + std::to_string(i) + " is not whole: " + lines[i];
    }
    records.push_back(r);
  }
  return records;
}

TEST(LogFacilitiesTest, RecordsOfConcurrentThreadsStayWhole) {
  constexpr int kThreads = 8;
  constexpr int kRecords = 500;
  const size_t start = TraceText().size();
  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int s = 0; s < kRecords; ++s) ASSERT_TRUE(WriteNumberedRecord(t, s));
    });
  }
  for (TestThread& thread : threads) thread.join();

  std::string fault;
  const std::vector<Numbered> records = NumberedRecords(Lines(TraceText().substr(start)), &fault);
  ASSERT_EQ(fault, "");
  ASSERT_EQ(records.size(), static_cast<size_t>(kThreads * kRecords));
  std::vector<int> next(kThreads, 0);
  std::map<int, std::string> id_of;
  std::set<std::string> ids;
  for (const Numbered& r : records) {
    ASSERT_TRUE(r.writer >= 0 && r.writer < kThreads) << r.writer;
    EXPECT_EQ(r.sequence, next[r.writer]++) << "records of thread " << r.writer << " out of order";
    EXPECT_EQ(id_of.emplace(r.writer, r.thread_id).first->second, r.thread_id) << r.writer;
    ids.insert(r.thread_id);
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kThreads)) << "threads share an id";
}

// The flags byte a component tests changes while the process runs when its
// control file is written, as qrx trace set does.
TEST(LogFacilitiesTest, FlagsChangeInTheRunningProcess) {
  LogRequest app = AttachRequest("APP");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &app), VIRARUDI_OK);
  uint8_t* const flags = app.attach.trace_flags;
  namespace platform = libdevavu::platform;
  const std::string file = platform::ControlFolder(std::getenv("QRXTRACERUN")) + "/" +
                           std::to_string(platform::CurrentProcessId());
  std::string error;
  ASSERT_TRUE(platform::WriteControlFile(file, "APP=0x03, NEW=0x80", &error)) << error;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::atomic_ref<uint8_t>(*flags).load() != 0x03 &&
         std::chrono::steady_clock::now() < deadline) {
    SleepMs(10);
  }
  EXPECT_EQ(std::atomic_ref<uint8_t>(*flags).load(), 0x03);
  LogRequest added_later = AttachRequest("NEW");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &added_later), VIRARUDI_OK);
  EXPECT_EQ(*added_later.attach.trace_flags, 0x80);
}

// A bad QRXTRACE and a trace file that cannot be opened are each reported
// once, in a child process that starts the library with them: no component
// is traced, and the records go to standard error.
void TraceWithBadSettingAndFileAndExit() {
  SetEnvironmentValue("QRXTRACE", "ORVESVC=0x40, APP=300");
  SetEnvironmentValue("QRXTRACEFILE", "/nonexistent-virarudi-dir/trace.txt");
  int traced = 0;
  for (const char* name : {"ORVESVC", "APP"}) {
    LogRequest request = AttachRequest(name);
    if (LOGFACILITIESEP(LOGREQ_ATTACH, &request) != VIRARUDI_OK) std::exit(2);
    traced |= *request.attach.trace_flags;
  }
  for (const char* text : {"first", "second"}) {
    LogRequest request = TraceRequest("FUNC CALL", text, nullptr, 0);
    if (LOGFACILITIESEP(LOGREQ_TRACE, &request) != VIRARUDI_OK) std::exit(2);
  }
  std::exit(traced);
}

TEST(LogFacilitiesTest, BadSettingAndFileAreReportedOnce) {
  EXPECT_EXIT(TraceWithBadSettingAndFileAndExit(), testing::ExitedWithCode(0),
              "^virarudi: QRXTRACE ignored[^\n]*\"300\" of APP[^\n]*\n"
              "virarudi: cannot open[^\n]*/nonexistent-virarudi-dir/trace.txt[^\n]*\n"
              "[^\n]* ORVESVC  ATTACH [^\n]*\n[^\n]* APP      ATTACH [^\n]*\n"
              "[^\n]* ORVESVC  FUNC CALL    first\n"
              "[^\n]* ORVESVC  FUNC CALL    second\n$");
}

#ifndef _WIN32  // Windows has no fork: its processes cannot share the test's state.
// A record whose call returned is in the file, whole, even when its process
// is killed right after: the child tells each returned record through a pipe
// and is killed in mid-stream.
TEST(LogFacilitiesTest, RecordsOfAKilledProcessAreWhole) {
  const size_t start = TraceText().size();
  int acknowledgements[2];
  ASSERT_EQ(pipe(acknowledgements), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(acknowledgements[0]);
    for (int s = 0;; ++s) {
      if (!WriteNumberedRecord(7, s) || write(acknowledgements[1], &s, sizeof s) != sizeof s) {
        _exit(1);
      }
    }
  }
  close(acknowledgements[1]);
  int last = -1;
  while (last < 3000 && read(acknowledgements[0], &last, sizeof last) == sizeof last) {
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  for (int s; read(acknowledgements[0], &s, sizeof s) == sizeof s;) last = s;
  close(acknowledgements[0]);

  std::vector<std::string> lines = Lines(TraceText().substr(start));
  ASSERT_GE(lines.size(), static_cast<size_t>(last + 1) * 3);
  // The record in flight at the kill may be cut short; every earlier one is whole.
  lines.resize(static_cast<size_t>(last + 1) * 3);
  std::string fault;
  const std::vector<Numbered> records = NumberedRecords(lines, &fault);
  ASSERT_EQ(fault, "");
  for (int s = 0; s <= last; ++s) ASSERT_EQ(records[s].sequence, s);
}

// Four processes write one trace file limited to 64K: every file holds only
// whole records, none is longer than the limit, and the two files kept
// (<name>.1, then <name>) hold the last records of each writer without a gap.
void FourWritersWithRotationAndExit(const std::string& path) {
  SetEnvironmentValue("QRXTRACEFILE", path.c_str());
  SetEnvironmentValue("QRXTRACEMAX", "64K");
  constexpr int kWriters = 4;
  constexpr int kRecords = 3000;
  for (int t = 0; t < kWriters; ++t) {
    if (fork() == 0) {
      for (int s = 0; s < kRecords; ++s) {
        if (!WriteNumberedRecord(t, s)) _exit(1);
      }
      std::exit(0);
    }
  }
  std::string fault;
  for (int status = 0; wait(&status) > 0;) {
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fault = "a writer failed; ";
  }
  std::vector<int> next(kWriters, -1);
  for (const std::string& name : {path + ".1", path}) {
    const std::string text = TextOf(name);
    if (std::filesystem::file_size(name) > 64 * 1024 || text.find('\0') != std::string::npos) {
      fault += name + " is longer than its limit or has a hole; ";
    }
    for (const Numbered& r : NumberedRecords(Lines(text), &fault)) {
      if (!fault.empty()) break;
      if (r.writer >= kWriters || (next[r.writer] >= 0 && r.sequence != next[r.writer])) {
        fault = "a record lost or out of order before " + RecordText(r.writer, r.sequence);
      }
      if (r.writer < kWriters) next[r.writer] = r.sequence + 1;
    }
  }
  // A writer that ended early may have all its records in the files dropped.
  for (int t = 0; t < kWriters && fault.empty(); ++t) {
    if (next[t] != -1 && next[t] != kRecords) {
      fault = "the last records of writer " + std::to_string(t) + " lost";
    }
  }
  std::fputs(fault.c_str(), stderr);
  std::exit(fault.empty() ? 0 : 1);
}

TEST(LogFacilitiesTest, FourProcessesShareARotatingFile) {
  // The child process names the same file: it inherits QRXTRACEFILE.
  const std::string path = std::string(std::getenv("QRXTRACEFILE")) + ".rotation";
  EXPECT_EXIT(FourWritersWithRotationAndExit(path), testing::ExitedWithCode(0), "^$");
  for (const char* suffix : {"", ".1", ".ctl"}) std::filesystem::remove(path + suffix);
}
#endif  // _WIN32

// Windows has no fork; the thread sanitizer cannot follow the thread that
// the child starts after a fork of a process with threads.
#if !defined(_WIN32) && !defined(__SANITIZE_THREAD__)
// A child of fork that traces has a control file of its own: writing it
// changes the child's flags, not the parent's, and it goes when the child ends.
TEST(LogFacilitiesTest, ForkedChildHasItsOwnControlFile) {
  LogRequest forked = AttachRequest("FORKED");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &forked), VIRARUDI_OK);
  const auto flags = std::atomic_ref<uint8_t>(*forked.attach.trace_flags);
  const uint8_t parent_flags = flags.load();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    LogRequest trace = TraceRequest("FUNC CALL", "child", nullptr, 0);
    const char traced = LOGFACILITIESEP(LOGREQ_TRACE, &trace) == VIRARUDI_OK;
    if (write(ready[1], &traced, 1) != 1) _exit(2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (flags.load() != 0x05 && std::chrono::steady_clock::now() < deadline) SleepMs(10);
    std::exit(flags.load() == 0x05 ? 0 : 1);
  }
  close(ready[1]);
  char traced = 0;
  const bool told = read(ready[0], &traced, 1) == 1;
  close(ready[0]);
  namespace platform = libdevavu::platform;
  const std::string file =
      platform::ControlFolder(std::getenv("QRXTRACERUN")) + "/" + std::to_string(child);
  std::string error;
  EXPECT_TRUE(told && platform::WriteControlFile(file, "FORKED=0x05", &error)) << error;
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(traced && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(flags.load(), parent_flags);
  EXPECT_FALSE(std::filesystem::exists(file));
}
#endif

}  // namespace
