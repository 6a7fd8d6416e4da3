// The trace library through its entry point. The library reads QRXTRACE and
// opens QRXTRACEFILE once per process, so one environment sets both before
// the first test and each test reads back what it added to the file.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "platform/trace_control.h"
#include "platform/trace_file.h"
#include "support/test_thread.h"
#include "virarudi.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

constexpr char kTraceSetting[] = "ORVESVC=0x40,APP=0xC0,*=0";

class TraceFileEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    // A death test's child process inherits the parent's file.
    if (std::getenv("QRXTRACEFILE") == nullptr) {
      std::random_device random;
      path_ = std::filesystem::temp_directory_path() /
              ("virarudi_test_" + std::to_string(random()) + ".trace");
      SetEnvironmentValue("QRXTRACEFILE", path_->string().c_str());
    }
    SetEnvironmentValue("QRXTRACE", kTraceSetting);
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
  std::ostringstream text;
  text << file.rdbuf();
  std::string content = text.str();
  content.erase(content.find_last_not_of('\0') + 1);
  return content;
}

// What the trace file gains from the moment this is made.
class TraceFileTail {
 public:
  TraceFileTail() : start_(TextOf(std::getenv("QRXTRACEFILE")).size()) {}

  std::string Read() const { return TextOf(std::getenv("QRXTRACEFILE")).substr(start_); }

 private:
  size_t start_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// A header line taken apart after its stamp, "YYYY-MM-DD hh:mm:ss.mmm [TID] ".
struct Header {
  std::string thread_id;
  std::string rest;
};

std::optional<Header> SplitHeader(const std::string& line) {
  static constexpr std::string_view kTimeForm = "0000-00-00 00:00:00.000 [";
  if (line.size() < kTimeForm.size()) return std::nullopt;
  for (size_t i = 0; i < kTimeForm.size(); ++i) {
    const bool digit = line[i] >= '0' && line[i] <= '9';
    if (kTimeForm[i] == '0' ? !digit : line[i] != kTimeForm[i]) return std::nullopt;
  }
  const size_t end = line.find("] ", kTimeForm.size());
  if (end == std::string::npos || end == kTimeForm.size()) return std::nullopt;
  std::string thread_id = line.substr(kTimeForm.size(), end - kTimeForm.size());
  if (thread_id.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return Header{thread_id, line.substr(end + 2)};
}

std::string WithoutStamp(const std::string& line) {
  const std::optional<Header> header = SplitHeader(line);
  if (!header) {
    ADD_FAILURE() << "no stamp: " << line;
    return line;
  }
  return header->rest;
}

std::string Hex8(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

LogRequest AttachRequest(const char* name) {
  LogRequest request{};
  request.attach.component_name = name;
  return request;
}

LogRequest TraceRequest(const char* label, const char* text, const void* data, size_t length) {
  LogRequest request{};
  request.trace.label = label;
  request.trace.component_name = "ORVESVC";
  request.trace.text = text;
  request.trace.data = data;
  request.trace.length = length;
  return request;
}

TEST(LogFacilitiesTest, RefusedRequestsWriteNothing) {
  const TraceFileTail tail;
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_TRACE, nullptr), VIRARUDI_NO_REQUEST);
  for (const uint32_t type : {3u, 5u, 0xFFFFFFFFu}) {
    LogRequest request = AttachRequest("ORVESVC");
    EXPECT_EQ(LOGFACILITIESEP(type, &request), VIRARUDI_UNKNOWN_TYPE) << type;
  }
  LogRequest request = AttachRequest(nullptr);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &request), VIRARUDI_NO_NAME);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &request), VIRARUDI_NO_NAME);
  EXPECT_EQ(request.attach.trace_flags, nullptr);
  EXPECT_EQ(tail.Read(), "");
}

TEST(LogFacilitiesTest, EachNameHasItsOwnBaseFlagsAndRecords) {
  const TraceFileTail tail;
  LogRequest orvesvc = AttachRequest("ORVESVC");
  LogRequest app = AttachRequest("APP");
  LogRequest again = AttachRequest("ORVESVC");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &orvesvc), VIRARUDI_OK);
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &app), VIRARUDI_OK);
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &again), VIRARUDI_OK);
  EXPECT_EQ(*orvesvc.attach.trace_flags, 0x40);
  EXPECT_EQ(*app.attach.trace_flags, 0xC0);
  EXPECT_EQ(orvesvc.attach.error_id_base, orvesvc.attach.attach_word << 20);
  EXPECT_GE(orvesvc.attach.attach_word, 1u);
  EXPECT_NE(app.attach.error_id_base, orvesvc.attach.error_id_base);
  EXPECT_EQ(again.attach.trace_flags, orvesvc.attach.trace_flags);
  EXPECT_EQ(again.attach.error_id_base, orvesvc.attach.error_id_base);

  LogRequest unknown = AttachRequest("NEVER-ATTACHED");
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &app), VIRARUDI_OK);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &unknown), VIRARUDI_OK);
  EXPECT_EQ(*app.attach.trace_flags, 0xC0) << "a detached component may still test its byte";
  const std::vector<std::string> lines = Lines(tail.Read());
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(WithoutStamp(lines[0]), "ORVESVC  ATTACH base=" +
                                        Hex8(static_cast<uint32_t>(orvesvc.attach.error_id_base)) +
                                        " flags=40");
  EXPECT_EQ(WithoutStamp(lines[3]), "APP      DETACH");
  EXPECT_EQ(WithoutStamp(lines[4]), "NEVER-ATTACHED DETACH");
}

// Each thread's records carry the thread and sequence numbers in their text
// and, as printable bytes, in their data, so that a record mixed with another
// shows.
constexpr int kThreads = 8;
constexpr int kRecordsPerThread = 500;

std::string RecordData(int thread, int sequence) {
  char text[64];
  std::snprintf(text, sizeof text, "t%d-s%03d-payload-%d%d", thread, sequence, thread, thread);
  return text;
}

// The printable column of a dump line.
std::string DumpedText(const std::string& line) {
  const size_t open = line.find("< ");
  const size_t close = line.rfind(" >");
  if (line.rfind("    ", 0) != 0 || open == std::string::npos || close == std::string::npos ||
      close < open + 2) {
    ADD_FAILURE() << "not a dump line: " << line;
    return {};
  }
  return line.substr(open + 2, close - open - 2);
}

TEST(LogFacilitiesTest, ConcurrentRecordsStayWhole) {
  const TraceFileTail tail;
  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int s = 0; s < kRecordsPerThread; ++s) {
        const std::string text = std::to_string(t) + " " + std::to_string(s);
        const std::string data = RecordData(t, s);
        LogRequest request = TraceRequest("CONCURRENT", text.c_str(), data.data(), data.size());
        ASSERT_EQ(LOGFACILITIESEP(LOGREQ_TRACE, &request), VIRARUDI_OK);
      }
    });
  }
  for (TestThread& thread : threads) thread.join();

  const std::vector<std::string> lines = Lines(tail.Read());
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kRecordsPerThread * 3));
  std::vector<int> next(kThreads, 0);
  std::vector<std::string> thread_ids(kThreads);
  constexpr std::string_view kStart = "ORVESVC  CONCURRENT   ";
  for (size_t i = 0; i < lines.size(); i += 3) {
    const std::optional<Header> header = SplitHeader(lines[i]);
    ASSERT_TRUE(header && header->rest.rfind(kStart, 0) == 0) << "line " << i << ": " << lines[i];
    std::istringstream numbers(header->rest.substr(kStart.size()));
    int t = -1;
    int s = -1;
    numbers >> t >> s;
    ASSERT_TRUE(numbers.eof() && t >= 0 && t < kThreads) << "line " << i << ": " << lines[i];
    if (thread_ids[t].empty()) thread_ids[t] = header->thread_id;
    EXPECT_EQ(header->thread_id, thread_ids[t]) << "line " << i;
    EXPECT_EQ(s, next[t]++) << "records of thread " << t << " out of order";
    EXPECT_EQ(DumpedText(lines[i + 1]) + DumpedText(lines[i + 2]), RecordData(t, s))
        << "line " << i;
  }
  std::sort(thread_ids.begin(), thread_ids.end());
  EXPECT_EQ(std::unique(thread_ids.begin(), thread_ids.end()), thread_ids.end())
      << "threads share an id";
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kRecordsPerThread) << t;
}

#ifndef _WIN32  // Windows has no fork: its processes cannot share the test's state.
// Writes record s of writer t as ConcurrentRecordsStayWhole does.
bool WriteNumberedRecord(int t, int s) {
  const std::string text = std::to_string(t) + " " + std::to_string(s);
  const std::string data = RecordData(t, s);
  LogRequest request = TraceRequest("CONCURRENT", text.c_str(), data.data(), data.size());
  return LOGFACILITIESEP(LOGREQ_TRACE, &request) == VIRARUDI_OK;
}

// The (writer, sequence) of numbered records in lines, each checked whole;
// what is wrong goes to *fault.
std::vector<std::pair<int, int>> NumberedRecords(const std::vector<std::string>& lines,
                                                 std::string* fault) {
  std::vector<std::pair<int, int>> records;
  constexpr std::string_view kStart = "ORVESVC  CONCURRENT   ";
  for (size_t i = 0; i < lines.size() && fault->empty(); i += 3) {
    const std::optional<Header> header = SplitHeader(lines[i]);
    int t = -1;
    int s = -1;
    if (header && header->rest.rfind(kStart, 0) == 0) {
      std::istringstream numbers(header->rest.substr(kStart.size()));
      numbers >> t >> s;
    }
    if (t < 0 || s < 0 || i + 2 >= lines.size() ||
        DumpedText(lines[i + 1]) + DumpedText(lines[i + 2]) != RecordData(t, s)) {
      *fault = "record at line " + std::to_string(i) + " is not whole: " + lines[i];
    }
    records.emplace_back(t, s);
  }
  return records;
}

// A record whose call returned is in the file, whole, even when its process
// is killed right after: the child tells each returned record through a pipe
// and is killed in mid-stream.
TEST(LogFacilitiesTest, RecordsOfAKilledProcessAreWhole) {
  const TraceFileTail tail;
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

  std::vector<std::string> lines = Lines(tail.Read());
  ASSERT_GE(lines.size(), static_cast<size_t>(last + 1) * 3);
  // The record in flight at the kill may be cut short; every earlier one is whole.
  lines.resize(static_cast<size_t>(last + 1) * 3);
  std::string fault;
  const std::vector<std::pair<int, int>> records = NumberedRecords(lines, &fault);
  ASSERT_EQ(fault, "");
  for (int s = 0; s <= last; ++s) ASSERT_EQ(records[s], std::make_pair(7, s));
}
#endif  // _WIN32

// The flags byte a component tests changes while the process runs when its
// control file is written, as qrx trace set does.
TEST(LogFacilitiesTest, FlagsChangeInTheRunningProcess) {
  LogRequest app = AttachRequest("APP");
  ASSERT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &app), VIRARUDI_OK);
  uint8_t* const flags = app.attach.trace_flags;
  namespace platform = libdevavu::platform;
  const std::string folder = platform::ControlFolder(std::getenv("QRXTRACERUN"));
  std::string error;
  ASSERT_TRUE(platform::WriteControlFile(folder + "/" + std::to_string(platform::CurrentProcessId()),
                                         "APP=0x03, NEW=0x80", &error))
      << error;
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

// Sets a variable for one scope; in a death test the child process runs
// inside that scope with the value.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    SetEnvironmentValue(name, value);
  }
  ~ScopedVariable() {
    if (old_) {
      SetEnvironmentValue(name_, old_->c_str());
    } else {
      SetEnvironmentValue(name_, nullptr);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Attaches three times and exits 0 when every flags byte is 0.
void AttachAndExit() {
  int traced = 0;
  for (const char* name : {"ORVESVC", "APP", "ORVESVC"}) {
    LogRequest request = AttachRequest(name);
    if (LOGFACILITIESEP(LOGREQ_ATTACH, &request) != VIRARUDI_OK) std::exit(2);
    traced |= *request.attach.trace_flags;
  }
  std::exit(traced == 0 ? 0 : 1);
}

// The child processes of these tests start the library anew.
class LogFacilitiesProcessTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(LogFacilitiesProcessTest, BadSettingIsReportedOnceAndIgnored) {
  const ScopedVariable setting("QRXTRACE", "ORVESVC=0x40, APP=300");
  EXPECT_EXIT(AttachAndExit(), testing::ExitedWithCode(0),
              "^virarudi: QRXTRACE ignored[^\n]*\"300\" of APP[^\n]*\n$");
}

void TraceTwiceAndExit() {
  LogRequest first = TraceRequest("FUNC CALL", "first", nullptr, 0);
  LogRequest second = TraceRequest("FUNC CALL", "second", nullptr, 0);
  const bool done = LOGFACILITIESEP(LOGREQ_TRACE, &first) == VIRARUDI_OK &&
                    LOGFACILITIESEP(LOGREQ_TRACE, &second) == VIRARUDI_OK;
  std::exit(done ? 0 : 1);
}

TEST_F(LogFacilitiesProcessTest, TraceFileThatCannotBeOpenedIsReportedOnceAndStandardErrorUsed) {
  const ScopedVariable file("QRXTRACEFILE", "/nonexistent-virarudi-dir/trace.txt");
  EXPECT_EXIT(TraceTwiceAndExit(), testing::ExitedWithCode(0),
              "^virarudi: cannot open[^\n]*/nonexistent-virarudi-dir/trace.txt[^\n]*\n"
              "[^\n]* ORVESVC  FUNC CALL    first\n"
              "[^\n]* ORVESVC  FUNC CALL    second\n$");
}

#ifndef _WIN32  // Windows has no fork: its processes cannot share the test's state.
// Four processes write one trace file limited to 64K: every file holds only
// whole records, none is longer than the limit, and the two files kept
// (<name>.1, then <name>) hold the last records of each writer without a gap.
void FourWritersWithRotationAndExit() {
  constexpr int kWriters = 4;
  constexpr int kRecords = 3000;
  std::vector<pid_t> writers;
  for (int t = 0; t < kWriters; ++t) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int s = 0; s < kRecords; ++s) {
        if (!WriteNumberedRecord(t, s)) _exit(1);
      }
      std::exit(0);
    }
    writers.push_back(pid);
  }
  bool written = true;
  for (const pid_t pid : writers) {
    int status = 0;
    written = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
              written;
  }
  const std::string path = std::getenv("QRXTRACEFILE");
  std::string fault = written ? "" : "a writer failed";
  std::vector<std::vector<int>> sequences(kWriters);
  for (const std::string& name : {path + ".1", path}) {
    const std::string text = TextOf(name);
    if (std::filesystem::file_size(name) > 64 * 1024 || text.find('\0') != std::string::npos) {
      fault += name + " is longer than its limit or has a hole; ";
    }
    for (const auto& [t, s] : NumberedRecords(Lines(text), &fault)) {
      if (t >= kWriters) fault += "writer " + std::to_string(t) + "? ";
      if (fault.empty()) sequences[t].push_back(s);
    }
  }
  for (int t = 0; t < kWriters && fault.empty(); ++t) {
    for (size_t i = 0; i < sequences[t].size(); ++i) {
      if (sequences[t][i] != kRecords - static_cast<int>(sequences[t].size() - i)) {
        fault = "records of writer " + std::to_string(t) + " lost or out of order";
      }
    }
  }
  std::fputs(fault.c_str(), stderr);
  std::exit(fault.empty() ? 0 : 1);
}

TEST_F(LogFacilitiesProcessTest, FourProcessesShareARotatingFile) {
  const std::string path = testing::TempDir() + "virarudi_rotation_" +
                           std::to_string(libdevavu::platform::CurrentProcessId());
  const ScopedVariable file("QRXTRACEFILE", path.c_str());
  const ScopedVariable limit("QRXTRACEMAX", "64K");
  EXPECT_EXIT(FourWritersWithRotationAndExit(), testing::ExitedWithCode(0), "^$");
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
