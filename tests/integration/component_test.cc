// Runs the plain C component against the real libraries and reads what it
// left in the trace file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "shell_test.h"

namespace {

class ComponentTest : public ShellTest {
 protected:
  // Runs the component with the trace settings given, taking libdevavu.so
  // and its companions from library_dir. The outcome's trace is the trace
  // file's text.
  Outcome RunComponent(const std::string& mode, const std::string& library_dir,
                       const std::string& trace_setting) {
    Outcome outcome = Run("env QRX_MODULE_PATH= QRXTRACEFILE=trace.log QRXTRACE='" +
                          trace_setting + "' LD_LIBRARY_PATH='" + library_dir + "' " +
                          C_COMPONENT + " " + mode);
    trace_ = ReadFile(Path("trace.log"));
    return outcome;
  }

  std::string trace_;
};

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

TEST_F(ComponentTest, ComponentLifeLeavesItsRecordsInTheTraceFile) {
  const Outcome run = RunComponent("life", LIBRARY_DIR, "ORVESVC=0x40,APP=0xC0,*=0");
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out,
            "init=0\ninit2=0\nentry=0\nattach=0\ntracing=1\nerror=0\ndetach=0\n");
  EXPECT_EQ(run.err, "");

  const std::string& t = trace_;
  const size_t own_attach = t.find(LineWith(t, {" ORVESVC ", "ATTACH"}));
  const size_t app_attach = t.find(LineWith(t, {" APP ", "ATTACH"}));
  ASSERT_NE(LineWith(t, {" ORVESVC ", "ATTACH"}), "") << t;
  ASSERT_NE(LineWith(t, {" APP ", "ATTACH"}), "") << t;
  EXPECT_LT(own_attach, app_attach) << "the library attaches itself first";

  const std::string call = LineWith(t, {" APP ", "FUNC CALL", "c_component(life)"});
  ASSERT_NE(call, "") << t;
  const size_t call_at = t.find(call);
  const std::string dump =
      "    636F6D70 6F6E656E 74206461 74610102     < component data.. >\n"
      "    7E80FF00 " "         " "         " "         " "    < .... >\n";
  EXPECT_EQ(t.substr(call_at + call.size() + 1, dump.size()), dump)
      << "the data follows its record as dump lines";

  EXPECT_NE(LineWith(t, {" APP ", "DEBUG INFO ", "no data here"}), "");
  const std::string error = LineWith(t, {" APP ", "ERROR", "QRX0005E"});
  ASSERT_NE(error, "") << t;
  EXPECT_NE(error.find("00001111"), std::string::npos) << error;
  EXPECT_NE(error.find("00002222"), std::string::npos) << error;
  EXPECT_NE(LineWith(t, {" APP ", "***ERROR***"}), "") << "APP traces its errors too";
  EXPECT_NE(LineWith(t, {" APP ", "DETACH"}), "");
  EXPECT_NE(LineWith(t, {" ORVESVC ", "DETACH"}), "");
}

}  // namespace
