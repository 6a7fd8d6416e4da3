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

TEST(Memory, CountsAndTheFaultSwitch) {
  const int64_t start = OrvMemLiveBlocks();
  void* empty = MEMGET(0, 0);
  ASSERT_NE(empty, nullptr) << "an empty block is still a block";
  EXPECT_EQ(OrvMemLiveBlocks(), start + 1);
  EXPECT_EQ(MEMFREE(0, empty), 0);
  EXPECT_NE(MEMFREE(0, nullptr), 0);
  EXPECT_EQ(MEMGET(1, 10), nullptr) << "only flags 0 is known";
  OrvMemFailNth(2);
  void* first = MEMGET(0, 8);
  EXPECT_EQ(MEMGET(0, 8), nullptr);
  void* third = MEMGET(0, 8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(third, nullptr) << "the switch fires once";
  MEMFREE(0, first);
  MEMFREE(0, third);
  OrvMemFailNth(1);
  OrvMemFailNth(0);
  void* kept = MEMGET(0, 8);
  EXPECT_NE(kept, nullptr) << "0 switches the fault off";
  MEMFREE(0, kept);
  EXPECT_EQ(OrvMemLiveBlocks(), start);
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
