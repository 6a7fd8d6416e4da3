// Many threads asking for texts of several components at once, holding a
// few and giving them back: every text stays its holder's, and a pool never
// holds more buffers than texts were held at the same time.
#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "frame/library_state.h"
#include "messages/catalogue.h"
#include "messages_test.h"
#include "support/test_thread.h"

namespace {

using MessageThreadsTest = MessagesTest;

constexpr int kThreads = 16;
constexpr int kRounds = 300;
constexpr int kHeldAtOnce = 3;

struct Ask {
  uint32_t comp;
  uint32_t msg_no;
  std::string expect_prefix;  // the text before the thread's insert
};

// Texts held per component right now, and the most ever held. A request is
// counted from before getmsg until after its marker is cleared, so a pool
// buffer in use is always counted.
std::array<std::atomic<int>, 20> held;
std::array<std::atomic<int>, 20> peak;

void Hold(uint32_t comp) {
  const int now = ++held[comp];
  int seen = peak[comp].load();
  while (now > seen && !peak[comp].compare_exchange_weak(seen, now)) {
  }
}

void GiveBack(uint32_t comp, char* text) {
  if (text[-1] == 1) __atomic_store_n(text - 1, 0, __ATOMIC_RELEASE);
  --held[comp];
}

int PoolSize(uint32_t comp) {
  int n = 0;
  for (auto* node = libdevavu::messages::Tables().msg_pool_head[comp]; node != nullptr;
       node = node->next) {
    ++n;
  }
  return n;
}

TEST_F(MessageThreadsTest, SixteenThreadsHoldAndReleaseTextsOfSeveralComponents) {
  fakes::AddProductMessage("qrxmsg.dll", 301, "three %1\n");
  fakes::AddProductMessage("qrxmsg.dll", 20, "eight %1\n");
  fakes::AddProductMessage("qrxtrc.dll", 52, "zero %1\n");
  Start();
  for (auto& h : held) h = 0;
  for (auto& p : peak) p = 0;
  const std::vector<Ask> asks = {{0, 2, "zero "},
                                 {3, 0xCFFF012D, "three "},
                                 {5, 0xCFFF0160, "Trace library "},
                                 {8, 0xCFFF0014, "eight "},
                                 {6, 0xCFFF0002, "Internal error: "}};
  std::atomic<int> wrong{0};

  std::vector<TestThread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string mine = "t" + std::to_string(t);
      for (int round = 0; round < kRounds; ++round) {
        std::array<std::pair<uint32_t, char*>, kHeldAtOnce> texts{};
        for (int k = 0; k < kHeldAtOnce; ++k) {
          const Ask& ask = asks[(t + round + k) % asks.size()];
          Hold(ask.comp);
          char* text = getmsg(ask.comp, ask.msg_no, 2, reinterpret_cast<DvWord>(mine.c_str()),
                              reinterpret_cast<DvWord>(mine.c_str()));
          texts[k] = {ask.comp, text};
          if (std::string(text).rfind(ask.expect_prefix + mine, 0) != 0) ++wrong;
        }
        for (auto& [comp, text] : texts) {
          // Still this thread's text after the others have run.
          if (std::string(text).find(mine) == std::string::npos) ++wrong;
          GiveBack(comp, text);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(NlsCalls(), 210u) << "component 0 was preloaded once";
  for (const Ask& ask : asks) {
    const int pool = PoolSize(ask.comp);
    EXPECT_GE(pool, 1) << "component " << ask.comp;
    EXPECT_LE(pool, peak[ask.comp].load()) << "component " << ask.comp;
    EXPECT_LE(pool, kThreads * kHeldAtOnce) << "component " << ask.comp;
  }
}

}  // namespace
