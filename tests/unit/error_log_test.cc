#include <cstring>
#include <memory>

#include "frame/library_state.h"
#include "library_test.h"

namespace {

using libdevavu::frame::State;

class ErrorLogTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    StartAndAttach();
  }
  void TearDown() override {
    DetachAndTerm();
    LibraryTest::TearDown();
  }

  int32_t LogSample(uint8_t flags = 0, uint16_t extra_count = 0, const DvWord* extras = nullptr) {
    return QXLogErrMsg(&anchor_, anchor_.error_id_base + 0x21301, nullptr, flags, 2, 0x10002, 0,
                       "MEMGET(40)", "QRX0002E", extra_count, extras);
  }
};

TEST_F(ErrorLogTest, RequestHoldsEveryArgument) {
  int object = 0;
  const DvWord extras[2] = {0xAAAA, 0xBBBB};
  const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(QXLogErrMsg(&anchor_, 0x00121201, &object, 0, 3, 0x10003, sizeof data, data,
                        "QRX0003E", 2, extras),
            0);
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 1u);
  const LogErrorRequest& err = errors[0].error;
  EXPECT_EQ(errors[0].component, "APP");
  EXPECT_EQ(err.error_id, 0x00121201u);
  EXPECT_EQ(err.object, reinterpret_cast<DvWord>(&object));
  EXPECT_EQ(err.log_option, 0u);
  EXPECT_EQ(err.msg_no, 3u);
  EXPECT_EQ(err.code, 0x10003u);
  EXPECT_EQ(err.data_length, 4u);
  EXPECT_EQ(err.data, data);
  EXPECT_EQ(errors[0].msg_id, "QRX0003E");
  EXPECT_EQ(err.extra[0], 0xAAAAu);
  EXPECT_EQ(err.extra[1], 0xBBBBu);
}

TEST_F(ErrorLogTest, ExtraWordsAreReadOnlyAsFarAsTheCountAndAtMostTwo) {
  const DvWord three[3] = {1, 2, 3};
  LogSample(0, 3, three);
  // A count of one reads a single word: a block of one word lets the
  // address sanitizer catch a read of a second.
  auto one = std::make_unique<DvWord[]>(1);
  one[0] = 9;
  LogSample(0, 1, one.get());
  LogSample(0, 0, three);
  const auto errors = Requests(LOGREQ_ERROR);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].error.extra[0], 1u);
  EXPECT_EQ(errors[0].error.extra[1], 2u);
  EXPECT_EQ(errors[1].error.extra[0], 9u);
  EXPECT_EQ(errors[1].error.extra[1], 0u);
  EXPECT_EQ(errors[2].error.extra[0], 0u);
}

TEST_F(ErrorLogTest, LogOptionNeedsFlagBitZeroAndAnInit2Mode) {
  struct Case {
    uint8_t flags;
    uint16_t mode;
    uint16_t option;
  } cases[] = {{1, 0, 0}, {1, 1, 2}, {0, 1, 0}, {0, 0, 0}, {0xFE, 1, 0}, {3, 7, 2}};
  for (const Case& c : cases) {
    State().init2_mode = c.mode;
    LogSample(c.flags);
    EXPECT_EQ(Requests(LOGREQ_ERROR).back().error.log_option, c.option)
        << "flags " << int(c.flags) << " mode " << c.mode;
  }
}

TEST_F(ErrorLogTest, TraceCopyFormatsTheFourNumbers) {
  ASSERT_EQ(LogSample(), 0);
  const auto copy = Requests(LOGREQ_TRACE).back();
  EXPECT_EQ(copy.label, "***ERROR***");
  EXPECT_EQ(copy.text, "00000000 00121301 00000002 00010002");
  EXPECT_EQ(std::string(copy.data.begin(), copy.data.end()), "MEMGET(40)")
      << "a zero length with data traces the text";
  EXPECT_EQ(Requests(LOGREQ_ERROR).back().error.data_length, 0u)
      << "while the error request keeps length 0";

  const auto* object = reinterpret_cast<const void*>(static_cast<uintptr_t>(0xABCDEF));
  QXLogErrMsg(&anchor_, 1, object, 0, 0xFFFFFFFF, 0, 0, nullptr, "QRX0001E", 0, nullptr);
  const auto second = Requests(LOGREQ_TRACE).back();
  EXPECT_EQ(second.text, "00ABCDEF 00000001 FFFFFFFF 00000000");
  EXPECT_EQ(second.data_pointer, nullptr);
  EXPECT_EQ(second.length, 0u);
}

TEST_F(ErrorLogTest, TraceCopyFollowsEitherTraceBit) {
  uint8_t flags = 0;
  anchor_.trace_flags = &flags;
  LogSample();
  EXPECT_TRUE(Requests(LOGREQ_TRACE).empty());
  flags = QX_TRACE_ERRORS;
  LogSample();
  EXPECT_EQ(Requests(LOGREQ_TRACE).size(), 1u);
  EXPECT_EQ(Requests(LOGREQ_ERROR).size(), 2u) << "the error log does not look at the flags";
}

TEST_F(ErrorLogTest, AnyNonzeroAnswerIsMinusOne) {
  for (int32_t answer : {5, -3, 1}) {
    fakes::TraceLib().error_answer = answer;
    EXPECT_EQ(LogSample(), -1) << answer;
  }
  fakes::TraceLib().error_answer = 0;
  EXPECT_EQ(LogSample(), 0);
}

TEST_F(ErrorLogTest, SuppressionStopsRequestsButNotTheTraceCopy) {
  QXSuppressMsgLogging();
  fakes::TraceLib().error_answer = 5;
  uint8_t flags = QX_TRACE_ERRORS;
  anchor_.trace_flags = &flags;
  EXPECT_EQ(LogSample(), 0);
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty());
  EXPECT_EQ(Requests(LOGREQ_TRACE).back().label, "***ERROR***");
}

TEST_F(ErrorLogTest, UnusableLibrarySendsTheErrorWithoutTraceCopy) {
  State().lib_unusable = 1;
  EXPECT_EQ(LogSample(), 0);
  EXPECT_EQ(Requests(LOGREQ_ERROR).size(), 1u);
  EXPECT_TRUE(Requests(LOGREQ_TRACE).empty());
  State().lib_unusable = 0;
}

TEST_F(ErrorLogTest, UnattachedAnchorIsNoFailure) {
  TraceAnchor loose;
  InitAnchor(loose, "LOOSE");
  EXPECT_EQ(QXLogErrMsg(&loose, 1, nullptr, 0, 2, 0x10002, 0, nullptr, "QRX0002E", 0, nullptr), 0);
  EXPECT_TRUE(Requests(LOGREQ_ERROR).empty());
}

}  // namespace
