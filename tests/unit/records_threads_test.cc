#include <gtest/gtest.h>

#include <vector>

#include "records_test_support.h"
#include "support/test_thread.h"

namespace {

// The service keeps no state: threads with request blocks of their own parse,
// build and release at once, and each gets back exactly its own stream.
TEST_F(RecordsTest, ThreadsWithTheirOwnRequestsDoNotMeet) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::vector<TestThread> threads;
  std::vector<int> mismatches(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &mismatches] {
      const auto me = static_cast<uint8_t>(t);
      Bytes stream = Concat({Record(1, me, Bytes(10, me)), Record(1, me), Record(12, me, {me})});
      for (int round = 0; round < kRounds; ++round) {
        SmfmtRequest request{};
        request.buf = stream.data();
        request.len = static_cast<int32_t>(stream.size());
        request.op = SMFMT_PARSE;
        bool ok = QXSMFMT(&request) == 0;
        request.op = SMFMT_BUILD;
        ok = ok && QXSMFMT(&request) == 0;
        ok = ok && Bytes(request.buf, request.buf + request.len) == stream;
        request.op = SMFMT_FREE_BUFFER;
        ok = ok && QXSMFMT(&request) == 0;
        request.op = SMFMT_FREE_LIST;
        ok = ok && QXSMFMT(&request) == 0;
        if (!ok) ++mismatches[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
  EXPECT_EQ(fakes::LiveBlocks(), 0u);
}

}  // namespace
