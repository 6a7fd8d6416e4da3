#include <string>
#include <vector>

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

  int32_t LogSample(uint8_t flags = 0) {
    return QXLogErrMsg(&anchor_, 0x00121301, nullptr, flags, 2, 0x10002, 0, "MEMGET(40)",
                       "QRX0002E", 0, nullptr);
  }
};

TEST_F(ErrorLogTest, RequestAndTraceCopyHoldEveryArgument) {
  const auto* object = reinterpret_cast<const void*>(uintptr_t{0xABCDEF});
  const DvWord extras[3] = {0xAAAA, 0xBBBB, 0xCCCC};
  const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(QXLogErrMsg(&anchor_, 0x00121201, object, 0, 0xFFFFFFFF, 0x10003, sizeof data, data,
                        "QRX0003E", 3, extras),
            0);
  const auto error = Requests(LOGREQ_ERROR).at(0);
  const LogErrorRequest& err = error.error;
  EXPECT_EQ(error.component + " " + error.msg_id, "APP QRX0003E");
  EXPECT_EQ((std::vector<DvWord>{err.error_id, err.object, err.msg_no, err.code, err.data_length,
                                 err.extra[0], err.extra[1]}),
            (std::vector<DvWord>{0x121201, 0xABCDEF, 0xFFFFFFFF, 0x10003, 4, 0xAAAA, 0xBBBB}));
  EXPECT_EQ(err.data, data);
  const auto copy = Requests(LOGREQ_TRACE).at(0);
  EXPECT_EQ(copy.label + "|" + copy.text, "***ERROR***|00ABCDEF 00121201 FFFFFFFF 00010003");
  EXPECT_EQ(copy.data_pointer, data);

  ASSERT_EQ(LogSample(), 0);
  const auto text_copy = Requests(LOGREQ_TRACE).back().data;
  EXPECT_EQ(std::string(text_copy.begin(), text_copy.end()), "MEMGET(40)")
      << "a zero length with data traces the text";
  EXPECT_EQ(Requests(LOGREQ_ERROR).back().error.data_length, 0u);
}

// Which requests go out: the error unless suppressed, its trace copy when
// either trace bit is on and the library is usable; the log option needs flag
// bit 0 and an init2 mode.
TEST_F(ErrorLogTest, ErrorAndTraceCopyGoOutIndependently) {
  const struct {
    uint8_t trace, log;
    uint16_t mode, option;
    bool suppressed, unusable;
    int32_t answer, rc;
    size_t errors, traces;
  } cases[] = {
      {0, 1, 0, 0, false, false, 0, 0, 1, 0},
      {0, 0xFE, 1, 0, false, false, 0, 0, 1, 0},
      {0, 3, 7, 2, false, false, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, 0, 0, 0, false, false, 0, 0, 1, 1},
      {QX_TRACE_ON, 0, 0, 0, false, false, 5, -1, 1, 1},
      {QX_TRACE_ON, 0, 0, 0, false, false, -3, -1, 1, 1},
      {QX_TRACE_ON, 0, 0, 0, false, true, 0, 0, 1, 0},
      {QX_TRACE_ERRORS, 0, 0, 0, true, false, 5, 0, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.trace) << " " << int(c.log) << " " << c.mode);
    fakes::TraceLib().requests.clear();
    uint8_t flags = c.trace;
    anchor_.trace_flags = &flags;
    fakes::TraceLib().error_answer = c.answer;
    State().init2_mode = c.mode;
    State().lib_unusable = c.unusable ? 1 : 0;
    if (c.suppressed) QXSuppressMsgLogging();
    EXPECT_EQ(LogSample(c.log), c.rc);
    EXPECT_EQ(Requests(LOGREQ_TRACE).size(), c.traces);
    ASSERT_EQ(Requests(LOGREQ_ERROR).size(), c.errors);
    if (c.errors == 1) {
      EXPECT_EQ(Requests(LOGREQ_ERROR).back().error.log_option, c.option);
    }
  }
  State().lib_unusable = 0;
  anchor_.trace_flags = &anchor_.local_flags;
  TraceAnchor loose;
  InitAnchor(loose, "LOOSE");
  EXPECT_EQ(QXLogErrMsg(&loose, 1, nullptr, 0, 2, 0x10002, 0, nullptr, "QRX0002E", 0, nullptr), 0)
      << "an unattached anchor is no failure";
}

}  // namespace
