// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_fixture.h"

#include "store/backup_copies.h"

#include <algorithm>

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

// Before any page a reset does nothing and a restore only sets the table's key.
TEST_F(Reset, OnTheLobbyOrBeforeAnyPageNothingHappensAndARestoreOnlySetsTheKey) {
  casino->saves().replaceAll({{"blackjack-royale.v1", "kept"}});
  casino->resetCurrentTable();
  casino->restoreTable(*Tables::table(Tables::url("roulette-3d.html")), "from a backup");
  EXPECT_EQ(view(), nullptr);
  EXPECT_EQ(casino->saves().values(),
            (SaveStore::Values{{"blackjack-royale.v1", "kept"}, {"roulette-royale.v1", "from a backup"}}));
  EXPECT_NE(savesFile().find("from a backup"), std::string::npos);
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

using Restore = HostTest;

const Table& roulette() { return *Tables::table(Tables::url("roulette-3d.html")); }

TEST_F(Restore, TheChosenDaysCopyReplacesOnlyThatTablesKeyAndNoLateSaveBringsTheOldOneBack) {
  const std::string key(roulette().storeKey);
  const SaveStore::Values others{{"blackjack-royale.v1", "kept"}, {"velmar-casino.player", "settings"}};
  SaveStore::Values now = others;
  now[key] = "lost";
  casino->saves().replaceAll(now);
  const std::string backups = casino->saves().backups();
  test::writeFile(backups + "/saves-2020-03-05.json", "{\"" + key + "\": \"fifth\", \"blackjack-royale.v1\": \"old\"}");
  test::writeFile(backups + "/saves-2020-03-04.json", "{\"" + key + "\": \"fourth\"}");
  open("roulette-3d.html");
  WebKitWebView* before = view();
  auto keptBefore = Ref<WebKitWebView>::retain(before);

  // Today's copy, written by the store itself, comes first.
  auto days = listBackups(backups, key);
  auto fifth = std::find_if(days.begin(), days.end(), [](const BackupDay& d) { return d.date == "2020-03-05"; });
  ASSERT_NE(fifth, days.end());
  // One save is on its way as the restore is asked for, another is tried after.
  test::startJS(view(), "localStorage.setItem('" + key + "', 'late'); window.__vlCasino.flush();");
  casino->restoreTable(roulette(), fifth->copies.at(0).value);
  test::startJS(view(), "localStorage.setItem('" + key + "', 'later'); window.__vlCasino.flush();");
  ASSERT_TRUE(test::waitFor([&] { return view() != before && showing("roulette-3d.html"); }));
  for (int i = 0; i < 20; ++i) test::drainMainLoop();

  SaveStore::Values restored = others;
  restored[key] = "fifth";
  EXPECT_EQ(casino->saves().values(), restored);
  EXPECT_NE(savesFile().find("\"fifth\""), std::string::npos);
  EXPECT_NE(savesFile().find("\"settings\""), std::string::npos);
  EXPECT_EQ(js("return localStorage.getItem('" + key + "');"), "\"fifth\"");
  // The table's page holds its own key and the player's, not another table's.
  EXPECT_EQ(js("return localStorage.getItem('velmar-casino.player');"), "\"settings\"");
  EXPECT_EQ(js("return localStorage.getItem('blackjack-royale.v1');"), "null");
  EXPECT_EQ(changes, (std::vector<std::string>{"roulette", "roulette"}));
}

}  // namespace
}  // namespace velmar
