// Many threads asking for texts of several components at once, holding a
// few and giving them back: every text stays its holder's, and a pool grows
// no larger than the texts held at one time.
#include <atomic>
#include <iterator>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"
#include "support/test_thread.h"

namespace {

using MessageThreadsTest = MessagesTest;

TEST_F(MessageThreadsTest, SixteenThreadsHoldAndReleaseTextsOfSeveralComponents) {
  constexpr int kThreads = 16, kRounds = 300, kHeldAtOnce = 3;
  fakes::AddProductMessage("qrxmsg.dll", 301, "three %1\n");
  fakes::AddProductMessage("qrxmsg.dll", 20, "eight %1\n");
  fakes::AddProductMessage("qrxtrc.dll", 52, "zero %1\n");
  ASSERT_EQ(devavu_init(), 0);
  const struct {
    uint32_t comp, msg_no;
    std::string prefix;  // the text before the thread's insert
  } asks[] = {{0, 2, "zero "},
              {3, 0xCFFF012D, "three "},
              {5, 0xCFFF0160, "Trace library "},
              {8, 0xCFFF0014, "eight "},
              {6, 0xCFFF0002, "Internal error: "}};
  std::atomic<int> wrong{0};
  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string mine = "t" + std::to_string(t);
      const DvWord insert = reinterpret_cast<DvWord>(mine.c_str());
      for (int round = 0; round < kRounds; ++round) {
        char* texts[kHeldAtOnce];
        for (int k = 0; k < kHeldAtOnce; ++k) {
          const auto& ask = asks[(t + round + k) % std::size(asks)];
          texts[k] = getmsg(ask.comp, ask.msg_no, 2, insert, insert);
          if (std::string(texts[k]).rfind(ask.prefix + mine, 0) != 0) ++wrong;
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
  for (const auto& ask : asks) {
    int pool = 0;
    for (auto* n = libdevavu::messages::Tables().msg_pool_head[ask.comp]; n; n = n->next) ++pool;
    EXPECT_GE(pool, 1) << "component " << ask.comp;
    EXPECT_LE(pool, kThreads * kHeldAtOnce) << "component " << ask.comp;
  }
}

}  // namespace
