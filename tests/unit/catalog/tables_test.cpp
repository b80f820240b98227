#include "catalog/tables.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

std::string_view idOf(std::string_view address) {
  auto* t = Tables::table(address);
  return t ? t->id : "none";
}

TEST(Tables, AddressesMapToTheirTableByLastComponentOnly) {
  EXPECT_EQ(idOf("velmar://casino/roulette-3d.html"), "roulette");
  EXPECT_EQ(idOf("velmar://casino/poker-3d.html?x=1#top"), "poker");
  EXPECT_EQ(idOf("velmar://elsewhere/blackjack-3d.html"), "blackjack");
  EXPECT_EQ(idOf("velmar://casino/sub/blackjack-3d.html"), "blackjack");
  EXPECT_EQ(idOf("https://example.org/baccarat-3d.html"), "baccarat");
  EXPECT_EQ(idOf("velmar://casino/Roulette-3D.html"), "none");
  EXPECT_EQ(idOf("velmar://casino/velmar-casino.html"), "none");
  EXPECT_EQ(idOf("velmar://casino/"), "none");
  EXPECT_EQ(idOf("velmar://casino"), "none");
  EXPECT_EQ(idOf("not an address"), "none");
}

TEST(Tables, KnownPagesAreTheLobbyAndTablesUnderThePrivateSchemeOnly) {
  EXPECT_TRUE(Tables::isKnownPage("velmar://casino/velmar-casino.html"));
  EXPECT_TRUE(Tables::isKnownPage("velmar://casino/roulette-3d.html"));
  EXPECT_TRUE(Tables::isKnownPage("velmar://elsewhere/blackjack-3d.html"));
  EXPECT_TRUE(Tables::isKnownPage("velmar://casino/sub/blackjack-3d.html"));
  EXPECT_TRUE(Tables::isKnownPage("velmar://casino/poker-3d.html?x=1#top"));

  EXPECT_FALSE(Tables::isKnownPage("velmar://casino/"));
  EXPECT_FALSE(Tables::isKnownPage("velmar://casino/Roulette-3D.html"));
  EXPECT_FALSE(Tables::isKnownPage("https://example.org/baccarat-3d.html"));
  // The scheme is compared as written, without folding case.
  EXPECT_FALSE(Tables::isKnownPage("VELMAR://casino/roulette-3d.html"));
  EXPECT_FALSE(Tables::isKnownPage("roulette-3d.html"));
  EXPECT_FALSE(Tables::isKnownPage(""));
}

TEST(Tables, PageAddressesAreTheBaseWithOneComponent) {
  EXPECT_EQ(Tables::url("roulette-3d.html"), "velmar://casino/roulette-3d.html");
  EXPECT_EQ(Tables::url("velmar-casino.html"), Tables::lobbyURL());
  EXPECT_EQ(Tables::lobbyURL(), "velmar://casino/velmar-casino.html");
  // A remembered name is one component: it cannot climb or add a folder.
  EXPECT_EQ(Tables::url("../x.html"), "velmar://casino/..%2Fx.html");
  EXPECT_EQ(Tables::pageName(Tables::url("a b.html")), "a b.html");
  for (const auto& row : Tables::all) {
    EXPECT_EQ(Tables::table(Tables::url(row.file)), &row);
    EXPECT_EQ(Tables::all[Tables::indexOf(&row)].id, row.id);
  }
  EXPECT_EQ(Tables::indexOf(nullptr), -1);
}

TEST(Tables, SchemeAndPathAreReadAsWritten) {
  EXPECT_EQ(Tables::schemeOf("HTTPS://example.org/"), "HTTPS");
  EXPECT_EQ(Tables::schemeOf("relative/path.html"), "");
  EXPECT_EQ(Tables::pathOf("velmar://casino/a%2520b.html?q#f"), "/a%20b.html");
  EXPECT_EQ(Tables::pathOf("velmar://casino"), "");
}

}  // namespace
}  // namespace velmar
