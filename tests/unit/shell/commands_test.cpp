#include "shell/commands.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>

namespace velmar {
namespace {

using Commands::Validation;

const GMarkupParser kIgnore{};

const Table* row(std::string_view id) {
  for (const Table& t : Tables::all)
    if (t.id == id) return &t;
  return nullptr;
}

TEST(FirstPage, OpensTheLobbyUnlessTheOptionIsOnAndTheNameIsOneOfOurPages) {
  const std::string lobby = Tables::lobbyURL();
  EXPECT_EQ(Commands::firstPage(true, std::nullopt), lobby);
  EXPECT_EQ(Commands::firstPage(true, "roulette-3d.html"), "velmar://casino/roulette-3d.html");
  EXPECT_EQ(Commands::firstPage(true, "poker-3d.html"), "velmar://casino/poker-3d.html");
  EXPECT_EQ(Commands::firstPage(true, "velmar-casino.html"), lobby);
  EXPECT_EQ(Commands::firstPage(false, "roulette-3d.html"), lobby);
  EXPECT_EQ(Commands::firstPage(true, "cashier.html"), lobby);
  EXPECT_EQ(Commands::firstPage(true, "Roulette-3D.html"), lobby);
  EXPECT_EQ(Commands::firstPage(true, ""), lobby);
}

TEST(Validation, ExactlyOnePageCarriesTheCheckMarkWhereverWeAre) {
  std::vector<const Table*> places{nullptr};
  for (const Table& t : Tables::all) places.push_back(&t);
  for (const Table* shown : places) {
    int checked = 0;
    auto lobby = Commands::validate("page", "lobby", true, shown, true);
    EXPECT_TRUE(lobby.enabled);
    checked += lobby.checked.value();
    for (const Table& t : Tables::all) {
      auto item = Commands::validate("page", t.id, true, shown, true);
      EXPECT_TRUE(item.enabled);
      EXPECT_EQ(item.checked.value(), shown == &t) << t.id;
      checked += item.checked.value();
    }
    EXPECT_EQ(checked, 1) << (shown ? shown->id : "lobby");
    EXPECT_EQ(lobby.checked.value(), shown == nullptr);
    EXPECT_EQ(Commands::pageState(shown), shown ? std::string(shown->id) : "lobby");
  }
}

TEST(Validation, ResetIsOfferedOnlyAtATable) {
  EXPECT_EQ(Commands::validate("reset-table", std::nullopt, true, nullptr, true), (Validation{false, {}}));
  for (const Table& t : Tables::all)
    EXPECT_EQ(Commands::validate("reset-table", std::nullopt, true, &t, true), (Validation{true, {}})) << t.id;
  // Before the web host exists nothing is shown, so nothing can be reset.
  EXPECT_FALSE(Commands::validate("reset-table", std::nullopt, false, row("poker"), true).enabled);
  EXPECT_EQ(Commands::validate("page", "lobby", false, row("poker"), true).checked, true);
}

TEST(Validation, TheReopenCheckMarkShowsThePreference) {
  EXPECT_EQ(Commands::validate("toggle-reopen", std::nullopt, true, nullptr, true), (Validation{true, true}));
  EXPECT_EQ(Commands::validate("toggle-reopen", std::nullopt, true, row("baccarat"), false), (Validation{true, false}));
}

TEST(Validation, EveryOtherCommandIsAlwaysEnabledWithoutACheckMark) {
  std::vector<const Table*> places{nullptr};
  for (const Table& t : Tables::all) places.push_back(&t);
  for (const char* action : {"reload-page", "show-saves", "zoom-in", "zoom-out", "actual-size", "about", "shortcuts",
                             "quit"})
    for (const Table* shown : places)
      EXPECT_EQ(Commands::validate(action, std::nullopt, true, shown, false), (Validation{true, {}})) << action;
}

TEST(PageAddress, NamesTheLobbyOrATableAndNothingElse) {
  EXPECT_EQ(Commands::pageAddress("lobby"), Tables::lobbyURL());
  EXPECT_EQ(Commands::pageAddress("blackjack"), "velmar://casino/blackjack-3d.html");
  EXPECT_EQ(Commands::pageAddress("Blackjack"), std::nullopt);
  EXPECT_EQ(Commands::pageAddress("blackjack-3d.html"), std::nullopt);
  EXPECT_EQ(Commands::pageAddress(""), std::nullopt);
}

TEST(ZoomSteps, EachStepMovesToItsNeighbourAndStopsAtTheEnds) {
  const auto& steps = Commands::kZoomSteps;
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(Commands::steppedZoom(steps[i], +1), steps[std::min(i + 1, steps.size() - 1)]) << steps[i];
    EXPECT_EQ(Commands::steppedZoom(steps[i], -1), steps[i == 0 ? 0 : i - 1]) << steps[i];
  }
}

TEST(ZoomSteps, AZoomOffTheStepsCountsAsTheNextStepUp) {
  EXPECT_EQ(Commands::steppedZoom(0.9, +1), 1.1);
  EXPECT_EQ(Commands::steppedZoom(0.9, -1), 0.85);
  // Within a thousandth above a step counts as that step.
  EXPECT_EQ(Commands::steppedZoom(1.0009, +1), 1.1);
  EXPECT_EQ(Commands::steppedZoom(1.0009, -1), 0.85);
  EXPECT_EQ(Commands::steppedZoom(1.0011, -1), 1.0);
  // Above every step counts as the last one; below every step as the first.
  EXPECT_EQ(Commands::steppedZoom(3.0, +1), 1.5);
  EXPECT_EQ(Commands::steppedZoom(3.0, -1), 1.25);
  EXPECT_EQ(Commands::steppedZoom(0, +1), 0.75);
  EXPECT_EQ(Commands::steppedZoom(0, -1), 0.67);
}

TEST(TablePicker, SegmentsFollowTheCatalogAndOpenOnlyCatalogRows) {
  std::vector<std::string> titles;
  for (size_t i = 0; i < Tables::all.size(); ++i) {
    const Table& t = Tables::all[i];
    titles.push_back(Commands::segmentTitle(t.name));
    EXPECT_EQ(Commands::pickerIndex(&t), static_cast<int>(i));
    EXPECT_EQ(Commands::pickedAddress(static_cast<int>(i)), Tables::url(t.file));
    EXPECT_EQ(Commands::subtitle(&t), t.name);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Roulette", "Blackjack", "Baccarat", "Poker"}));
  EXPECT_EQ(Commands::segmentTitle("Royale Royale Royale"), "Royale");
  EXPECT_EQ(Commands::pickerIndex(nullptr), -1);
  EXPECT_EQ(Commands::subtitle(nullptr), "Lobby");
  EXPECT_EQ(Commands::pickedAddress(-1), std::nullopt);
  EXPECT_EQ(Commands::pickedAddress(4), std::nullopt);
}

TEST(Shortcuts, EveryAcceleratorParsesAndNoneIsTakenTwice) {
  std::vector<std::pair<guint, GdkModifierType>> seen;
  for (const auto& s : Commands::shortcuts()) {
    ASSERT_FALSE(s.accels.empty()) << s.action;
    for (const auto& accel : s.accels) {
      guint key = 0;
      GdkModifierType mods{};
      ASSERT_TRUE(gtk_accelerator_parse(accel.c_str(), &key, &mods)) << accel;
      std::pair<guint, GdkModifierType> combo{key, mods};
      EXPECT_EQ(std::count(seen.begin(), seen.end(), combo), 0) << accel;
      seen.push_back(combo);
    }
  }
}

TEST(Shortcuts, TheShortcutsWindowListsEveryShortcut) {
  std::string ui = Commands::shortcutsWindowUi();
  for (const auto& s : Commands::shortcuts()) {
    g_autofree char* title = g_markup_escape_text(s.title.c_str(), -1);
    g_autofree char* accel = g_markup_escape_text(s.accels.front().c_str(), -1);
    EXPECT_NE(ui.find(std::string(">") + title + "<"), std::string::npos) << s.action;
    EXPECT_NE(ui.find(std::string(">") + accel), std::string::npos) << s.action;
  }
  EXPECT_EQ(ui.find("KP_"), std::string::npos);
  // It is well-formed enough for GtkBuilder's own parser.
  g_autoptr(GMarkupParseContext) context = g_markup_parse_context_new(&kIgnore, GMarkupParseFlags(0), nullptr, nullptr);
  EXPECT_TRUE(g_markup_parse_context_parse(context, ui.c_str(), -1, nullptr));
  EXPECT_TRUE(g_markup_parse_context_end_parse(context, nullptr));
}

}  // namespace
}  // namespace velmar
