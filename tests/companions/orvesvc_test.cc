#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "orvesvc.h"

namespace {

TEST(Memory, LiveBlocksCountWhatIsNotReleased) {
  const int64_t start = OrvMemLiveBlocks();
  void* a = MEMGET(0, 10);
  void* b = MEMGET(0, 0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr) << "an empty block is still a block";
  EXPECT_EQ(OrvMemLiveBlocks(), start + 2);
  EXPECT_EQ(MEMFREE(0, a), 0);
  EXPECT_EQ(MEMFREE(0, b), 0);
  EXPECT_EQ(OrvMemLiveBlocks(), start);
  EXPECT_NE(MEMFREE(0, nullptr), 0);
  EXPECT_EQ(MEMGET(1, 10), nullptr) << "only flags 0 is known";
  EXPECT_EQ(OrvMemLiveBlocks(), start);
}

TEST(Memory, FaultSwitchFailsExactlyTheNthCall) {
  OrvMemFailNth(3);
  void* first = MEMGET(0, 8);
  void* second = MEMGET(0, 8);
  void* third = MEMGET(0, 8);
  void* fourth = MEMGET(0, 8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(third, nullptr);
  EXPECT_NE(fourth, nullptr) << "the switch fires once";
  for (void* block : {first, second, fourth}) MEMFREE(0, block);
  OrvMemFailNth(1);
  OrvMemFailNth(0);
  void* none_failed = MEMGET(0, 8);
  EXPECT_NE(none_failed, nullptr) << "0 switches the fault off";
  MEMFREE(0, none_failed);
}

TEST(Memory, CountsHoldUnderThreads) {
  const int64_t start = OrvMemLiveBlocks();
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 2000; ++i) MEMFREE(0, MEMGET(0, 32));
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(OrvMemLiveBlocks(), start);
}

TEST(ConfigValues, ComeFromTheEnvironment) {
  setenv("ORV_TEST_VALUE", "TRUE", 1);
  ASSERT_NE(win32_getcfg("ORV_TEST_VALUE"), nullptr);
  EXPECT_STREQ(win32_getcfg("ORV_TEST_VALUE"), "TRUE");
  EXPECT_EQ(win32_getcfg("ORV_TEST_NO_SUCH_VALUE"), nullptr);
  EXPECT_EQ(win32_getcfg(nullptr), nullptr);

  char* name = reinterpret_cast<char*>(1);
  unsetenv("QRXCONFIG");
  EXPECT_EQ(GetActiveConfig(&name), 0);
  EXPECT_EQ(name, nullptr);
  setenv("QRXCONFIG", "Lab", 1);
  GetActiveConfig(&name);
  EXPECT_STREQ(name, "Lab");
}

TEST(Modules, LoadsByProductNameAndResolvesDecoratedEntries) {
  setenv("QRX_MODULE_PATH", "/nonexistent:" LIBRARY_DIR, 1);
  char work[100];
  void* handle = nullptr;
  ASSERT_EQ(MSWLoadDLL(work, sizeof work, "VIRARUDI", &handle), 0u);
  ASSERT_NE(handle, nullptr);
  void* entry = nullptr;
  EXPECT_EQ(MSWGetDLLEntryPointAddr(handle, "_LOGFACILITIESEP@8", &entry), 0u);
  EXPECT_NE(entry, nullptr);
  void* plain = nullptr;
  EXPECT_EQ(MSWGetDLLEntryPointAddr(handle, "LOGFACILITIESEP", &plain), 0u);
  EXPECT_EQ(plain, entry);
  EXPECT_EQ(MSWGetDLLEntryPointAddr(handle, "_NOSUCHENTRY@8", &entry), ORV_ENTRY_NOT_FOUND);
  EXPECT_EQ(entry, nullptr);
  unsetenv("QRX_MODULE_PATH");
}

TEST(Modules, MissingModuleSaysWhy) {
  char work[100] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "NOSUCHMODULE", &handle), ORV_MODULE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  EXPECT_NE(std::strstr(work, "libnosuchmodule.so"), nullptr) << work;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, nullptr, &handle), ORV_BAD_ARGUMENT);
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "X", nullptr), ORV_BAD_ARGUMENT);
}

TEST(Modules, AModuleThatDoesNotLoadGivesTheLoadersReason) {
  char dir[] = "/tmp/orvesvc-module-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/libbroken.so";
  std::FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fputs("not a shared library\n", out);
  std::fclose(out);
  setenv("QRX_MODULE_PATH", dir, 1);
  char work[100] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "BROKEN", &handle), ORV_MODULE_NOT_FOUND);
  EXPECT_NE(std::strstr(work, dir), nullptr) << "names the file that failed: " << work;
  unsetenv("QRX_MODULE_PATH");
  std::remove(file.c_str());
  rmdir(dir);
}

// The loader reads an empty run path entry as the current directory: a
// library planted there must not be taken for a module of the product.
TEST(Modules, TheCurrentDirectoryIsSearchedOnlyWhenTheModulePathNamesIt) {
  char dir[] = "/tmp/orvesvc-planted-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::filesystem::path planted = std::filesystem::path(dir) / "libplanted.so";
  std::filesystem::copy_file(LIBRARY_DIR "/libvirarudi.so", planted);
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  char work[200] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "PLANTED", &handle), ORV_MODULE_NOT_FOUND) << work;
  setenv("QRX_MODULE_PATH", ".", 1);
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "PLANTED", &handle), 0u) << work;
  unsetenv("QRX_MODULE_PATH");
  std::filesystem::current_path(was);
  std::filesystem::remove_all(dir);
}

}  // namespace
