// Messages through the real libraries and catalogues: qrx msg in English and
// German, NLSPATH read, a missing catalogue, and the message box of a
// component whose trace library is missing.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell_test.h"

namespace {

namespace fs = std::filesystem;

constexpr char kEnglish352[] =
    "The trace library VIRARUDI could not be loaded (code 7). The component runs without "
    "tracing and error logging; check that the library is installed and in the search path.";
constexpr char kGerman352[] =
    "Die Trace-Bibliothek VIRARUDI konnte nicht geladen werden (Code 7). Die Komponente läuft "
    "ohne Trace und Fehlerprotokoll; prüfen Sie, ob die Bibliothek installiert und im "
    "Suchpfad ist.";

class MessagesIntegrationTest : public ShellTest {
 protected:
  // Runs command with a clean language environment plus settings.
  Outcome Run(const std::string& settings, const std::string& command) const {
    return ShellTest::Run("env -u LC_ALL -u LC_MESSAGES -u LANG -u NLSPATH " + settings + " " +
                          command);
  }
  Outcome Qrx(const std::string& settings, const std::string& args) const {
    return Run(settings, std::string(QRX) + " " + args);
  }

  // A copy of the library folder, without some of its files, beside the
  // catalogues of the build or beside none.
  fs::path LibraryCopy(std::initializer_list<std::string> without, bool with_catalogues) {
    const fs::path lib = fs::path(dir_) / "install" / "lib";
    fs::create_directories(lib);
    for (const auto& entry : fs::directory_iterator(LIBRARY_DIR)) {
      const std::string name = entry.path().filename().string();
      if (std::find(without.begin(), without.end(), name) != without.end()) continue;
      fs::copy(entry.path(), lib / name);
    }
    if (with_catalogues) fs::create_directory_symlink(SHARE_DIR, lib.parent_path() / "share");
    return lib;
  }
};

TEST_F(MessagesIntegrationTest, QrxMsgPrintsTheTextOfTheUsersLanguage) {
  const Outcome english = Qrx("", "msg 5 0xCFFF0160 7 VIRARUDI");
  EXPECT_EQ(english.exit_code, 0) << english.err;
  EXPECT_EQ(english.out, std::string(kEnglish352) + "\n");
  EXPECT_EQ(english.err, "");
  EXPECT_EQ(Qrx("LANG=de_DE.UTF-8", "msg 5 0xCFFF0160 7 VIRARUDI").out,
            std::string(kGerman352) + "\n");
}

TEST_F(MessagesIntegrationTest, LanguageThatIsNotShippedFallsBackToEnglish) {
  EXPECT_EQ(Qrx("LANG=ja_JP.UTF-8", "msg 5 0xCFFF0160 7 VIRARUDI").out,
            std::string(kEnglish352) + "\n");
}

TEST_F(MessagesIntegrationTest, CatalogueNamedByNlsPathComesFirst) {
  // Made as the README tells a user: mc2cat, then gencat.
  Write("qrxmsg.mc", "LanguageNames=(German=0x407:MSG00407)\nMessageId=352\n"
                     "Severity=Error\nFacility=Application\nLanguage=German\n"
                     "Own text for %2 (%1)\n.\n");
  ASSERT_EQ(Run("", std::string(MC2CAT) + " qrxmsg.mc . de && LC_ALL=C.UTF-8 " GENCAT
                    " de/qrxmsg.cat de/qrxmsg.msg").exit_code, 0);
  const std::string nlspath = "NLSPATH='" + dir_ + "/%l/%N.cat'";
  EXPECT_EQ(Qrx(nlspath + " LANG=de_DE.UTF-8", "msg 5 0xCFFF0160 7 VIRARUDI").out,
            "Own text for VIRARUDI (7)\n");
  const Outcome other = Qrx(nlspath + " LANG=de_DE.UTF-8", "msg 5 0xCFFF0161 7 X");
  EXPECT_EQ(other.out, "ERROR 100: 2nd level message retrieval failure: Check message files.\n")
      << "the user's catalogue replaces the whole catalogue, the not-found message too";
  EXPECT_EQ(other.exit_code, 1);
  EXPECT_EQ(Qrx(nlspath + " LANG=en_GB", "msg 5 0xCFFF0160 7 VIRARUDI").out,
            std::string(kEnglish352) + "\n")
      << "English is not in the user's folder: the installed one";

  // A corrupt catalogue there (its tables larger than the file) counts as
  // missing; handed to the C library, it would kill the process.
  std::fstream corrupt(Path("de/qrxmsg.cat"), std::ios::in | std::ios::out | std::ios::binary);
  corrupt.seekp(4);
  corrupt.write("\0\0\0\x10", 4);
  corrupt.close();
  const Outcome after = Qrx(nlspath + " LANG=de_DE.UTF-8", "msg 5 0xCFFF0160 7 VIRARUDI");
  EXPECT_EQ(after.out, std::string(kGerman352) + "\n");
  EXPECT_EQ(after.exit_code, 0);
}

TEST_F(MessagesIntegrationTest, NumberInsertsAndTheTraceComponentsIndex) {
  EXPECT_EQ(Qrx("", "msg 6 0xCFFF0200 NODE1 '#3'").out,
            "Quorix component NODE1 is stopping.\nPending requests: 3.\n");
  EXPECT_EQ(Qrx("", "msg 0 3 Open '#0x2A'").out, "Open returns 42\n");
}

TEST_F(MessagesIntegrationTest, QrxMsgUsageErrors) {
  for (const char* args : {"msg", "msg 5", "msg five 1", "msg 5 0x1FFFFFFFF",
                           "msg 5 1 a b c d e f g h i j"}) {
    EXPECT_EQ(Qrx("", args).exit_code, 2) << args;
  }
  EXPECT_NE(Qrx("", "msg --help").out.find("usage: qrx msg COMP NUM [INSERT...]"),
            std::string::npos);
}

TEST_F(MessagesIntegrationTest, MissingCatalogueShowsQrx0999AndGivesTheFallback) {
  const fs::path lib = LibraryCopy({}, false);
  const Outcome run =
      Run("LD_LIBRARY_PATH='" + lib.string() + "'", std::string(QRX) + " msg 5 0xCFFF0160 7 X");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "ERROR 100: 2nd level message retrieval failure: Check message files.\n");
  EXPECT_EQ(run.err, "Quorix: QRX0999E\n");
}

TEST_F(MessagesIntegrationTest, MissingTraceLibraryShowsMessage352OnStandardError) {
  const fs::path lib = LibraryCopy({"libvirarudi.so"}, true);
  const std::string env = "QRX_MODULE_PATH= QRXTRACE='*=0x40' LD_LIBRARY_PATH='" + lib.string() + "'";
  const Outcome run = Run(env, std::string(C_COMPONENT) + " attach3");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "init=0\nattach1=-1\nattach2=-1\nattach3=-1\n");
  const std::string expected = std::string("Quorix: ") + kEnglish352 + "\n";
  EXPECT_EQ(run.err, std::string(expected).replace(expected.find("code 7"), 6, "code 126"))
      << "one box, for the library's own attachment";

  const Outcome german = Run(env + " LANG=de_DE.UTF-8", std::string(C_COMPONENT) + " attach3");
  const std::string german_box = std::string("Quorix: ") + kGerman352 + "\n";
  EXPECT_EQ(german.err, std::string(german_box).replace(german_box.find("Code 7"), 6, "Code 126"))
      << "one box, in German";
}

}  // namespace
