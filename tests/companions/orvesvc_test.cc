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

// A folder of its own, the module path set to it or to what is given.
class ModuleFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_);
    was_ = std::filesystem::current_path();
  }
  void TearDown() override {
    SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
    std::filesystem::current_path(was_);
    std::error_code kept;  // Windows keeps a loaded module's file
    std::filesystem::remove_all(dir_, kept);
  }
  uint32_t Load(const char* module, const char* module_path) {
    SetEnvironmentValue("QRX_MODULE_PATH", module_path);
    void* handle = nullptr;
    return MSWLoadDLL(work_, sizeof work_, module, &handle);
  }

  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() /
      ("orvesvc-" + std::to_string(libdevavu::platform::CurrentThreadId()));
  std::filesystem::path was_;
  char work_[200] = {};
};

TEST_F(ModuleFolder, AModuleThatDoesNotLoadGivesTheLoadersReason) {
  std::FILE* out = std::fopen((dir_ / ModuleFile("broken")).string().c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fputs("not a shared library\n", out);
  std::fclose(out);
  EXPECT_EQ(Load("BROKEN", dir_.string().c_str()), ORV_MODULE_NOT_FOUND);
  EXPECT_NE(std::strstr(work_, dir_.string().c_str()), nullptr) << "names the file: " << work_;
}

// The loader reads an empty run path entry as the current directory: a
// library planted there must not be taken for a module of the product.
TEST_F(ModuleFolder, TheCurrentDirectoryIsSearchedOnlyWhenTheModulePathNamesIt) {
  std::filesystem::copy_file(std::filesystem::path(LIBRARY_DIR) / ModuleFile("virarudi"),
                             dir_ / ModuleFile("planted"));
  std::filesystem::current_path(dir_);
  EXPECT_EQ(Load("PLANTED", nullptr), ORV_MODULE_NOT_FOUND) << work_;
  EXPECT_EQ(Load("PLANTED", "."), 0u) << work_;
}

}  // namespace
