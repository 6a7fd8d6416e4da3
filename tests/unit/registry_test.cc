// The registry operations over the file named by QRX_REGISTRY, and
// ProcessCFNFileEntries over them.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config_test.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_thread.h"

namespace {

namespace reg = libdevavu::platform;

class RegistryTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    char pattern[] = "/tmp/devavu-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/registry.reg";
    reg::SetEnvironmentValue("QRX_REGISTRY", path_.c_str());
  }
  void TearDown() override {
    reg::SetEnvironmentValue("QRX_REGISTRY", nullptr);
    std::filesystem::remove_all(dir_);
    ConfigTest::TearDown();
  }

  // Writes a new file and renames it over the old one, as an editor that
  // saves safely does.
  void Write(const std::string& text) {
    std::ofstream(path_ + ".new", std::ios::binary) << text;
    ASSERT_EQ(std::rename((path_ + ".new").c_str(), path_.c_str()), 0);
  }

  // The sample file with lines added at its end.
  void WriteLabWith(const std::string& added) {
    std::stringstream text;
    text << std::ifstream(CONFIG_DATA_DIR "/lab.reg", std::ios::binary).rdbuf() << "\r\n" << added;
    Write(text.str());
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
    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\\Key]\n"
    "\"second-longest\"=\"12345678\"\n@=\"d\"\n\"n\"=dword:00000001\n";
constexpr char kOneValue[] = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\\Key]\n\"v\"=\"1\"\n";

TEST_F(RegistryTest, AReplacedFileIsReadAgainWhileThreadsRead) {
  Write(kFile);
  std::atomic<bool> done{false};
  std::vector<TestThread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&done] {
      while (!done.load()) {
        reg::RegKey key = Open("Soft\\Key");
        reg::RegKeyInfo info;
        EXPECT_EQ(reg::QueryRegistryKeyInfo(key, &info), reg::kRegOk);
        EXPECT_TRUE(info.values == 3 || info.values == 1) << info.values;
        reg::CloseRegistryKey(key);
      }
    });
  }
  for (int i = 0; i < 1000; ++i) Write(i % 2 == 0 ? kOneValue : kFile);
  done = true;
  for (auto& reader : readers) reader.join();

  reg::RegKey key = Open("soft\\KEY");
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\\Other]\n");
  Open("Soft\\Key", reg::kRegFileNotFound);
  reg::RegKeyInfo info;
  ASSERT_EQ(reg::QueryRegistryKeyInfo(key, &info), reg::kRegOk);
  EXPECT_EQ(info.values, 3u) << "an open key keeps the file it was opened on";
  EXPECT_EQ(reg::CloseRegistryKey(key), reg::kRegOk);
}

// Each is reported once, and every read fails at once until the file
// changes: an endless file is not read again on each call.
TEST_F(RegistryTest, AFileThatCannotServeIsReportedOnceAndFailsEveryRead) {
  const std::pair<std::string, std::string> cases[] = {
      {path_, ", line 3: dword: takes 1 to 8 hex digits"}, {dir_, " is a directory, not a file"},
      {"/dev/zero", " is larger than 64 MiB, the most that is read"},
      {dir_ + "/absent", " cannot be read: No such file or directory"}};
  Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft]\n\"v\"=dword:xyz\n");
  for (const auto& [path, says] : cases) {
    SCOPED_TRACE(path);
    const int32_t rc = path == path_ ? reg::kRegCorrupt : reg::kRegIoFailed;
    reg::SetEnvironmentValue("QRX_REGISTRY", path.c_str());
    testing::internal::CaptureStderr();
    Open("Soft", rc);
    reg::RegKeyInfo info;
    EXPECT_EQ(reg::QueryRegistryKeyInfo(reg::LocalMachineKey(), &info), rc);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "devavu: registry file " + path + says +
                  "; every registry read fails until the file " +
                  (rc == reg::kRegCorrupt ? "is corrected\n" : "changes\n"));
  }
  reg::SetEnvironmentValue("QRX_REGISTRY", path_.c_str());
  Write(kFile);
  reg::CloseRegistryKey(Open("Soft"));
}

// The trace entry and the sections come from the registry alone; a broken
// active configuration gives -10.
TEST_F(RegistryTest, TheActiveConfigurationIsDeliveredWithoutTheTraceLibrary) {
  SetValue("QRXRUN", "TRUE");
  WriteLabWith("");
  ASSERT_EQ(ProcessCFNFileEntries(&entries_), 0);
  EXPECT_EQ(RequestCount(), 0u) << "no attach and no detach on the registry path";
  EXPECT_STREQ(entries_.trace_entry_name, "_LOGFACILITIESEP@8");
  // REG_EXPAND_SZ as stored, not expanded; a number's bytes; a section
  // without values and one that does not exist.
  EXPECT_EQ(Entries(),
            "MODE=active,PORT=4711,HOST=lab-gw-1,|PATH=%QRX%\\p,RETRY=\3,NAME=quorix.provider,|||");
  Release();
  ExpectEveryMemgetFailureHandled();

  const std::string active =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltara\\Quorix\\V100\\Configurations]\r\n";
  for (const std::string& added :
       {"[-" + active.substr(1), active + "@=-\r\n", active + "@=hex(2):4c,61,62,00\r\n",
        active + "@=\"\"\r\n", active + "@=\"Nowhere\"\r\n", active + "@=\"TwoTrace\"\r\n",
        active + "@=\"NumberTrace\"\r\n", active + "@=\"NoTrace\"\r\n"}) {
    WriteLabWith(added);
    EXPECT_EQ(ProcessCFNFileEntries(&entries_), DV_UNUSABLE) << added;
    Release();
  }
}

}  // namespace
