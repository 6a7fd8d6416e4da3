// The trace library through its entry point. The library reads QRXTRACE and
// opens QRXTRACEFILE once per process, so one environment sets both before
// the first test and each test reads back what it added to the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "virarudi.h"

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
      setenv("QRXTRACEFILE", path_->c_str(), 1);
    }
    setenv("QRXTRACE", kTraceSetting, 1);
  }
  void TearDown() override {
    if (path_) std::filesystem::remove(*path_);
  }

 private:
  std::optional<std::filesystem::path> path_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new TraceFileEnvironment);

// What the trace file gains from the moment this is made.
class TraceFileTail {
 public:
  TraceFileTail() : start_(Size()) {}

  std::string Read() const {
    std::ifstream file(std::getenv("QRXTRACEFILE"), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(start_));
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

 private:
  static uintmax_t Size() {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(std::getenv("QRXTRACEFILE"), error);
    return error ? 0 : size;
  }

  uintmax_t start_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The stamp "YYYY-MM-DD hh:mm:ss.mmm [thread id] " of a record's first line,
// and what follows it.
const std::regex kStamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\d+)\] (.*)$)");

std::string WithoutStamp(const std::string& line) {
  std::smatch match;
  if (!std::regex_match(line, match, kStamped)) {
    ADD_FAILURE() << "no stamp: " << line;
    return line;
  }
  return match[2];
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
// and data, so that a record mixed with another shows.
TEST(LogFacilitiesTest, ConcurrentRecordsStayWhole) {
  constexpr int kThreads = 8;
  constexpr int kRecords = 500;
  const TraceFileTail tail;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int s = 0; s < kRecords; ++s) {
        const std::string text = std::to_string(t) + " " + std::to_string(s);
        const std::string data = "t" + text + "-payload-payload-" + text;
        LogRequest request = TraceRequest("CONCURRENT", text.c_str(), data.data(), data.size());
        ASSERT_EQ(LOGFACILITIESEP(LOGREQ_TRACE, &request), VIRARUDI_OK);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::vector<std::string> lines = Lines(tail.Read());
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kRecords * 3));
  std::vector<int> next(kThreads, 0);
  std::map<std::string, int> thread_of_id;
  const std::regex dump(R"(^    [0-9A-F ]{36}    < (.*) >$)");
  for (size_t i = 0; i < lines.size(); i += 3) {
    std::smatch head, dump1, dump2;
    ASSERT_TRUE(std::regex_match(lines[i], head, kStamped)) << lines[i];
    int t = -1, s = -1;
    ASSERT_EQ(std::sscanf(head.str(2).c_str(), "ORVESVC  CONCURRENT   %d %d", &t, &s), 2) << i;
    ASSERT_TRUE(t >= 0 && t < kThreads) << lines[i];
    EXPECT_EQ(thread_of_id.emplace(head.str(1), t).first->second, t) << "one id per thread";
    EXPECT_EQ(s, next[t]++) << "records of thread " << t << " out of order";
    ASSERT_TRUE(std::regex_match(lines[i + 1], dump1, dump) &&
                std::regex_match(lines[i + 2], dump2, dump)) << lines[i + 1] << lines[i + 2];
    const std::string text = std::to_string(t) + " " + std::to_string(s);
    EXPECT_EQ(dump1.str(1) + dump2.str(1), "t" + text + "-payload-payload-" + text) << i;
  }
  EXPECT_EQ(thread_of_id.size(), static_cast<size_t>(kThreads));
}

// The child processes of these tests start the library anew, with the
// setting given.
class LogFacilitiesProcessTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(LogFacilitiesProcessTest, BadSettingIsReportedOnceAndIgnored) {
  setenv("QRXTRACE", "ORVESVC=0x40, APP=300", 1);
  const auto attach_and_exit = [] {
    int traced = 0;
    for (const char* name : {"ORVESVC", "APP", "ORVESVC"}) {
      LogRequest request = AttachRequest(name);
      if (LOGFACILITIESEP(LOGREQ_ATTACH, &request) != VIRARUDI_OK) std::exit(2);
      traced |= *request.attach.trace_flags;
    }
    std::exit(traced == 0 ? 0 : 1);
  };
  EXPECT_EXIT(attach_and_exit(), testing::ExitedWithCode(0),
              "^virarudi: QRXTRACE ignored[^\n]*\"300\" of APP[^\n]*\n$");
}

TEST_F(LogFacilitiesProcessTest, TraceFileThatCannotBeOpenedIsReportedOnceAndStandardErrorUsed) {
  setenv("QRXTRACEFILE", "/nonexistent-virarudi-dir/trace.txt", 1);
  const auto trace_twice_and_exit = [] {
    LogRequest first = TraceRequest("FUNC CALL", "first", nullptr, 0);
    LogRequest second = TraceRequest("FUNC CALL", "second", nullptr, 0);
    std::exit(LOGFACILITIESEP(LOGREQ_TRACE, &first) == VIRARUDI_OK &&
                      LOGFACILITIESEP(LOGREQ_TRACE, &second) == VIRARUDI_OK
                  ? 0
                  : 1);
  };
  EXPECT_EXIT(trace_twice_and_exit(), testing::ExitedWithCode(0),
              "^virarudi: cannot open[^\n]*/nonexistent-virarudi-dir/trace.txt[^\n]*\n"
              "[^\n]* ORVESVC  FUNC CALL    first\n"
              "[^\n]* ORVESVC  FUNC CALL    second\n$");
}

}  // namespace
