// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

#include "catalog/page_keys.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <tuple>

namespace velmar {
namespace {

TEST(PageChoice, StartUpThePageActionAndTheTablePickerOpenOnlyOurOwnPages) {
  const std::string lobby = Tables::lobbyURL();
  EXPECT_EQ(Commands::firstPage(true, "poker-3d.html"), "velmar://casino/poker-3d.html");
  EXPECT_EQ(Commands::firstPage(false, "roulette-3d.html"), lobby);
  for (const char* name : {"cashier.html", "Roulette-3D.html", "", "sub/poker-3d.html", "../poker-3d.html"}) EXPECT_EQ(Commands::firstPage(true, name), lobby);
  EXPECT_EQ(Commands::firstPage(true, std::nullopt), lobby);

  EXPECT_EQ(Commands::pageAddress("lobby"), lobby);
  EXPECT_EQ(Commands::pageAddress("blackjack"), "velmar://casino/blackjack-3d.html");
  for (const char* target : {"Blackjack", "blackjack-3d.html", ""})
    EXPECT_EQ(Commands::pageAddress(target), std::nullopt) << target;

  for (const Table& t : Tables::all)
    EXPECT_EQ(Commands::pickedAddress(Commands::pickerIndex(&t)), Tables::url(t.file)) << t.id;
  EXPECT_EQ(Commands::pickerIndex(nullptr), -1);
  for (int outside : {-1, 4}) EXPECT_EQ(Commands::pickedAddress(outside), std::nullopt) << outside;
}

TEST(Actions, ResetAndRestoreNeedATableShownAndOtherCommandsAreAlwaysOn) {
  std::vector<const Table*> places{nullptr};
  for (const Table& t : Tables::all) places.push_back(&t);
  for (const Table* shown : places) {
    // The page action's state checks the menu item whose target it is.
    const std::string here = Commands::pageState(shown);
    EXPECT_EQ(Commands::pageAddress(here), shown ? Tables::url(shown->file) : Tables::lobbyURL());
    for (const char* action : {"reset-table", "restore-table"}) {
      EXPECT_EQ(Commands::enabled(action, true, shown), shown != nullptr) << here;
      // Before the web host exists nothing is shown, so nothing can be reset or restored.
      EXPECT_FALSE(Commands::enabled(action, false, shown)) << here;
    }
    for (const char* action : {"page", "toggle-reopen", "reload-page", "show-saves", "zoom-in", "zoom-out",
                               "actual-size", "about", "shortcuts", "quit"})
      EXPECT_TRUE(Commands::enabled(action, true, shown)) << action;
  }
}

TEST(ZoomSteps, EachStepMovesToItsNeighbourAndAZoomOffTheStepsCountsAsTheNextStepUp) {
  const std::tuple<double, int, double> cases[] = {
      {1.0, +1, 1.1}, {1.0, -1, 0.85}, {0.67, -1, 0.67}, {1.5, +1, 1.5}, {0.9, +1, 1.1}, {0.9, -1, 0.85},
      // Within a thousandth above a step counts as that step.
      {1.0009, +1, 1.1}, {1.0009, -1, 0.85}, {1.0011, -1, 1.0},
      // Above every step counts as the last one; below every step as the first.
      {3.0, +1, 1.5}, {3.0, -1, 1.25}, {0, +1, 0.75}, {0, -1, 0.67}};
  for (auto [zoom, direction, result] : cases)
    EXPECT_EQ(Commands::steppedZoom(zoom, direction), result) << zoom << " " << direction;
}

TEST(Shortcuts, EachAcceleratorParsesAndIsTakenOnce) {
  std::vector<std::pair<guint, GdkModifierType>> seen;
  for (const auto& s : Commands::shortcuts()) {
    ASSERT_FALSE(s.accels.empty()) << s.action;
    for (const auto& accel : s.accels) {
      guint key = 0;
      GdkModifierType mods{};
      ASSERT_TRUE(gtk_accelerator_parse(accel.c_str(), &key, &mods)) << accel;
      EXPECT_EQ(std::count(seen.begin(), seen.end(), std::pair{key, mods}), 0) << accel;
      seen.emplace_back(key, mods);
    }
  }
}

// A table's keys in the shortcuts window: each parses (a range by its ends),
// and none does two things at one table.
TEST(Shortcuts, EveryTablesKeysParseAndEachKeyDoesOneThing) {
  for (const Table& table : Tables::all) {
    std::vector<std::string> seen;
    ASSERT_FALSE(Tables::keys(table.id).empty()) << table.id;
    for (const PageKey& k : Tables::keys(table.id)) {
      g_auto(GStrv) accels = g_strsplit(std::string(k.accels).c_str(), " ", -1);
      for (char** a = accels; *a; ++a) {
        g_auto(GStrv) ends = g_strsplit(*a, "...", 2);
        for (char** end = ends; *end; ++end) EXPECT_TRUE(gtk_accelerator_parse(*end, nullptr, nullptr)) << *end;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), *a), 0) << table.id << " " << *a;
        seen.emplace_back(*a);
      }
    }
  }
}

// The tables get their menu keys from what the other items of the Table menu
// took, in whatever language those read; two items on one key would make
// the key choose between them instead of opening one.
TEST(AccessKeys, EachTableTakesItsFirstFreeLetterAndNoneIsTakenTwice) {
  EXPECT_EQ(Commands::accessKey("R_eload Table"), "e");
  EXPECT_EQ(Commands::accessKey("_Über"), "ü");
  for (const char* none : {"Lobby", "Lobby_", ""}) EXPECT_EQ(Commands::accessKey(none), "") << none;

  std::string taken = "lesg";
  std::vector<std::string> labels;
  for (const Table& t : Tables::all) labels.push_back(Commands::withAccessKey(t.name, taken));
  EXPECT_EQ(labels, (std::vector<std::string>{"_Roulette Royale", "_Blackjack Royale", "B_accarat Royale",
                                               "_Poker Royale"}));
  EXPECT_EQ(taken, "lesgrbap");
  // Spaces and signs are never keys; a name with nothing free keeps no key.
  taken = "ab";
  EXPECT_EQ(Commands::withAccessKey("A b-Ä", taken), "A b-_Ä");
  EXPECT_EQ(Commands::withAccessKey("Ab", taken), "Ab");
}

}  // namespace
}  // namespace velmar
