#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "orvesvc.h"
#include "platform/process.h"
#include "support/test_thread.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

// How the system names a module file, and separates directories in a list.
std::string ModuleFile(const std::string& base) {
  return MODULE_PREFIX + base + MODULE_SUFFIX;
}
#if defined(_WIN32)
constexpr char kPathSeparator[] = ";";
#else
constexpr char kPathSeparator[] = ":";
#endif

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
  std::vector<TestThread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 2000; ++i) MEMFREE(0, MEMGET(0, 32));
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(OrvMemLiveBlocks(), start);
}

TEST(Modules, LoadsByProductNameAndResolvesDecoratedEntries) {
  SetEnvironmentValue("QRX_MODULE_PATH",
                      (std::string("/nonexistent") + kPathSeparator + LIBRARY_DIR).c_str());
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
  SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
}

TEST(Modules, MissingModuleSaysWhy) {
  char work[100] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "NOSUCHMODULE", &handle), ORV_MODULE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  EXPECT_NE(std::strstr(work, ModuleFile("nosuchmodule").c_str()), nullptr) << work;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, nullptr, &handle), ORV_BAD_ARGUMENT);
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "X", nullptr), ORV_BAD_ARGUMENT);
}

TEST(Modules, AModuleThatDoesNotLoadGivesTheLoadersReason) {
  const std::filesystem::path dir_path =
      std::filesystem::temp_directory_path() /
      ("orvesvc-module-" + std::to_string(libdevavu::platform::CurrentThreadId()));
  std::filesystem::create_directories(dir_path);
  const std::string dir = dir_path.string();
  const std::string file = (dir_path / ModuleFile("broken")).string();
  std::FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fputs("not a shared library\n", out);
  std::fclose(out);
  SetEnvironmentValue("QRX_MODULE_PATH", dir.c_str());
  char work[100] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "BROKEN", &handle), ORV_MODULE_NOT_FOUND);
  EXPECT_NE(std::strstr(work, dir.c_str()), nullptr) << "names the file that failed: " << work;
  SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
  std::filesystem::remove_all(dir_path);
}

// The loader reads an empty run path entry as the current directory: a
// library planted there must not be taken for a module of the product.
TEST(Modules, TheCurrentDirectoryIsSearchedOnlyWhenTheModulePathNamesIt) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("orvesvc-planted-" + std::to_string(libdevavu::platform::CurrentThreadId()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path planted = dir / ModuleFile("planted");
  std::filesystem::copy_file(std::filesystem::path(LIBRARY_DIR) / ModuleFile("virarudi"), planted);
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  char work[200] = {};
  void* handle = nullptr;
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "PLANTED", &handle), ORV_MODULE_NOT_FOUND) << work;
  SetEnvironmentValue("QRX_MODULE_PATH", ".");
  EXPECT_EQ(MSWLoadDLL(work, sizeof work, "PLANTED", &handle), 0u) << work;
  SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
  std::filesystem::current_path(was);
  // Windows keeps a loaded module's file: the folder may have to stay.
  std::error_code kept;
  std::filesystem::remove_all(dir, kept);
}

}  // namespace
