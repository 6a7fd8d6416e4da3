// The trace library through its entry point, in real threads and processes.
// It reads QRXTRACE and opens QRXTRACEFILE once per process: one environment
// sets both, and each test reads back what it added to the file.
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
#include <regex>
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

void RemoveTraceFiles(const std::string& path) {
  for (const char* suffix : {"", ".1", ".ctl"}) std::filesystem::remove(path + suffix);
}

class TraceFileEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    // Death tests start the library anew in a child that inherits the file.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (std::getenv("QRXTRACEFILE") == nullptr) {
      path_ = (std::filesystem::temp_directory_path() / "virarudi_test_").string() +
              std::to_string(libdevavu::platform::CurrentProcessId()) + ".trace";
      SetEnvironmentValue("QRXTRACEFILE", path_.c_str());
    }
    SetEnvironmentValue("QRXTRACE", "ORVESVC=0x40,APP=0xC0,*=0");
  }
  void TearDown() override {
    if (!path_.empty()) RemoveTraceFiles(path_);
  }

 private:
  std::string path_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new TraceFileEnvironment);

// The text of a trace file: it grows ahead of its text in zero bytes.
std::string TextOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(file), {}};
  return text.erase(text.find_last_not_of('\0') + 1);
}

std::string TraceText() { return TextOf(std::getenv("QRXTRACEFILE")); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// A record's first line without its stamp "YYYY-MM-DD hh:mm:ss.mmm [TID] ".
std::string WithoutStamp(const std::string& line) {
  static const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+\] (.*))");
  std::smatch parts;
  return std::regex_match(line, parts, stamp) ? parts[1].str() : "no stamp: " + line;
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
  EXPECT_EQ(LOGFACILITIESEP(3, &nameless), VIRARUDI_UNKNOWN_TYPE);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_ATTACH, &nameless), VIRARUDI_NO_NAME);
  EXPECT_EQ(LOGFACILITIESEP(LOGREQ_DETACH, &nameless), VIRARUDI_NO_NAME);

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

// Record s of writer t carries both numbers in its text and, over two dump
// lines, in its data, so that a record mixed with another shows.
std::string Numbers(int t, int s) { return std::to_string(t) + " " + std::to_string(s); }

bool WriteNumberedRecord(int t, int s) {
  const std::string text = Numbers(t, s);
  const std::string data = text + "-payload-of-record";
  LogRequest request = TraceRequest("CONCURRENT", text.c_str(), data.data(), data.size());
  return LOGFACILITIESEP(LOGREQ_TRACE, &request) == VIRARUDI_OK;
}

// The first fault in the numbered records of writers 0 to writers-1 in text:
// a record not whole, lost or out of order. A writer's records may begin late
// (rotated away) but end at `last`; *count gets their number.
std::string NumberedRecordsFault(const std::string& text, int writers, int last, size_t* count) {
  static const std::regex dump(R"(    [0-9A-F ]{36}    < (.*) >)");
  const std::vector<std::string> lines = Lines(text);
  std::vector<int> next(writers, -1);
  for (*count = 0; *count * 3 < lines.size(); ++*count) {
    const size_t i = *count * 3;
    int t = -1;
    int s = -1;
    const std::string rest = WithoutStamp(lines[i]);
    std::sscanf(rest.c_str(), "ORVESVC CONCURRENT %d %d", &t, &s);
    std::smatch first;
    std::smatch second;
    if (t < 0 || t >= writers || rest != "ORVESVC  CONCURRENT   " + Numbers(t, s) ||
        i + 2 >= lines.size() || !std::regex_match(lines[i + 1], first, dump) ||
        !std::regex_match(lines[i + 2], second, dump) ||
        first[1].str() + second[1].str() != Numbers(t, s) + "-payload-of-record") {
      return "record at line " + std::to_string(i) + " is not whole: " + lines[i];
    }
    if (next[t] >= 0 && s != next[t]) return "a record lost or out of order: " + lines[i];
    next[t] = s + 1;
  }
  for (int t = 0; t < writers; ++t) {
    if (next[t] != -1 && next[t] != last) return "last records lost of writer " + Numbers(t, 0);
  }
  return "";
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
  size_t count = 0;
  EXPECT_EQ(NumberedRecordsFault(TraceText().substr(start), kThreads, kRecords, &count), "");
  EXPECT_EQ(count, static_cast<size_t>(kThreads * kRecords));
}

// A crash after a rotation but before <name>.1 was cut to its text leaves it
// the zeros it was grown by: the next first user cuts them.
TEST(LogFacilitiesTest, FirstUserCutsThePreviousFileToItsText) {
  const std::string path = std::string(std::getenv("QRXTRACEFILE")) + ".first";
  std::ofstream(path + ".1", std::ios::binary) << "old\n" << std::string(4096, '\0');
  EXPECT_EXIT(
      {
        SetEnvironmentValue("QRXTRACEFILE", path.c_str());
        std::exit(WriteNumberedRecord(0, 0) ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(std::filesystem::file_size(path + ".1"), 4u);
  RemoveTraceFiles(path);
}

// A control file of another version of the library: its writers may map the
// file, so records go to standard error rather than among theirs.
TEST(LogFacilitiesTest, ControlFileOfAnotherVersionIsLeftAlone) {
  const std::string path = std::string(std::getenv("QRXTRACEFILE")) + ".other";
  std::ofstream(path + ".ctl", std::ios::binary) << "QVRTRFT1" << std::string(4088, '\0');
  libdevavu::platform::SharedFile in_use;
  std::string error;
  ASSERT_TRUE(in_use.Open(path + ".ctl", &error) && in_use.LockShared()) << error;
  EXPECT_EXIT(
      {
        SetEnvironmentValue("QRXTRACEFILE", path.c_str());
        std::exit(WriteNumberedRecord(0, 0) ? 0 : 1);
      },
      testing::ExitedWithCode(0), "in use by another version");
  EXPECT_EQ(TextOf(path), "");
  in_use.Close();
  RemoveTraceFiles(path);
}

#ifndef _WIN32  // Windows has no fork: its processes cannot share the test's state.
// A record whose call returned is in the file, whole, even when its process
// is killed right after.
TEST(LogFacilitiesTest, RecordsOfAKilledProcessAreWhole) {
  const size_t start = TraceText().size();
  constexpr int kRecords = 300;
  EXPECT_EXIT(
      {
        for (int s = 0; s < kRecords; ++s) WriteNumberedRecord(0, s);
        raise(SIGKILL);
      },
      testing::KilledBySignal(SIGKILL), "");
  size_t count = 0;
  EXPECT_EQ(NumberedRecordsFault(TraceText().substr(start), 1, kRecords, &count), "");
  EXPECT_EQ(count, static_cast<size_t>(kRecords));
}

size_t OpenFiles() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// Four processes write one trace file limited to 64K: the two files kept
// (<name>.1, then <name>) stay within it, cut to their text, and hold whole
// records, the last of each writer without a gap. What its rotations leave
// (the replaced file, old mappings) a writer lets go while it runs.
void FourWritersWithRotationAndExit(const std::string& path) {
  SetEnvironmentValue("QRXTRACEFILE", path.c_str());
  SetEnvironmentValue("QRXTRACEMAX", "64K");
  constexpr int kWriters = 4;
  constexpr int kRecords = 3000;
  for (int t = 0; t < kWriters; ++t) {
    if (fork() == 0) {
      if (!WriteNumberedRecord(t, 0)) _exit(1);
      const size_t open = OpenFiles();
      for (int s = 1; s < kRecords; ++s) {
        if (!WriteNumberedRecord(t, s)) _exit(1);
      }
      for (int wait = 0; wait < 200 && OpenFiles() > open + 1; ++wait) SleepMs(10);
      std::exit(OpenFiles() > open + 1 ? 2 : 0);
    }
  }
  std::string fault;
  for (int status = 0; wait(&status) > 0;) {
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fault = "a writer failed or kept files; ";
  }
  std::string text;
  for (const std::string& name : {path + ".1", path}) {
    const uint64_t size = std::filesystem::file_size(name);
    const std::string kept = TextOf(name);
    if (size > 64 * 1024) fault += name + " is over its limit; ";
    if (kept.size() != size) fault += name + " is not cut to its text; ";
    text += kept;
  }
  if (text.find('\0') != std::string::npos) fault += "a file has a hole; ";
  size_t count = 0;
  fault += NumberedRecordsFault(text, kWriters, kRecords, &count);
  std::fputs(fault.c_str(), stderr);
  std::exit(fault.empty() ? 0 : 1);
}

TEST(LogFacilitiesTest, FourProcessesShareARotatingFile) {
  // The child process names the same file: it inherits QRXTRACEFILE.
  const std::string path = std::string(std::getenv("QRXTRACEFILE")) + ".rotation";
  EXPECT_EXIT(FourWritersWithRotationAndExit(path), testing::ExitedWithCode(0), "^$");
  RemoveTraceFiles(path);
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
