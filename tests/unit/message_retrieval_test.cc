// RetrieveMsgText through getmsg: the preload of the trace component and its
// cache, read from the fake of GetNLSMessage.
#include <string>

#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"

namespace {

using MessageRetrievalTest = MessagesTest;

DvWord Str(const char* s) { return reinterpret_cast<DvWord>(s); }

TEST_F(MessageRetrievalTest, FirstRequestReadsTheTraceRangeOnceThenNothing) {
  Start();
  char* text = getmsg(0, 1, 2, Str("Open"), DvWord{42});
  EXPECT_STREQ(text, "Open(42)");
  Release(text);
  std::vector<uint16_t> calls;
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    calls = fakes::Messages().nls_calls;
  }
  ASSERT_EQ(calls.size(), 210u);
  EXPECT_EQ(calls.front(), 51);
  EXPECT_EQ(calls.back(), 260);

  text = getmsg(0, 210, 0);
  EXPECT_STREQ(text, "last");
  Release(text);
  EXPECT_EQ(NlsCalls(), 210u) << "later requests are served from the cache";
  text = getmsg(0, 2, 0);
  EXPECT_STREQ(text, "") << "a message missing from the trace library is an empty text";
  Release(text);
  for (uint32_t index : {0u, 211u}) {
    text = getmsg(0, index, 0);
    EXPECT_EQ(std::string(text), "Message " + std::to_string(index) + " is not in qrxtrc.dll.");
    Release(text);
  }
}

TEST_F(MessageRetrievalTest, OtherComponentsAreAskedByIdentifierEveryTime) {
  Start();
  Release(getmsg(5, 0xCFFF0160, 0));
  Release(getmsg(5, 0xCFFF0160, 0));
  libdevavu::platform::LockHolder hold(fakes::Lock());
  EXPECT_EQ(fakes::Messages().msg_text_calls, (std::vector<uint32_t>{0xCFFF0160, 0xCFFF0160}));
  EXPECT_TRUE(fakes::Messages().nls_calls.empty());
}

}  // namespace
