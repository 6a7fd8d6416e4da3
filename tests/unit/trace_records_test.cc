#include <cstring>

#include "frame/library_state.h"
#include "library_test.h"
#include "trace/own_log.h"

namespace {

using TraceRecordsTest = LibraryTest;

TEST_F(TraceRecordsTest, RequestCarriesTheCallersWords) {
  StartAndAttach();
  const uint8_t data[3] = {1, 2, 3};
  QXLogTrace(&anchor_, anchor_.debug_info_label, "Timer CB inserted", data, sizeof data);
  const auto traces = Requests(LOGREQ_TRACE);
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(traces[0].label, "DEBUG INFO ");
  EXPECT_EQ(traces[0].component, "APP");
  EXPECT_EQ(traces[0].text, "Timer CB inserted");
  EXPECT_EQ(traces[0].data_pointer, data);
  EXPECT_EQ(traces[0].length, 3u);

  QXLogTrace(&anchor_, anchor_.func_ret_label, nullptr, nullptr, 0);
  const auto bare = Requests(LOGREQ_TRACE).back();
  EXPECT_FALSE(bare.has_text);
  EXPECT_EQ(bare.data_pointer, nullptr);
  DetachAndTerm();
}

TEST_F(TraceRecordsTest, NothingIsSentWhenUnusableOrDetached) {
  StartAndAttach();
  libdevavu::frame::State().lib_unusable = 1;
  QXLogTrace(&anchor_, anchor_.func_call_label, "x", nullptr, 0);
  EXPECT_TRUE(Requests(LOGREQ_TRACE).empty());
  libdevavu::frame::State().lib_unusable = 0;

  UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
  EXPECT_EQ(anchor_.trace_flags, &anchor_.local_flags);
  EXPECT_EQ(*anchor_.trace_flags & QX_TRACE_ON, 0) << "a detached anchor tests false";
  QXLogTrace(&anchor_, anchor_.func_call_label, "x", nullptr, 0);
  EXPECT_TRUE(Requests(LOGREQ_TRACE).empty());
  devavu_term();
}

TEST_F(TraceRecordsTest, OwnAnchorTracesNothingBeforeItsAttachment) {
  const TraceAnchor& own = libdevavu::trace::Own().own_anchor;
  EXPECT_EQ(own.trace_flags, &own.local_flags);
  EXPECT_EQ(*own.trace_flags, 0);
}

TEST_F(TraceRecordsTest, LabelsKeepEveryBlank) {
  TraceAnchor anchor;
  std::memset(&anchor, 0, sizeof anchor);
  anchor.trace_flags = &anchor.local_flags;
  anchor.component_name = "APP";
  anchor.error_id_base = 0x1234;
  SetTraceHdrs(&anchor);
  EXPECT_STREQ(anchor.send_label, "<==SEND=====");
  EXPECT_STREQ(anchor.recv_label, "===RECV====>");
  EXPECT_STREQ(anchor.func_call_label, "FUNC CALL");
  EXPECT_STREQ(anchor.func_ret_label, "FUNC RET");
  EXPECT_STREQ(anchor.thread_start_label, "THRD START");
  EXPECT_STREQ(anchor.prov_call_label, "PROV CALL   ");
  EXPECT_STREQ(anchor.prov_ret_label, "PROV RET    ");
  EXPECT_STREQ(anchor.recv_dg_label, "===RECV=DG=>");
  EXPECT_STREQ(anchor.send_dg_label, "<==SEND=DG==");
  EXPECT_STREQ(anchor.error_label, "***ERROR***");
  EXPECT_STREQ(anchor.debug_info_label, "DEBUG INFO ");

  TraceAnchor again;
  std::memcpy(&again, &anchor, sizeof anchor);
  SetTraceHdrs(&again);
  EXPECT_EQ(std::memcmp(&again, &anchor, sizeof anchor), 0)
      << "a second call changes nothing, the other fields included";
}

}  // namespace
