// The configuration API library over its .cfn files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
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

uint16_t Send(Block& block) { return KrtcRequest(block.data(), static_cast<uint32_t>(block.size())); }

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

class KrtcapiTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR); }
  void TearDown() override { SetEnvironmentValue("QRXCFNDIR", nullptr); }
};

TEST_F(KrtcapiTest, EachFailureHasItsOwnCodes) {
  const uint32_t crowded = Open("crowded");  // more entries than an answer holds
  const uint32_t closed = Open("lab");
  EXPECT_NE(closed, 0u);
  EXPECT_EQ(Close(closed), KRTC_RC_OK);
  Block short_open = OpenRequest("lab");
  short_open.pop_back();
  const std::string none(4, '\0');
  const struct {
    Block block;
    uint16_t primary;
    std::string secondary;  // as the block carries it
  } cases[] = {
      {OpenRequest("absent"), KRTC_RC_NOT_FOUND, none},
      {OpenRequest("broken"), KRTC_RC_BAD_FILE, std::string("\4\0\0\0", 4)},  // its first bad line
      {OpenRequest(""), KRTC_RC_BAD_NAME, none},
      {OpenRequest(".."), KRTC_RC_BAD_NAME, none},
      {OpenRequest("../config/lab"), KRTC_RC_BAD_NAME, none},
      {short_open, KRTC_RC_BAD_LENGTH, std::string("\x24\x01\0\0", 4)},  // the open's 292
      {Request(0xCA03, KRTC_CLOSE_LENGTH), KRTC_RC_BAD_REQUEST, none},
      {Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, 0xDEAD), KRTC_RC_BAD_HANDLE, none},
      {Request(KRTC_CLOSE, KRTC_CLOSE_LENGTH, closed), KRTC_RC_BAD_HANDLE, none},
      {Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, crowded), KRTC_RC_REFUSED, std::string("\x31\0\0\0", 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Block block = c.block;
    EXPECT_EQ(Send(block), c.primary);
    EXPECT_EQ(Bytes(block, KRTC_PRIMARY_OFFSET, 2), (std::string{static_cast<char>(c.primary), '\0'}));
    EXPECT_EQ(Bytes(block, KRTC_SECONDARY_OFFSET, 4), c.secondary);
    EXPECT_TRUE(std::equal(block.begin() + 16, block.end(), c.block.begin() + 16)) << "nothing else";
  }
  EXPECT_EQ(KrtcRequest(nullptr, KRTC_CLOSE_LENGTH), KRTC_RC_BAD_LENGTH);
  EXPECT_EQ(Close(crowded), KRTC_RC_OK) << "a refused configuration stays open";
}

TEST_F(KrtcapiTest, ThreadsOpenReadAndCloseAtOnce) {
  std::vector<TestThread> threads;
  std::array<uint32_t, 4> counts{};
  for (size_t t = 0; t < counts.size(); ++t) {
    threads.emplace_back([t, &counts] {
      for (int i = 0; i < 50; ++i) {
        const uint32_t handle = Open("lab");
        Block answer = Request(KRTC_ENTRIES, KRTC_ENTRIES_LENGTH, handle);
        if (Send(answer) == KRTC_RC_OK) counts[t] += answer[KRTC_COUNT_OFFSET];
        EXPECT_EQ(Close(handle), KRTC_RC_OK);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (uint32_t count : counts) EXPECT_EQ(count, 50u * 7u);
}

TEST(CfnFile, TextsThatWouldNotFitTheAnswerMakeTheFileInvalid) {
  const struct {
    std::string text;
    size_t line;  // the first bad one; 0: valid
  } cases[] = {
      {"[" + std::string(31, 'S') + "]\n" + std::string(127, 'n') + "=" + std::string(127, 'v') + "\n", 0},
      {"[" + std::string(32, 'S') + "]\n", 1},
      {"[A]\n" + std::string(128, 'n') + "=v\n", 2},
      {"[A]\nn=" + std::string(128, 'v') + "\n", 2},
      {"[A]\n=v\n", 2},
      {"[]\n", 1},
      {"[A\n", 1},
      {"n=v\n", 1},
      {"[A]\nno equals sign\n", 2},
      {std::string("[A]\nn=a\0b\n", 10), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto file = krtcapi::ParseCfnFile(c.text);
    EXPECT_EQ(file.error_line, c.line);
    EXPECT_EQ(file.entries.size(), c.line == 0 ? 1u : 0u);
    EXPECT_EQ(file.error.empty(), c.line == 0);
  }
}

}  // namespace
