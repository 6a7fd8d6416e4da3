// The configuration API library over its .cfn files.
#include <gtest/gtest.h>
#include <stdlib.h>

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

// Fields are little-endian whatever the host: written and read here byte by
// byte.
uint32_t Get(const uint8_t* block, size_t offset, size_t width) {
  return width == 2 ? block[offset] | block[offset + 1] << 8
                    : block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
                          static_cast<uint32_t>(block[offset + 3]) << 24;
}

template <size_t Length>
std::array<uint8_t, Length> Block(uint16_t code, uint32_t handle = 0) {
  std::array<uint8_t, Length> block{};
  block[KRTC_REQUEST_OFFSET] = static_cast<uint8_t>(code);
  block[KRTC_REQUEST_OFFSET + 1] = static_cast<uint8_t>(code >> 8);
  std::memcpy(block.data() + KRTC_HANDLE_OFFSET, &handle, 4);  // handed back as it came
  return block;
}

struct Codes {
  uint16_t result;
  uint32_t primary;
  int32_t secondary;
};

template <size_t Length>
Codes Send(std::array<uint8_t, Length>& block, uint32_t length = Length) {
  const uint16_t result = KrtcRequest(block.data(), length);
  return {result, Get(block.data(), KRTC_PRIMARY_OFFSET, 2),
          static_cast<int32_t>(Get(block.data(), KRTC_SECONDARY_OFFSET, 4))};
}

class KrtcapiTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentValue("QRXCFNDIR", CONFIG_DATA_DIR); }
  void TearDown() override { SetEnvironmentValue("QRXCFNDIR", nullptr); }

  static std::array<uint8_t, KRTC_OPEN_LENGTH> OpenBlock(const std::string& name) {
    auto block = Block<KRTC_OPEN_LENGTH>(KRTC_OPEN);
    std::memset(block.data() + KRTC_NAME_OFFSET, ' ', KRTC_NAME_SIZE);
    std::memcpy(block.data() + KRTC_NAME_OFFSET, name.data(), name.size());
    block[KRTC_OPEN_LEVEL_OFFSET] = 7;
    return block;
  }

  static uint32_t Open(const std::string& name) {
    auto block = OpenBlock(name);
    EXPECT_EQ(Send(block).result, KRTC_RC_OK) << name;
    uint32_t handle = 0;
    std::memcpy(&handle, block.data() + KRTC_HANDLE_OFFSET, 4);
    return handle;
  }

  static Codes Close(uint32_t handle) {
    auto block = Block<KRTC_CLOSE_LENGTH>(KRTC_CLOSE, handle);
    return Send(block);
  }

  static std::string Field(const uint8_t* answer, size_t entry, size_t offset) {
    return reinterpret_cast<const char*>(answer + KRTC_ENTRY_OFFSET + entry * KRTC_ENTRY_SIZE + offset);
  }
};

TEST_F(KrtcapiTest, EntriesComeInTheFilesOrderWithTheirSections) {
  const uint32_t handle = Open("lab");
  EXPECT_NE(handle, 0u);
  auto answer = Block<KRTC_ENTRIES_LENGTH>(KRTC_ENTRIES, handle);
  ASSERT_EQ(Send(answer).result, KRTC_RC_OK);
  ASSERT_EQ(Get(answer.data(), KRTC_COUNT_OFFSET, 2), 7u);
  const std::vector<std::array<std::string, 3>> expected = {
      {"CMMUSER", "HOST", "lab-gw-1"},     {"CMMUSER", "PORT", "4711"},
      {"CMMUSER", "MODE", "active"},       {"TRACE", "VIRARUDI", "_LOGFACILITIESEP@8"},
      {"PROVIDER", "NAME", "quorix.provider"},
      {"PROVIDER", "URL", "https://lab.example/cfg?a=1;b=2#top"},
      {"SERVICES", "EMPTY", ""}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Field(answer.data(), i, 0), expected[i][0]);
    EXPECT_EQ(Field(answer.data(), i, KRTC_SECTION_SIZE), expected[i][1]);
    EXPECT_EQ(Field(answer.data(), i, KRTC_SECTION_SIZE + KRTC_ENTRY_NAME_SIZE), expected[i][2]);
  }
  EXPECT_EQ(Close(handle).result, KRTC_RC_OK);
  EXPECT_EQ(Close(handle).result, KRTC_RC_BAD_HANDLE) << "closed already";
}

TEST_F(KrtcapiTest, EachFailureHasItsOwnCodes) {
  auto missing = OpenBlock("absent");
  EXPECT_EQ(Send(missing).result, KRTC_RC_NOT_FOUND);
  auto broken = OpenBlock("broken");
  const Codes bad_file = Send(broken);
  EXPECT_EQ(bad_file.primary, static_cast<uint32_t>(KRTC_RC_BAD_FILE));
  EXPECT_EQ(bad_file.secondary, 4) << "the first bad line";
  for (const char* name : {"", "..", "../config/lab"}) {
    auto block = OpenBlock(name);
    EXPECT_EQ(Send(block).result, KRTC_RC_BAD_NAME) << name;
  }
  auto wrong_length = OpenBlock("lab");
  const Codes length = Send(wrong_length, KRTC_OPEN_LENGTH - 1);
  EXPECT_EQ(length.primary, static_cast<uint32_t>(KRTC_RC_BAD_LENGTH));
  EXPECT_EQ(length.secondary, static_cast<int32_t>(KRTC_OPEN_LENGTH));
  auto unknown = Block<KRTC_CLOSE_LENGTH>(0xCA03);
  EXPECT_EQ(Send(unknown).result, KRTC_RC_BAD_REQUEST);
  auto stale = Block<KRTC_ENTRIES_LENGTH>(KRTC_ENTRIES, 0xDEAD);
  EXPECT_EQ(Send(stale).result, KRTC_RC_BAD_HANDLE);
  EXPECT_EQ(KrtcRequest(nullptr, KRTC_CLOSE_LENGTH), KRTC_RC_BAD_LENGTH);

  const uint32_t crowded = Open("crowded");  // more entries than an answer holds
  auto answer = Block<KRTC_ENTRIES_LENGTH>(KRTC_ENTRIES, crowded);
  const Codes refused = Send(answer);
  EXPECT_EQ(refused.primary, static_cast<uint32_t>(KRTC_RC_REFUSED));
  EXPECT_EQ(refused.secondary, 49);
  EXPECT_EQ(Get(answer.data(), KRTC_COUNT_OFFSET, 2), 0u);
  EXPECT_EQ(Close(crowded).result, KRTC_RC_OK);
}

TEST_F(KrtcapiTest, ThreadsOpenReadAndCloseAtOnce) {
  std::vector<TestThread> threads;
  std::array<uint32_t, 4> counts{};
  for (size_t t = 0; t < counts.size(); ++t) {
    threads.emplace_back([t, &counts] {
      for (int i = 0; i < 50; ++i) {
        const uint32_t handle = Open("lab");
        auto answer = Block<KRTC_ENTRIES_LENGTH>(KRTC_ENTRIES, handle);
        if (KrtcRequest(answer.data(), KRTC_ENTRIES_LENGTH) == KRTC_RC_OK) {
          counts[t] += Get(answer.data(), KRTC_COUNT_OFFSET, 2);
        }
        EXPECT_EQ(Close(handle).result, KRTC_RC_OK);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (uint32_t count : counts) EXPECT_EQ(count, 50u * 7u);
}

TEST(CfnFile, TextsThatWouldNotFitTheAnswerMakeTheFileInvalid) {
  const std::string fits = "[" + std::string(31, 'S') + "]\n" + std::string(127, 'n') + "=" +
                           std::string(127, 'v') + "\n";
  EXPECT_EQ(krtcapi::ParseCfnFile(fits).error_line, 0u);
  const struct {
    std::string text;
    size_t line;
  } bad[] = {
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
  for (const auto& b : bad) {
    const auto file = krtcapi::ParseCfnFile(b.text);
    EXPECT_EQ(file.error_line, b.line) << b.text;
    EXPECT_TRUE(file.entries.empty());
    EXPECT_FALSE(file.error.empty());
  }
}

}  // namespace
