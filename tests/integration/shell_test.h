// Integration tests run programs as a user runs them: through the shell, in
// a fresh temporary folder of their own, with the output captured.
#ifndef DEVAVU_TESTS_INTEGRATION_SHELL_TEST_H_
#define DEVAVU_TESTS_INTEGRATION_SHELL_TEST_H_

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/devavu-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  // Runs a shell command line in the test's folder.
  Outcome Run(const std::string& command) const {
    const std::string line =
        "cd '" + dir_ + "' && ( " + command + " ) >.out.txt 2>.err.txt";
    const int status = std::system(line.c_str());
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path(".out.txt")),
                   ReadFile(Path(".err.txt"))};
  }

  // Runs a command with the product's settings cleared but for those given
  // ("NAME=value" words), modules from the default places and its trace to
  // the folder's trace.log.
  Outcome RunTraced(const std::string& settings, const std::string& command) const {
    return Run("env -u QRXRUN -u QRX_REGISTRY -u QRXCFNDIR -u QRXCONFIG -u QRXTRACE "
               "QRX_MODULE_PATH= QRXTRACEFILE=trace.log " + settings + " " + command);
  }
  std::string Trace() const { return ReadFile(Path("trace.log")); }

  std::string dir_;
};

#endif  // DEVAVU_TESTS_INTEGRATION_SHELL_TEST_H_
