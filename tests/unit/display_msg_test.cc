// DisplayMsg, and the messages that the trace attachment shows with it.
#include <string>

#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"
#include "trace/own_log.h"

namespace {

using DisplayMsgTest = MessagesTest;

TEST_F(DisplayMsgTest, ShownLines) {
  fakes::AddProductMessage("qrxmsg.dll", 12, "Timer thread not started.\n");
  fakes::AddProductMessage("qrxmsg.dll", 13, std::string(600, 'm'));
  const struct {
    const char* text;
    uint32_t msg_no, id_no;
    char severity;
    std::string shown;
  } cases[] = {
      {"QRX0999E", 0, 0, 'E', "QRX0999E"},
      {"The text %1 stays.", 0, 0x10000 + 352, 'W', "The text %1 stays."},
      {"ignored", 12, 999, 'E', "QRX0012E Timer thread not started."},
      {"given", 0x10000, 0, 'E', "given"},
      {nullptr, 13, 0, 'E', "QRX0013E " + std::string(512, 'm')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DisplayMsg(c.text, c.msg_no, c.id_no, c.severity), 0);
    EXPECT_EQ(Boxes().back(), std::make_pair(std::string("Quorix"), c.shown));
  }
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Messages().fail_nls = 2;
  }
  DisplayMsg("ignored", 12, 0, 'E');
  EXPECT_EQ(Boxes().back().second, "QRX0012E GetNLSMessage(12, qrxmsg.dll) => 2");
}

TEST_F(DisplayMsgTest, MissingTraceLibraryShowsMessage352AndGivesTheTextBack) {
  ASSERT_EQ(devavu_init(), 0);
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().load_result = 126;
  }
  ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
  InitAnchor(anchor_, "APP");
  EXPECT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), -1);
  EXPECT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), -1);
  EXPECT_EQ(GetTraceErrLogAddressability("OTHER", &entry_, &anchor_), -1);
  EXPECT_EQ(fakes::Services().loaded_modules.size(), 1u) << "no second load attempt";
  EXPECT_EQ(anchor_.log_entry, nullptr);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u) << "one box, for the library's own attachment";
  EXPECT_EQ(boxes[0].second, "Trace library VIRARUDI not loaded (code 126).");
  const auto* pool = libdevavu::messages::Tables().msg_pool_head[5];
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->buffer[0], 0) << "the text went back to the pool";
  UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
}

TEST_F(DisplayMsgTest, MissingEntryPointShowsMessage353WithTheCodeOfItsLow16Bits) {
  ASSERT_EQ(devavu_init(), 0);
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().entry_result = 0x20000 + 127;
  }
  ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
  InitAnchor(anchor_, "APP");
  EXPECT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), -1);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "Entry point _LOGFACILITIESEP@8 not found (code 127).");
  EXPECT_EQ(libdevavu::trace::Own().own_attach_state.load(), libdevavu::trace::kOwnFailed);
  EXPECT_STREQ(libdevavu::trace::Own().own_anchor.error_label, "***ERROR***")
      << "the labels are filled whatever the attachment gave";
  UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
}

TEST_F(DisplayMsgTest, AttachFailureAfterTermShowsTheFallbackText) {
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Services().load_result = 126;
  }
  ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
  InitAnchor(anchor_, "APP");
  EXPECT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), -1);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, std::string(kFallback));
  UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
}

}  // namespace
