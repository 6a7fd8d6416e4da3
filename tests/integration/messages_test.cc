// Messages through qrx and the real catalogues: the user's language, a
// catalogue named by NLSPATH, number inserts, and a missing catalogue.
#include <filesystem>
#include <string>

#include "shell_test.h"

namespace {

namespace fs = std::filesystem;

constexpr char kEnglish352[] =
    "The trace library VIRARUDI could not be loaded (code 7). The component runs without "
    "tracing and error logging; check that the library is installed and in the search path.\n";
constexpr char kGerman352[] =
    "Die Trace-Bibliothek VIRARUDI konnte nicht geladen werden (Code 7). Die Komponente läuft "
    "ohne Trace und Fehlerprotokoll; prüfen Sie, ob die Bibliothek installiert und im "
    "Suchpfad ist.\n";

class MessagesIntegrationTest : public ShellTest {
 protected:
  // qrx with a clean language environment plus settings.
  Outcome Qrx(const std::string& settings, const std::string& args) const {
    return Run("env -u LC_ALL -u LC_MESSAGES -u LANG -u NLSPATH " + settings + " " QRX " " + args);
  }
};

TEST_F(MessagesIntegrationTest, QrxMsgPrintsTheTextOfTheUsersLanguage) {
  EXPECT_EQ(Qrx("", "msg 5 0xCFFF0160 7 VIRARUDI").out, kEnglish352);
  EXPECT_EQ(Qrx("LANG=de_DE.UTF-8", "msg 5 0xCFFF0160 7 VIRARUDI").out, kGerman352);
  EXPECT_EQ(Qrx("", "msg 0 3 Open '#0x2A'").out, "Open returns 42\n");
}

TEST_F(MessagesIntegrationTest, CatalogueNamedByNlsPathComesFirst) {
  // What gencat needs escaped, as a text of the user's own.
  Write("qrxmsg.mc", "LanguageNames=(German=0x407:MSG00407)\nMessageId=352\n"
                     "Severity=Error\nFacility=Application\nLanguage=German\n"
                     " Own\\text\tfor %2 (%1)\n.\n");
  ASSERT_EQ(Run(MC2CAT " qrxmsg.mc . de && LC_ALL=C.UTF-8 " GENCAT
                " de/qrxmsg.cat de/qrxmsg.msg").exit_code, 0);
  const std::string settings = "NLSPATH='" + dir_ + "/%l/%N.cat' LANG=de_DE.UTF-8";
  EXPECT_EQ(Qrx(settings, "msg 5 0xCFFF0160 7 VIRARUDI").out, " Own\\text\tfor VIRARUDI (7)\n");
}

TEST_F(MessagesIntegrationTest, MissingCatalogueShowsQrx0999AndGivesTheFallback) {
  // The libraries without the catalogues installed beside them.
  const fs::path lib = fs::path(dir_) / "install" / "lib";
  fs::create_directories(lib);
  for (const auto& entry : fs::directory_iterator(LIBRARY_DIR)) {
    fs::copy(entry.path(), lib / entry.path().filename());
  }
  const Outcome run = Qrx("LD_LIBRARY_PATH='" + lib.string() + "'", "msg 5 0xCFFF0160 7 X");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "ERROR 100: 2nd level message retrieval failure: Check message files.\n");
  EXPECT_EQ(run.err, "Quorix: QRX0999E\n");
}

}  // namespace
