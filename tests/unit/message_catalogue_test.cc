// Which catalogue file a message library's texts are read from.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/posix/catalogue_search.h"

namespace {

using libdevavu::platform::CatalogueCandidates;
using libdevavu::platform::CatalogueFileIsSound;
using libdevavu::platform::MessageLocale;

TEST(MessageLocale, FirstOfLcAllLcMessagesAndLangThatIsSetWithCAndPosixEnglish) {
  const struct {
    const char *lc_all, *lc_messages, *lang, *locale;
  } cases[] = {
      {"fr_FR", "de_DE", "it_IT", "fr_FR"},  {nullptr, "de_DE.UTF-8", "it_IT", "de_DE.UTF-8"},
      {"", "", "it_IT", "it_IT"},            {nullptr, nullptr, nullptr, "en"},
      {"C", nullptr, "de_DE", "en"},         {nullptr, nullptr, "C.UTF-8", "en"},
      {nullptr, nullptr, "POSIX", "en"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageLocale(c.lc_all, c.lc_messages, c.lang), c.locale) << c.locale;
  }
}

TEST(CatalogueCandidates, NlsPathThenTheInstalledOnesThenEnglishOnce) {
  const struct {
    const char *locale, *nlspath, *installed;
    std::vector<std::string> paths;
  } cases[] = {
      {"de_DE.UTF-8@euro", "/a/%L/%N.cat:/b/%l_%t.%c/%N:%%/%x", "/inst",
       {"/a/de_DE.UTF-8@euro/qrxmsg.cat", "/b/de_DE.UTF-8/qrxmsg", "%/%x",
        "/inst/de_DE/qrxmsg.cat", "/inst/de/qrxmsg.cat", "/a/en/qrxmsg.cat", "/b/en_./qrxmsg",
        "%/%x", "/inst/en/qrxmsg.cat"}},
      {"en_US.UTF-8", "::/x/%l/%N.cat:", "/inst",
       {"/x/en/qrxmsg.cat", "/inst/en_US/qrxmsg.cat", "/inst/en/qrxmsg.cat"}},
      {"en", nullptr, "", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CatalogueCandidates("qrxmsg", c.locale, c.nlspath, c.installed), c.paths) << c.locale;
  }
}

// gencat's catalogue of "$set 1", "1 a", "2 bb": magic, plane size 1 and
// depth 2, the table (set + 1, message, text offset per entry) in this
// byte order and then swapped, and the texts.
TEST(CatalogueFileIsSound, ACorruptCatalogueIsRefusedBeforeTheCLibraryMapsIt) {
  const uint32_t words[] = {0x960408DE, 1, 2, 2, 1, 0, 2, 2, 2,
                            0x02000000, 0x01000000, 0, 0x02000000, 0x02000000, 0x02000000};
  const std::string good =
      std::string(reinterpret_cast<const char*>(words), sizeof words) + std::string("a\0bb\0", 5);
  EXPECT_TRUE(CatalogueFileIsSound(good));
  const auto with = [&](size_t word, uint32_t value) {
    std::string bytes = good;
    std::memcpy(bytes.data() + 4 * word, &value, 4);
    return bytes;
  };
  for (const std::string& bad :
       {std::string(), good.substr(0, 11), good.substr(0, good.size() - 1) /* no final zero */,
        good.substr(0, 60) /* no room for the texts */, with(0, 0x960408DF), with(1, 0),
        with(2, 0), with(1, 0x10000000) /* tables past the end */, with(1, 0xFFFFFFFF),
        with(8, 5) /* text offset past the texts */, with(14, 0x05000000)}) {
    EXPECT_FALSE(CatalogueFileIsSound(bad)) << bad.size();
  }
}

}  // namespace
