// Which catalogue file a message library's texts are read from.
#include <gtest/gtest.h>

#include "platform/posix/catalogue_search.h"

namespace {

using libdevavu::platform::CatalogueCandidates;
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
                       "/inst/de/qrxmsg.cat",
                       "/a/en/qrxmsg.cat",
                       "/b/en_./qrxmsg",
                       "%/%x",
                       "/inst/en/qrxmsg.cat",
                   }));
}

TEST(CatalogueCandidates, EnglishIsSearchedOnceAndEmptyTemplatesAreSkipped) {
  EXPECT_EQ(CatalogueCandidates("qrxtrc", "en_US.UTF-8", "::/x/%l/%N.cat:", "/inst"),
            (std::vector<std::string>{"/x/en/qrxtrc.cat", "/inst/en/qrxtrc.cat"}));
  EXPECT_EQ(CatalogueCandidates("qrxtrc", "en", nullptr, ""), std::vector<std::string>{});
}

}  // namespace
