// DisplayMsg, and the messages that the trace attachment shows with it.
#include <string>

#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"

namespace {

using DisplayMsgTest = MessagesTest;

TEST_F(DisplayMsgTest, GivenTextIsShownUnderTheCaption) {
  EXPECT_EQ(DisplayMsg("QRX0999E", 0, 0, 'E'), 0);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].first, "Quorix");
  EXPECT_EQ(boxes[0].second, "QRX0999E");
}

TEST_F(DisplayMsgTest, GivenTextIsShownUnchangedWhateverTheIdentifierNumber) {
  DisplayMsg("The text %1 stays as it is.", 0, 0x10000 + 352, 'W');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "The text %1 stays as it is.");
}

TEST_F(DisplayMsgTest, NumberedMessageIsReadFromQrxmsgWithoutTheCatalogue) {
  fakes::AddProductMessage("qrxmsg.dll", 12, "Timer thread not started.\n");
  DisplayMsg("ignored", 12, 999, 'E');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "QRX0012E Timer thread not started.");
}

TEST_F(DisplayMsgTest, UnreadableMessageShowsTheFailureLine) {
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Messages().fail_nls = 2;
  }
  DisplayMsg("ignored", 12, 0, 'E');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "QRX0012E GetNLSMessage(12, qrxmsg.dll) => 2");
}

TEST_F(DisplayMsgTest, MessageNumberWithZeroLow16BitsShowsTheGivenText) {
  DisplayMsg("given", 0x10000, 0, 'E');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "given");
  EXPECT_EQ(NlsCalls(), 0u);
}

TEST_F(DisplayMsgTest, MessageFillingTheWholeBufferStaysTerminated) {
  fakes::AddProductMessage("qrxmsg.dll", 13, std::string(600, 'm'));
  DisplayMsg(nullptr, 13, 0, 'E');
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].second, "QRX0013E " + std::string(512, 'm'));
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
