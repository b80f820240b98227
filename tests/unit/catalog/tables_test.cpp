// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/tables.h"

#include <gtest/gtest.h>

#include <tuple>

namespace velmar {
namespace {

TEST(Tables, PagesAreKnownByTheLastPathComponentUnderThePrivateSchemeOnly) {
  // address, the table it shows, whether it is one of our pages
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"velmar://casino/roulette-3d.html", "roulette", true}, {"velmar://casino/poker-3d.html?x=1#top", "poker", true},
      {"velmar://elsewhere/blackjack-3d.html", "blackjack", true}, {"velmar://casino/sub/blackjack-3d.html", "blackjack", true},
      {"velmar://casino/velmar-casino.html", "none", true}, {"https://example.org/baccarat-3d.html", "baccarat", false},
      // Neither the file name nor the scheme is compared with folded case.
      {"velmar://casino/Roulette-3D.html", "none", false}, {"VELMAR://casino/roulette-3d.html", "roulette", false},
      {"velmar://casino/", "none", false}, {"roulette-3d.html", "none", false}, {"", "none", false}};
  for (auto [address, table, known] : cases) {
    const Table* t = Tables::table(address);
    EXPECT_EQ(t ? t->id : "none", table) << address;
    EXPECT_EQ(Tables::isKnownPage(address), known) << address;
  }
}

TEST(Tables, APageAddressAddsOneComponentAndItsPathIsDecodedOnce) {
  // A remembered name is one component: it cannot climb or add a folder.
  EXPECT_EQ(Tables::url("../x.html"), "velmar://casino/..%2Fx.html");
  EXPECT_EQ(Tables::pathOf("velmar://casino/a%2520b.html?q#f"), "/a%20b.html");
}

}  // namespace
}  // namespace velmar
