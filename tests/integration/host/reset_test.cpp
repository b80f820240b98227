// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

namespace velmar {
namespace {

using Reset = HostTest;

TEST_F(Reset, OnlyTheTablesKeyGoesAndALateSaveCannotBringItBack) {
  casino->saves().replaceAll({{"roulette-royale.v1", "rich"}, {"blackjack-royale.v1", "kept"}});
  casino->open(Tables::url("roulette-3d.html") + "?seat=2#felt");
  ASSERT_TRUE(test::waitFor([&] { return showing("roulette-3d.html"); }));
  WebKitWebView* before = view();
  auto keptBefore = Ref<WebKitWebView>::retain(before);

  // The page posts a save of its own just before the reset; it arrives after.
  test::startJS(view(), "localStorage.setItem('roulette-royale.v1', 'late'); window.__vlCasino.flush();");
  casino->resetCurrentTable();
  ASSERT_TRUE(test::waitFor([&] { return view() != before && showing("roulette-3d.html"); }));

  EXPECT_EQ(casino->saves().values(), (SaveStore::Values{{"blackjack-royale.v1", "kept"}}));
  EXPECT_EQ(savesFile().find("roulette-royale.v1"), std::string::npos);
  EXPECT_NE(savesFile().find("blackjack-royale.v1"), std::string::npos);
  EXPECT_EQ(js("return localStorage.getItem('roulette-royale.v1');"), "null");
  EXPECT_EQ(casino->currentURL(), Tables::url("roulette-3d.html"));
  EXPECT_EQ(changes, (std::vector<std::string>{"roulette", "roulette"}));
}

TEST_F(Reset, OnTheLobbyOrBeforeAnyPageNothingHappens) {
  casino->resetCurrentTable();
  EXPECT_EQ(view(), nullptr);
  casino->saves().replaceAll({{"roulette-royale.v1", "rich"}});
  open("velmar-casino.html");
  WebKitWebView* lobby = view();
  casino->resetCurrentTable();
  test::drainMainLoop();
  EXPECT_EQ(js("return 'still here';"), "\"still here\"");
  EXPECT_EQ(view(), lobby);
  EXPECT_EQ(casino->saves().values().size(), 1u);
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(Reset, APageThatNeverAnswersIsResetAfterTheTimeOut) {
  const std::string key(Tables::table(Tables::url("poker-3d.html"))->storeKey);
  casino->saves().replaceAll({{key, "rich"}, {"other", "kept"}});
  open("poker-3d.html");
  WebKitWebView* before = view();
  test::startJS(view(), "window.hang()");
  casino->resetCurrentTable();
  ASSERT_TRUE(test::waitFor([&] { return view() != before && showing("poker-3d.html"); }));
  EXPECT_EQ(casino->saves().values(), (SaveStore::Values{{"other", "kept"}}));
  EXPECT_EQ(js("return localStorage.getItem('" + key + "');"), "null");
}

TEST_F(Reset, OfTwoPagesAskedForWhileAFlushIsPendingOnlyTheLastOpens) {
  open("poker-3d.html");
  test::startJS(view(), "window.hang()");
  casino->open(Tables::url("roulette-3d.html"));
  casino->open(Tables::url("blackjack-3d.html"));
  ASSERT_TRUE(test::waitFor([&] { return showing("blackjack-3d.html"); }));
  for (int i = 0; i < 20; ++i) test::drainMainLoop();
  EXPECT_TRUE(showing("blackjack-3d.html"));
  EXPECT_EQ(changes, (std::vector<std::string>{"poker", "blackjack"}));
}

}  // namespace
}  // namespace velmar
