// Runs the plain C component against the real libraries and reads what it
// left in the trace file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "shell_test.h"

namespace {

// Where in the trace the first line holding every one of the pieces starts.
size_t LineWith(const std::string& text, std::initializer_list<std::string> pieces) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    bool all = true;
    for (const auto& piece : pieces) all = all && line.find(piece) != std::string::npos;
    if (all) return text.find(line + "\n");
  }
  return std::string::npos;
}

using ComponentTest = ShellTest;

TEST_F(ComponentTest, ComponentLifeLeavesItsRecordsInTheTraceFile) {
  const Outcome run = RunTraced(
      "QRXTRACE='ORVESVC=0x40,APP=0xC0,*=0' LD_LIBRARY_PATH='" LIBRARY_DIR "'", C_COMPONENT);
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "init=0\ninit2=0\nentry=0\nattach=0\ntracing=1\nerror=0\ndetach=0\n");
  EXPECT_EQ(run.err, "");
  const std::string t = Trace();
  EXPECT_LT(LineWith(t, {" ORVESVC ", "ATTACH"}), LineWith(t, {" APP ", "ATTACH"}))
      << "the library attaches itself first: " << t;
  for (const auto& pieces : {std::initializer_list<std::string>{" APP ", "FUNC CALL", "c_comp"},
                             {" APP ", "ERROR", "QRX0005E", "00001111", "00002222"},
                             {" APP ", "***ERROR***"},
                             {" APP ", "DETACH"},
                             {" ORVESVC ", "DETACH"}}) {
    EXPECT_NE(LineWith(t, pieces), std::string::npos) << *pieces.begin() << t;
  }
}

}  // namespace
