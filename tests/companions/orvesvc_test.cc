#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "orvesvc.h"
#include "platform/platform.h"
#include "platform/process.h"

using libdevavu::platform::SetEnvironmentValue;

namespace {

// How the system names a module file.
std::string ModuleFile(const std::string& base) { return MODULE_PREFIX + base + MODULE_SUFFIX; }

TEST(Memory, CountsAndTheFaultSwitch) {
  const int64_t start = OrvMemLiveBlocks();
  void* empty = MEMGET(0, 0);
  ASSERT_NE(empty, nullptr) << "an empty block is still a block";
  EXPECT_EQ(OrvMemLiveBlocks(), start + 1);
  EXPECT_EQ(MEMFREE(0, empty), 0);
  EXPECT_NE(MEMFREE(0, nullptr), 0);
  EXPECT_EQ(MEMGET(1, 10), nullptr) << "only flags 0 is known";
  OrvMemFailNth(2);
  void* blocks[3] = {MEMGET(0, 8), MEMGET(0, 8), MEMGET(0, 8)};
  EXPECT_TRUE(blocks[0] != nullptr && blocks[1] == nullptr && blocks[2] != nullptr);
  OrvMemFailNth(1);
  OrvMemFailNth(0);
  blocks[1] = MEMGET(0, 8);
  EXPECT_NE(blocks[1], nullptr) << "0 switches the fault off";
  for (void* block : blocks) MEMFREE(0, block);
  EXPECT_EQ(OrvMemLiveBlocks(), start);
}

// Modules loaded with QRX_MODULE_PATH set as given, from a folder of the
// test's own that is the current directory.
class Modules : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
    std::filesystem::current_path(was_);
    std::error_code kept;  // Windows keeps a loaded module's file
    std::filesystem::remove_all(dir_, kept);
  }
  uint32_t Load(const char* module, const std::string& module_path) {
    SetEnvironmentValue("QRX_MODULE_PATH", module_path.c_str());
    return MSWLoadDLL(work_, sizeof work_, module, &handle_);
  }

  const std::filesystem::path was_ = std::filesystem::current_path();
  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() /
      ("orvesvc-" + std::to_string(libdevavu::platform::CurrentThreadId()));
  char work_[200] = {};
  void* handle_ = nullptr;
};

TEST_F(Modules, LoadsByProductNameAlongThePathAndResolvesEntries) {
#if defined(_WIN32)
  ASSERT_EQ(Load("VIRARUDI", "/nonexistent;" LIBRARY_DIR), 0u) << work_;
#else
  ASSERT_EQ(Load("VIRARUDI", "/nonexistent:" LIBRARY_DIR), 0u) << work_;
#endif
  void* entry = nullptr;
  EXPECT_EQ(MSWGetDLLEntryPointAddr(handle_, "_LOGFACILITIESEP@8", &entry), 0u);
  EXPECT_NE(entry, nullptr);
  EXPECT_EQ(MSWGetDLLEntryPointAddr(handle_, "_NOSUCHENTRY@8", &entry), ORV_ENTRY_NOT_FOUND);
  EXPECT_EQ(entry, nullptr);
}

// The loader reads an empty run path entry as the current directory: a
// library planted there must not be taken for a module of the product.
TEST_F(Modules, TheCurrentDirectoryIsSearchedOnlyWhenTheModulePathNamesIt) {
  std::filesystem::copy_file(std::filesystem::path(LIBRARY_DIR) / ModuleFile("virarudi"),
                             ModuleFile("planted"));
  SetEnvironmentValue("QRX_MODULE_PATH", nullptr);
  EXPECT_EQ(MSWLoadDLL(work_, sizeof work_, "PLANTED", &handle_), ORV_MODULE_NOT_FOUND) << work_;
  EXPECT_EQ(Load("PLANTED", "."), 0u) << work_;
}

}  // namespace
