// The registry operations over the file named by QRX_REGISTRY.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_thread.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

namespace reg = libdevavu::platform;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/devavu-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/registry.reg";
    SetEnvironmentValue("QRX_REGISTRY", path_.c_str());
  }
  void TearDown() override {
    SetEnvironmentValue("QRX_REGISTRY", nullptr);
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }

  // Writes a new file and renames it over the old one, as an editor that
  // saves safely does.
  void Write(const std::string& text) {
    const std::string next = path_ + ".new";
    std::ofstream(next, std::ios::binary) << text;
    ASSERT_EQ(std::rename(next.c_str(), path_.c_str()), 0);
  }

  static reg::RegKey Open(const char* path, int32_t expect = reg::kRegOk) {
    reg::RegKey key = nullptr;
    EXPECT_EQ(reg::OpenRegistryKey(reg::LocalMachineKey(), path, &key), expect) << path;
    return key;
  }

  std::string dir_;
  std::string path_;
};

constexpr char kFile[] =
    "REGEDIT4\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\Key]\n"
    "\"second-longest\"=\"12345678\"\n"
    "@=\"d\"\n"
    "\"n\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\Key\\Sub]\n";

TEST_F(RegistryTest, InfoAndEnumerationGiveWhatWindowsGivesInTheFilesOrder) {
  Write(kFile);
  reg::RegKey key = Open("soft\\KEY");
  reg::RegKeyInfo info;
  ASSERT_EQ(reg::QueryRegistryKeyInfo(key, &info), reg::kRegOk);
  EXPECT_EQ(info.values, 3u) << "the default value counts";
  EXPECT_EQ(info.longest_value_name, 14u) << "characters without the terminator";
  EXPECT_EQ(info.longest_value_data, 9u) << "bytes, the string's terminator included";
  const char* expected[] = {"second-longest", "", "n", nullptr};
  for (uint32_t i = 0; i < 4; ++i) {
    char name[32];
    uint32_t name_length = sizeof name;
    const int32_t rc = reg::EnumRegistryValue(key, i, name, &name_length, nullptr, nullptr, nullptr);
    if (expected[i] == nullptr) {
      EXPECT_EQ(rc, reg::kRegNoMoreItems);
    } else {
      EXPECT_EQ(rc, reg::kRegOk);
      EXPECT_STREQ(name, expected[i]);
      EXPECT_EQ(name_length, std::strlen(expected[i]));
    }
  }
  char short_name[14];  // no room for the terminator
  uint32_t name_length = sizeof short_name;
  EXPECT_EQ(reg::EnumRegistryValue(key, 0, short_name, &name_length, nullptr, nullptr, nullptr),
            reg::kRegMoreData);
  uint8_t data[8];
  uint32_t data_length = sizeof data;
  EXPECT_EQ(reg::QueryRegistryValue(key, "SECOND-LONGEST", nullptr, data, &data_length),
            reg::kRegMoreData);
  EXPECT_EQ(data_length, 9u) << "the length needed";
  EXPECT_EQ(reg::CloseRegistryKey(key), reg::kRegOk);
}

TEST_F(RegistryTest, MissingKeysAndAnUnsetRegistryGiveFileNotFound) {
  Write(kFile);
  Open("Soft\\Nothing", reg::kRegFileNotFound);
  Open("Soft\\Key\\Sub\\Deeper", reg::kRegFileNotFound);
  reg::RegKey sub = Open("Soft\\Key\\Sub");
  reg::RegKey same = nullptr;
  EXPECT_EQ(reg::OpenRegistryKey(sub, "", &same), reg::kRegOk);
  reg::CloseRegistryKey(same);
  reg::CloseRegistryKey(sub);
  SetEnvironmentValue("QRX_REGISTRY", nullptr);
  Open("Soft", reg::kRegFileNotFound);
  EXPECT_EQ(reg::OpenRegistryKey(nullptr, "Soft", &same), reg::kRegInvalidHandle);
}

TEST_F(RegistryTest, AReplacedFileIsReadAgainWhileThreadsRead) {
  Write(kFile);
  std::atomic<bool> done{false};
  std::vector<TestThread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&done] {
      while (!done.load()) {
        reg::RegKey key = nullptr;
        const int32_t opened = reg::OpenRegistryKey(reg::LocalMachineKey(), "Soft\\Key", &key);
        EXPECT_EQ(opened, reg::kRegOk);
        if (opened != reg::kRegOk) continue;
        reg::RegKeyInfo info;
        EXPECT_EQ(reg::QueryRegistryKeyInfo(key, &info), reg::kRegOk);
        EXPECT_TRUE(info.values == 3 || info.values == 1) << info.values;
        reg::CloseRegistryKey(key);
      }
    });
  }
  for (int i = 0; i < 50; ++i) Write(i % 2 == 0 ? "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\\Key]\n\"v\"=\"1\"\n" : kFile);
  done = true;
  for (auto& reader : readers) reader.join();

  reg::RegKey old_key = Open("Soft\\Key");
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\\Other]\n");
  Open("Soft\\Key", reg::kRegFileNotFound);
  reg::CloseRegistryKey(Open("Soft\\Other"));
  reg::RegKeyInfo info;
  ASSERT_EQ(reg::QueryRegistryKeyInfo(old_key, &info), reg::kRegOk);
  EXPECT_EQ(info.values, 3u) << "an open key keeps the file it was opened on";
  reg::CloseRegistryKey(old_key);
}

TEST_F(RegistryTest, AMalformedFileIsReportedOnceAndEveryReadFailsUntilItIsCorrected) {
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft]\n\"v\"=dword:xyz\n");
  testing::internal::CaptureStderr();
  Open("Soft", reg::kRegCorrupt);
  Open("Soft", reg::kRegCorrupt);
  reg::RegKeyInfo info;
  EXPECT_EQ(reg::QueryRegistryKeyInfo(reg::LocalMachineKey(), &info), reg::kRegCorrupt);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "devavu: registry file " + path_ +
                      ", line 3: dword: takes 1 to 8 hex digits; every registry read fails "
                      "until the file is corrected\n");
  Write(kFile);
  reg::CloseRegistryKey(Open("Soft"));
}

// Each is reported once, and every read fails at once until the file
// changes: an endless file is not read again on each call.
TEST_F(RegistryTest, AFileThatCannotServeIsReportedOnceAndFailsEveryRead) {
  const std::string big = dir_ + "/big.reg";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, (64u << 20) + 1);  // sparse: nothing is written
  const struct {
    std::string path;
    std::string why;
  } cases[] = {
      {path_, " cannot be read: No such file or directory"},
      {dir_, " is a directory, not a file"},
      {"/dev/zero", " is larger than 64 MiB, the most that is read"},
      {big, " is larger than 64 MiB, the most that is read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    setenv("QRX_REGISTRY", c.path.c_str(), 1);
    testing::internal::CaptureStderr();
    Open("Soft", reg::kRegIoFailed);
    Open("Soft", reg::kRegIoFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "devavu: registry file " + c.path + c.why +
                  "; every registry read fails until the file changes\n");
  }
  std::remove(big.c_str());
}

}  // namespace
