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

// Which requests go out: the error unless suppressed, its trace copy when
// either trace bit is on and the library is usable.
TEST_F(ErrorLogTest, ErrorAndTraceCopyGoOutIndependently) {
  const struct {
    uint8_t flags;
    bool suppressed, unusable;
    int32_t answer, rc;
    size_t errors, traces;
  } cases[] = {
      {0, false, false, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, false, false, 0, 0, 1, 1},
      {QX_TRACE_ON, false, false, 5, -1, 1, 1},
      {QX_TRACE_ON, false, false, -3, -1, 1, 1},
      {QX_TRACE_ON, false, true, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, true, false, 5, 0, 0, 1},
  };
  for (const auto& c : cases) {
    fakes::TraceLib().requests.clear();
    uint8_t flags = c.flags;
    anchor_.trace_flags = &flags;
    fakes::TraceLib().error_answer = c.answer;
    State().lib_unusable = c.unusable ? 1 : 0;
    if (c.suppressed) QXSuppressMsgLogging();
    EXPECT_EQ(LogSample(), c.rc);
    EXPECT_EQ(Requests(LOGREQ_ERROR).size(), c.errors) << int(c.flags) << c.unusable;
    EXPECT_EQ(Requests(LOGREQ_TRACE).size(), c.traces) << int(c.flags) << c.unusable;
  }
  State().lib_unusable = 0;
  anchor_.trace_flags = &anchor_.local_flags;
  TraceAnchor loose;
  InitAnchor(loose, "LOOSE");
  EXPECT_EQ(QXLogErrMsg(&loose, 1, nullptr, 0, 2, 0x10002, 0, nullptr, "QRX0002E", 0, nullptr), 0)
      << "an unattached anchor is no failure";
}

}  // namespace
