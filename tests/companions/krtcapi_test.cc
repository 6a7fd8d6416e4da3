// The configuration API library over its .cfn files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "cfn_file.h"
#include "krtcapi.h"
#include "platform/process.h"
#include "support/test_thread.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

using Block = std::vector<uint8_t>;

// A zeroed block with its request code (low byte first) and a handle, which
// the library takes back as it handed it out.
Block Request(uint16_t code, uint32_t length, uint32_t handle = 0) {
  Block block(length);
  block[KRTC_REQUEST_OFFSET] = static_cast<uint8_t>(code);
  block[KRTC_REQUEST_OFFSET + 1] = static_cast<uint8_t>(code >> 8);
  std::memcpy(block.data() + KRTC_HANDLE_OFFSET, &handle, 4);
  return block;
}

Block OpenRequest(const std::string& name) {
  Block block = Request(KRTC_OPEN, KRTC_OPEN_LENGTH);
  std::memset(block.data() + KRTC_NAME_OFFSET, ' ', KRTC_NAME_SIZE);
  std::memcpy(block.data() + KRTC_NAME_OFFSET, name.data(), name.size());
  block[KRTC_OPEN_LEVEL_OFFSET] = 7;
  return block;
}

std::string Bytes(const Block& block, size_t offset, size_t size) {
  return std::string(block.begin() + offset, block.begin() + offset + size);
}

uint16_t Send(Block& block) { return KrtcRequest(block.data(), block.size()); }

uint32_t Open(const std::string& name) {
  Block block = OpenRequest(name);
  EXPECT_EQ(Send(block), KRTC_RC_OK) << name;
  uint32_t handle = 0;
  std::memcpy(&handle, block.data() + KRTC_HANDLE_OFFSET, 4);
  return handle;
}

uint16_t Close(uint32_t handle) {
  Block block = Request(KRTC_CLOSE, KRTC_CLOSE_LENGTH, handle);
  return Send(block);
}

TEST(Krtcapi, EachFailureHasItsOwnCodes) {
  SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR);
  const uint32_t crowded = Open("crowded");  // more entries than an answer holds
  const uint32_t closed = Open("lab");
  EXPECT_EQ(Close(closed), KRTC_RC_OK);
  const std::string none(4, '\0');
  // The request, the primary code, the secondary as the block carries it.
  const std::tuple<Block, uint16_t, std::string> cases[] = {
      {OpenRequest("absent"), KRTC_RC_NOT_FOUND, none},
      {OpenRequest("broken"), KRTC_RC_BAD_FILE, std::string("\4\0\0\0", 4)},  // its first bad line
      {OpenRequest(""), KRTC_RC_BAD_NAME, none},
      {OpenRequest("../config/lab"), KRTC_RC_BAD_NAME, none},
      {Request(KRTC_OPEN, KRTC_OPEN_LENGTH - 1), KRTC_RC_BAD_LENGTH,
       std::string("\x24\x01\0\0", 4)},  // the open's 292
      {Request(0xCA03, KRTC_CLOSE_LENGTH), KRTC_RC_BAD_REQUEST, none},
      {Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, 0xDEAD), KRTC_RC_BAD_HANDLE, none},
      {Request(KRTC_CLOSE, KRTC_CLOSE_LENGTH, closed), KRTC_RC_BAD_HANDLE, none},
      {Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, crowded), KRTC_RC_REFUSED,
       std::string("\x31\0\0\0", 4)},
  };
  for (const auto& [request, primary, secondary] : cases) {
    Block block = request;
    EXPECT_EQ(Send(block), primary) << Bytes(request, 0, 16);
    EXPECT_EQ(block[KRTC_PRIMARY_OFFSET] | block[KRTC_PRIMARY_OFFSET + 1] << 8, primary);
    EXPECT_EQ(Bytes(block, KRTC_SECONDARY_OFFSET, 4), secondary);
    const size_t rest = block.size() - 16;
    EXPECT_EQ(Bytes(block, 16, rest), Bytes(request, 16, rest)) << "nothing else";
  }
  EXPECT_EQ(KrtcRequest(nullptr, KRTC_CLOSE_LENGTH), KRTC_RC_BAD_LENGTH);
  EXPECT_EQ(Close(crowded), KRTC_RC_OK) << "a refused configuration stays open";
}

TEST(Krtcapi, ThreadsOpenReadAndCloseAtOnce) {
  SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR);
  std::vector<TestThread> threads;
  std::atomic<uint32_t> count{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&count] {
      for (int i = 0; i < 50; ++i) {
        const uint32_t handle = Open("lab");
        Block answer = Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, handle);
        if (Send(answer) == KRTC_RC_OK) count += answer[KRTC_COUNT_OFFSET];
        EXPECT_EQ(Close(handle), KRTC_RC_OK);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(count.load(), 4u * 50u * 7u);
}

TEST(CfnFile, TextsThatWouldNotFitTheAnswerMakeTheFileInvalid) {
  // The text and its first bad line; 0: valid.
  const std::pair<std::string, size_t> cases[] = {
      {"[" + std::string(31, 'S') + "]\n" + std::string(127, 'n') + "=" + std::string(127, 'v'), 0},
      {"[" + std::string(32, 'S') + "]\n", 1},
      {"[A]\n" + std::string(128, 'n') + "=v\n", 2},
      {"[A]\nn=" + std::string(128, 'v') + "\n", 2},
      {"[A]\n=v\n", 2},
      {"[]\n", 1},
      {"[A\n", 1},
      {"n=v\n", 1},
      {std::string("[A]\nn=a\0b\n", 10), 2},
  };
  for (const auto& [text, line] : cases) {
    const auto file = krtcapi::ParseCfnFile(text);
    EXPECT_EQ(file.error_line, line) << text;
    EXPECT_EQ(file.entries.size(), line == 0 ? 1u : 0u) << text;
  }
}

}  // namespace
