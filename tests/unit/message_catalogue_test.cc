// Which catalogue file a message library's texts are read from.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/posix/catalogue_search.h"

namespace {

using libdevavu::platform::CatalogueCandidates;
using libdevavu::platform::CatalogueFileIsSound;
using libdevavu::platform::MessageLocale;

TEST(MessageLocale, FirstOfLcAllLcMessagesAndLangThatIsSet) {
  EXPECT_EQ(MessageLocale("fr_FR", "de_DE", "it_IT"), "fr_FR");
  EXPECT_EQ(MessageLocale(nullptr, "de_DE.UTF-8", "it_IT"), "de_DE.UTF-8");
  EXPECT_EQ(MessageLocale("", "", "it_IT"), "it_IT") << "an empty value counts as unset";
  EXPECT_EQ(MessageLocale(nullptr, nullptr, nullptr), "en");
}

TEST(MessageLocale, TheCAndPosixLocalesAreEnglish) {
  EXPECT_EQ(MessageLocale("C", nullptr, "de_DE"), "en") << "LC_ALL=C overrides LANG";
  EXPECT_EQ(MessageLocale(nullptr, nullptr, "C.UTF-8"), "en");
  EXPECT_EQ(MessageLocale(nullptr, nullptr, "POSIX"), "en");
}

TEST(CatalogueCandidates, NlsPathComesBeforeTheInstalledCatalogues) {
  const auto paths = CatalogueCandidates("qrxmsg", "de_DE.UTF-8@euro",
                                         "/a/%L/%N.cat:/b/%l_%t.%c/%N:%%/%x", "/inst");
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "/a/de_DE.UTF-8@euro/qrxmsg.cat",
                       "/b/de_DE.UTF-8/qrxmsg",
                       "%/%x",
                       "/inst/de_DE/qrxmsg.cat",
                       "/inst/de/qrxmsg.cat",
                       "/a/en/qrxmsg.cat",
                       "/b/en_./qrxmsg",
                       "%/%x",
                       "/inst/en/qrxmsg.cat",
                   }));
}

TEST(CatalogueCandidates, EnglishIsSearchedOnceAndEmptyTemplatesAreSkipped) {
  EXPECT_EQ(CatalogueCandidates("qrxtrc", "en_US.UTF-8", "::/x/%l/%N.cat:", "/inst"),
            (std::vector<std::string>{"/x/en/qrxtrc.cat", "/inst/en_US/qrxtrc.cat",
                                      "/inst/en/qrxtrc.cat"}));
  EXPECT_EQ(CatalogueCandidates("qrxtrc", "en", nullptr, ""), std::vector<std::string>{});
}

// gencat's catalogue of "$set 1", "1 a", "2 bb": magic, plane size 1 and
// depth 2, the table (set + 1, message, text offset per entry) in this
// byte order and then swapped, and the texts.
std::string SmallCatalogue() {
  const uint32_t words[] = {0x960408DE, 1, 2, 2, 1, 0, 2, 2, 2,
                            0x02000000, 0x01000000, 0, 0x02000000, 0x02000000, 0x02000000};
  std::string bytes(reinterpret_cast<const char*>(words), sizeof words);
  return bytes + std::string("a\0bb\0", 5);
}

TEST(CatalogueFileIsSound, ACorruptCatalogueIsRefusedBeforeTheCLibraryMapsIt) {
  const std::string good = SmallCatalogue();
  EXPECT_TRUE(CatalogueFileIsSound(good));
  const auto with = [&](size_t word, uint32_t value) {
    std::string bytes = good;
    std::memcpy(bytes.data() + 4 * word, &value, 4);
    return bytes;
  };
  EXPECT_FALSE(CatalogueFileIsSound(""));
  EXPECT_FALSE(CatalogueFileIsSound(good.substr(0, 11)));
  EXPECT_FALSE(CatalogueFileIsSound(good.substr(0, good.size() - 1))) << "no zero at the end";
  EXPECT_FALSE(CatalogueFileIsSound(good.substr(0, 60))) << "no room for the texts";
  EXPECT_FALSE(CatalogueFileIsSound(with(0, 0x960408DF))) << "magic";
  EXPECT_FALSE(CatalogueFileIsSound(with(1, 0))) << "plane size 0 divides by zero";
  EXPECT_FALSE(CatalogueFileIsSound(with(2, 0)));
  EXPECT_FALSE(CatalogueFileIsSound(with(1, 0x10000000))) << "tables past the end";
  EXPECT_FALSE(CatalogueFileIsSound(with(1, 0xFFFFFFFF)));
  EXPECT_FALSE(CatalogueFileIsSound(with(8, 5))) << "text offset past the texts";
  EXPECT_FALSE(CatalogueFileIsSound(with(14, 0x05000000))) << "in the swapped table";
}

}  // namespace
