// getmsg and va_getmsg over the fakes of the message sources: the choice of
// component, the substitutes, the fallback text, the marker byte, the pools
// of text buffers and their use by many threads.
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "frame/heap.h"
#include "messages_test.h"
#include "support/test_thread.h"
#include "txtcat.h"

namespace {

using GetmsgTest = MessagesTest;

// An insert beyond the count is a cleared slot: the portable formatter
// leaves it out, FormatMessageA shows a null string as "(null)".
#if defined(_WIN32)
#define NO_INSERT "(null)"
#else
#define NO_INSERT ""
#endif

// Component id and count count by their low 16 bits; at most nine inserts
// reach the text; substitutes answer bad components and missing messages;
// the trace component is asked by the index in its range.
TEST_F(GetmsgTest, TextOfARequest) {
  ASSERT_EQ(devavu_init(), 0);
  fakes::AddProductMessage("qrxmsg.dll", 301, "[%1][%2][%3]\n");
  fakes::AddProductMessage("qrxmsg.dll", 302, "%1%2%3%4%5%6%7%8%9|%10|%11|%12|\n");
  const struct {
    uint32_t comp, msg, count;
    const char* text;
  } cases[] = {
      {5, 0xCFFF0160, 2, "Trace library 2 not loaded (code 1)."},
      {0x10003, 0xCFFF012D, 0x10002, "[1][2][" NO_INSERT "]"},
      {3, 0xCFFF012E, 12, "123456789|" NO_INSERT "|" NO_INSERT "|" NO_INSERT "|"},
      {0x10014, 0xCFFF012D, 0, "Internal error: invalid component id 20."},
      {1, 0xCFFF0160, 0, "Internal error: component 1 not loaded ."},
      {3, 0xCFFF0161 + 100, 0, "Message -805371451 is not in qrxmsg.dll."},
      {0, 1, 2, "1(2)"},
      {0, 210, 0, "last"},
      {0, 2, 0, ""},
      {0, 211, 0, "Message 211 is not in qrxtrc.dll."},
  };
  const char* inserts[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
  DvWord words[12];
  for (size_t i = 0; i < 12; ++i) words[i] = reinterpret_cast<DvWord>(inserts[i]);
  for (const auto& c : cases) {
    char* text = va_getmsg(c.comp, c.msg, c.count, words);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(text[-1], 1) << c.text << ": a pool buffer, substitutes too";
    text[-1] = 0;
  }
  char* text = getmsg(3, 0xCFFF012D, 1, reinterpret_cast<DvWord>("one"));
  EXPECT_STREQ(text, "[one][" NO_INSERT "][" NO_INSERT "]") << "no inserts of an earlier request";
}

TEST_F(GetmsgTest, ReadFailureAndAfterTermGiveTheFallback) {
  ASSERT_EQ(devavu_init(), 0);
  {
    libdevavu::platform::LockHolder hold(fakes::Lock());
    fakes::Messages().msg_text_result = TXT_NO_LIBRARY;
  }
  char* text = getmsg(5, 0xCFFF0160, 0);
  EXPECT_STREQ(text, kFallback);
  EXPECT_EQ(text[-1], 2);
  devavu_term();
  text = getmsg(5, 0xCFFF0160, 0);
  text[-1] = 0;
  text[0] = 'X';
  EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback) << "restored after a caller wrote over it";
}

// A held text is never handed out again; a released one, wherever it sits
// in the pool, is.
TEST_F(GetmsgTest, PoolBuffersAreReusedOnceTheMarkerIsCleared) {
  ASSERT_EQ(devavu_init(), 0);
  char* first = getmsg(5, 0xCFFF0160, 0);
  char* second = getmsg(5, 0xCFFF0160, 0);
  EXPECT_NE(first, second);
  second[-1] = 0;
  EXPECT_EQ(getmsg(5, 0xCFFF0160, 0), second);
  first[-1] = 0;
  EXPECT_EQ(getmsg(5, 0xCFFF0160, 0), first);
}

TEST_F(GetmsgTest, TextThatWouldPass254CharactersIsCutAndTerminated) {
  ASSERT_EQ(devavu_init(), 0);
  fakes::AddProductMessage("qrxmsg.dll", 304, std::string(200, 'a') + "%1\n");
  char* text = getmsg(3, 0xCFFF0130, 1, reinterpret_cast<DvWord>(std::string(100, 'b').c_str()));
  EXPECT_EQ(std::string(text), std::string(200, 'a') + std::string(54, 'b'));
  EXPECT_EQ(text[255], '\0') << "the last byte of the area is never written";
}

TEST_F(GetmsgTest, OutOfMemoryDuringSetUpFailsTheStart) {
  static int allocations, fail_at;
  libdevavu::frame::Heap().alloc = [](size_t size) -> void* {
    return ++allocations == fail_at ? nullptr : std::malloc(size);
  };
  allocations = fail_at = 0;
  ASSERT_EQ(devavu_init(), 0);
  const int total = allocations;
  devavu_term();
  // The last ten are the five descriptors and their caches.
  for (fail_at = total - 9; fail_at <= total; ++fail_at) {
    allocations = 0;
    EXPECT_EQ(devavu_init(), -1) << "allocation " << fail_at << " of " << total;
    EXPECT_STREQ(getmsg(5, 0xCFFF0160, 0), kFallback);
    devavu_term();
  }
  libdevavu::frame::Heap().alloc = &std::malloc;
}

// Many threads holding a few texts of several components at once and giving
// them back: every text stays its holder's.
TEST_F(GetmsgTest, ThreadsHoldAndReleaseTextsOfSeveralComponents) {
  constexpr int kThreads = 8, kRounds = 200;
  ASSERT_EQ(devavu_init(), 0);
  const uint32_t asks[][2] = {{0, 1}, {6, 0xCFFF0002}, {5, 0xCFFF0160}};  // component, message
  std::atomic<int> wrong{0};
  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string mine = "t" + std::to_string(t);
      const DvWord insert = reinterpret_cast<DvWord>(mine.c_str());
      for (int round = 0; round < kRounds; ++round) {
        char* texts[std::size(asks)];
        for (size_t k = 0; k < std::size(asks); ++k) {
          texts[k] = getmsg(asks[k][0], asks[k][1], 2, insert, insert);
        }
        for (char* text : texts) {
          // Still this thread's text after the others have run.
          if (std::string(text).find(mine) == std::string::npos) ++wrong;
          if (text[-1] == 1) __atomic_store_n(text - 1, 0, __ATOMIC_RELEASE);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
