// Runs the plain C component against the real libraries and reads what it
// left in the trace file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "shell_test.h"

namespace {

// The line of the trace that holds every one of the given pieces.
std::string LineWith(const std::string& text, std::initializer_list<std::string> pieces) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    bool all = true;
    for (const auto& piece : pieces) all = all && line.find(piece) != std::string::npos;
    if (all) return line;
  }
  return {};
}

using ComponentTest = ShellTest;

TEST_F(ComponentTest, ComponentLifeLeavesItsRecordsInTheTraceFile) {
  const Outcome run = RunTraced("QRXTRACE='ORVESVC=0x40,APP=0xC0,*=0' LD_LIBRARY_PATH='" LIBRARY_DIR "'",
                                C_COMPONENT " life");
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "init=0\ninit2=0\nentry=0\nattach=0\ntracing=1\nerror=0\ndetach=0\n");
  EXPECT_EQ(run.err, "");

  const std::string t = Trace();
  const std::string own_attach = LineWith(t, {" ORVESVC ", "ATTACH"});
  const std::string app_attach = LineWith(t, {" APP ", "ATTACH"});
  ASSERT_NE(own_attach, "") << t;
  ASSERT_NE(app_attach, "") << t;
  EXPECT_LT(t.find(own_attach), t.find(app_attach)) << "the library attaches itself first";

  const std::string call = LineWith(t, {" APP ", "FUNC CALL", "c_component(life)"});
  ASSERT_NE(call, "") << t;
  const std::string dump =
      "    636F6D70 6F6E656E 74206461 74610102     < component data.. >\n"
      "    7E80FF00                                < .... >\n";
  EXPECT_EQ(t.substr(t.find(call) + call.size() + 1, dump.size()), dump)
      << "the data follows its record as dump lines";
  EXPECT_NE(LineWith(t, {" APP ", "DEBUG INFO ", "no data here"}), "");
  const std::string error = LineWith(t, {" APP ", "ERROR", "QRX0005E", "00001111", "00002222"});
  EXPECT_NE(error, "") << t;
  EXPECT_NE(LineWith(t, {" APP ", "***ERROR***"}), "") << "APP traces its errors too";
  EXPECT_NE(LineWith(t, {" APP ", "DETACH"}), "");
  EXPECT_NE(LineWith(t, {" ORVESVC ", "DETACH"}), "");
}

}  // namespace
