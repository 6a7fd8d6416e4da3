// DisplayMsg, and the messages that the trace attachment shows with it.
#include <string>

#include "messages/catalogue.h"
#include "messages_test.h"

namespace {

using DisplayMsgTest = MessagesTest;

TEST_F(DisplayMsgTest, ShownLines) {
  fakes::AddProductMessage("qrxmsg.dll", 12, "Timer thread not started.\n");
  const struct {
    const char* text;
    uint32_t msg_no, id_no;
    char severity;
    std::string shown;
  } cases[] = {
      {"The text %1 stays.", 0, 0x10000 + 352, 'W', "The text %1 stays."},
      {"ignored", 12, 999, 'E', "QRX0012E Timer thread not started."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DisplayMsg(c.text, c.msg_no, c.id_no, c.severity), 0);
    EXPECT_EQ(Boxes().back(), std::make_pair(std::string("Quorix"), c.shown));
  }
}

// A trace library that does not load or lacks its entry point shows one box,
// for the library's own attachment, and gives the message text back.
TEST_F(DisplayMsgTest, AttachFailureShowsItsMessageOnce) {
  const struct {
    bool started;
    uint32_t load_result, entry_result;
    std::string shown;
  } cases[] = {
      {true, 126, 0, "Trace library VIRARUDI not loaded (code 126)."},
      {true, 0, 0x20000 + 127, "Entry point _LOGFACILITIESEP@8 not found (code 127)."},
      {false, 126, 0, kFallback},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    fakes::ResetAll();
    const size_t boxes = Boxes().size();
    ASSERT_EQ(c.started ? devavu_init() : 0, 0);
    fakes::Services().load_result = c.load_result;
    fakes::Services().entry_result = c.entry_result;
    ASSERT_EQ(ProcessCFNFileTraceEntry(&entry_), 0);
    InitAnchor(anchor_, "APP");
    EXPECT_EQ(GetTraceErrLogAddressability("APP", &entry_, &anchor_), -1);
    EXPECT_EQ(GetTraceErrLogAddressability("OTHER", &entry_, &anchor_), -1);
    EXPECT_EQ(fakes::Services().loaded_modules.size(), 1u) << "no second load attempt";
    EXPECT_EQ(anchor_.log_entry, nullptr);
    ASSERT_EQ(Boxes().size(), boxes + 1);
    EXPECT_EQ(Boxes().back().second, c.shown);
    if (c.started) {
      const auto* pool = libdevavu::messages::Tables().msg_pool_head[5];
      ASSERT_NE(pool, nullptr);
      EXPECT_EQ(pool->buffer[0], 0) << "the text went back to the pool";
    }
    UnGetTraceErrLogAddressability("APP", &entry_, &anchor_);
  }
}

}  // namespace
