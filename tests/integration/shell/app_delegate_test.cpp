// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/app_delegate.h"

#include "host/alert.h"

#include "catalog/page_keys.h"
#include "shell/commands.h"

#include "integration/shell/shell_fixture.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace velmar {
namespace {

using test::Shell;
Shell* shell = nullptr;

GtkWidget* named(GtkWidget* root, const char* name) {
  return test::findWidget(root, [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

class ShellWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shell = new Shell;
    g_mkdir_with_parents((shell->home / "XDG_DATA_HOME/Velmar Casino").c_str(), 0700);
    test::writeFile(saves(), "{\n  \"baccarat-royale.v1\" : \"kept\",\n  \"roulette-royale.v1\" : \"sentinel\"\n}");
    // The last run left the window maximised over a size of its own.
    g_mkdir_with_parents((shell->home / "XDG_STATE_HOME/velmar-casino").c_str(), 0700);
    test::writeFile(shell->home / "XDG_STATE_HOME/velmar-casino/window.ini",
                    "[VelmarCasinoMain]\nwidth=1280\nheight=800\nmaximized=true\nfullscreen=false\n");

    // The staged metainfo beside the pages, where the About window reads its
    // release notes.
    std::string share = shell->share();
    g_mkdir_with_parents((share + "/metainfo").c_str(), 0700);
    g_autofree char* resources = g_path_get_dirname(VELMAR_STAGED_WEB);
    g_autofree char* staged = g_path_get_dirname(resources);
    ASSERT_EQ(symlink((std::string(staged) + "/metainfo/com.velmar.Casino.metainfo.xml").c_str(),
                      (share + "/metainfo/com.velmar.Casino.metainfo.xml").c_str()), 0);
    shell->launch("com.velmar.Casino.Tests");
  }

  static GActionGroup* actions() { return G_ACTION_GROUP(shell->app); }
  static std::string saves() { return shell->saves(); }
  static GtkWindow* window() { return gtk_application_get_active_window(GTK_APPLICATION(shell->app)); }
  static GtkWidget* bar() { return gtk_window_get_titlebar(window()); }

  // Waits for the header to name the page, then checks that the picker's
  // segments that are down ("0100": the second), the page action's state (the
  // menu's check mark) and whether Reset Table can be chosen agree with it.
  static void expectShown(const char* subtitle, const char* page, const std::string& down) {
    ASSERT_TRUE(test::waitFor([&] {
      GtkWidget* title = test::findWidget(bar(), [](GtkWidget* w) { return ADW_IS_WINDOW_TITLE(w); });
      return title && g_strcmp0(adw_window_title_get_subtitle(ADW_WINDOW_TITLE(title)), subtitle) == 0;
    })) << subtitle;
    std::string segmentsDown;
    for (GtkWidget* s = gtk_widget_get_first_child(named(bar(), "tables")); s; s = gtk_widget_get_next_sibling(s))
      segmentsDown += gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s)) ? '1' : '0';
    EXPECT_EQ(segmentsDown, down) << subtitle;
    g_autoptr(GVariant) state = g_action_group_get_action_state(actions(), "page");
    EXPECT_STREQ(g_variant_get_string(state, nullptr), page);
    EXPECT_EQ(g_action_group_get_action_enabled(actions(), "reset-table"), down != "0000") << subtitle;
  }
};

TEST_F(ShellWindow, OpensDarkAndMaximisedAtTheSavedSizeWithTheHeaderBarInPlace) {
  GtkWindow* w = window();
  ASSERT_TRUE(w);
  EXPECT_TRUE(adw_style_manager_get_dark(adw_style_manager_get_default()));
  EXPECT_TRUE(ADW_IS_HEADER_BAR(bar()) && named(bar(), "lobby"));
  EXPECT_TRUE(gtk_application_window_get_show_menubar(GTK_APPLICATION_WINDOW(w)));
  EXPECT_TRUE(test::waitFor([w] { return gtk_window_is_maximized(w); }));
  // The saved size wins over the default one.
  int width = 0, height = 0;
  gtk_window_get_default_size(w, &width, &height);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(1280, 800));
  expectShown("Lobby", "lobby", "0000");
}

TEST_F(ShellWindow, SubtitlePickerAndCommandsFollowThePageShown) {
  g_action_group_activate_action(actions(), "page", g_variant_new_string("roulette"));
  expectShown("Roulette Royale", "roulette", "1000");
  // A click on a segment opens its table; the selection follows the load.
  g_signal_emit_by_name(gtk_widget_get_last_child(named(bar(), "tables")), "clicked");
  expectShown("Poker Royale", "poker", "0001");
  g_signal_emit_by_name(named(bar(), "lobby"), "clicked");
  expectShown("Lobby", "lobby", "0000");
}

TEST_F(ShellWindow, ResetAsksFirstAndOnlyTheResetAnswerClearsThatTable) {
  for (std::string answer : {"cancel", "reset"}) {
    g_action_group_activate_action(actions(), "page", g_variant_new_string("roulette"));
    expectShown("Roulette Royale", "roulette", "1000");
    g_action_group_activate_action(actions(), "reset-table", nullptr);
    ASSERT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) != nullptr; }));
    GtkWidget* ask = test::shownWidget(alert::type());
    EXPECT_STREQ(alert::heading(ask), "Reset Roulette Royale?");
    // Return and Escape keep the chips: only the destructive answer resets.
    EXPECT_EQ(alert::appearance(ask, "reset"), ADW_RESPONSE_DESTRUCTIVE);
    EXPECT_STREQ(alert::defaultResponse(ask), "cancel");
    EXPECT_STREQ(alert::closeResponse(ask), "cancel");
    alert::respond(ask, answer.c_str());
    // A reset is confirmed in passing, where a screen reader hears it too.
    auto toasted = [] {
      return test::findWidget(GTK_WIDGET(window()), [](GtkWidget* x) {
        return GTK_IS_LABEL(x) && g_strcmp0(gtk_label_get_text(GTK_LABEL(x)),
                                            "Roulette Royale is back to its starting chips.") == 0;
      }) != nullptr;
    };
    if (answer == "reset") EXPECT_TRUE(test::waitFor(toasted));
    else EXPECT_FALSE(toasted());
    // Leaving the table waits on its page, which answers a reset first: by the
    // time the lobby shows, a reset the answer set off is in the store, and
    // its file follows.
    g_action_group_activate_action(actions(), "page", g_variant_new_string("lobby"));
    expectShown("Lobby", "lobby", "0000");
    auto kept = [&] { return test::readFile(saves()).find("sentinel") != std::string::npos; };
    EXPECT_TRUE(test::waitFor([&] { return kept() == (answer == "cancel"); })) << answer;
    EXPECT_NE(test::readFile(saves()).find("\"kept\""), std::string::npos);
  }
}

// Another program on the session bus may switch the page while the question
// is open: an answer then must not reach the table shown instead.
TEST_F(ShellWindow, TheResetQuestionGoesWhenTheTableItNamesIsNoLongerShown) {
  g_action_group_activate_action(actions(), "page", g_variant_new_string("roulette"));
  expectShown("Roulette Royale", "roulette", "1000");
  g_action_group_activate_action(actions(), "reset-table", nullptr);
  ASSERT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) != nullptr; }));
  g_action_group_activate_action(actions(), "page", g_variant_new_string("baccarat"));
  expectShown("Baccarat Royale", "baccarat", "0010");
  EXPECT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) == nullptr; }));
  if (GtkWidget* still = test::shownWidget(alert::type())) alert::respond(still, "reset");
  g_action_group_activate_action(actions(), "page", g_variant_new_string("lobby"));
  expectShown("Lobby", "lobby", "0000");
  // No answer is coming, so there is nothing to wait for but a write that
  // should never happen.
  EXPECT_FALSE(test::waitFor([] { return test::readFile(saves()).find("\"kept\"") == std::string::npos; }, 3));
}

// What the banner under the header bar shows, and what it says.
std::pair<bool, std::string> banner(GtkWidget* b) {
#if ADW_CHECK_VERSION(1, 3, 0)
  return {adw_banner_get_revealed(ADW_BANNER(b)), adw_banner_get_title(ADW_BANNER(b))};
#else
  return {gtk_revealer_get_reveal_child(GTK_REVEALER(b)),
          gtk_label_get_text(GTK_LABEL(gtk_revealer_get_child(GTK_REVEALER(b))))};
#endif
}

TEST_F(ShellWindow, TheBannerAboveThePageTellsOfSaveTroubleThenThatItIsOverThenHides) {
  GtkWidget* notice = named(GTK_WIDGET(window()), "save-notice");
  ASSERT_TRUE(notice);
  GtkWidget* content = adw_toast_overlay_get_child(ADW_TOAST_OVERLAY(gtk_window_get_child(window())));
  EXPECT_EQ(notice, gtk_widget_get_first_child(content));
  EXPECT_FALSE(banner(notice).first);
  // As the web host tells it when a page cannot hold its saves.
  shell->delegate->showSaveTrouble({.unsavedTables = {"poker"}});
  EXPECT_EQ(banner(notice), std::pair(true, std::string("Poker Royale can’t save its chips this visit. "
                                                        "Open the table again to try again.")));
  shell->delegate->showSaveTrouble({});
  EXPECT_EQ(banner(notice), std::pair(true, std::string("Your chips are saved again.")));
  EXPECT_TRUE(test::waitFor([notice] { return !banner(notice).first; }));
}

// A misspelt action leaves a menu item dead and its keys silent; GTK drops an
// accelerator it cannot parse without a word. Every item has an access key of
// its own within its menu, sections included.
TEST_F(ShellWindow, EveryMenuItemAndShortcutReachesARegisteredActionAndHasAnAccessKeyOfItsOwn) {
  auto registered = [](const std::string& detailed) {
    std::string name = detailed.substr(4, detailed.find("::") - 4);
    return g_action_group_has_action(detailed.rfind("app.", 0) == 0 ? actions() : G_ACTION_GROUP(window()), name.c_str());
  };
  // Every item, through the sections and submenus; keys gathers the access
  // keys of the menu being walked.
  std::function<void(GMenuModel*, std::set<std::string>&)> walk = [&](GMenuModel* model, std::set<std::string>& keys) {
    for (int i = 0; i < g_menu_model_get_n_items(model); ++i) {
      if (g_autoptr(GMenuModel) section = g_menu_model_get_item_link(model, i, G_MENU_LINK_SECTION)) walk(section, keys);
      g_autofree char* label = nullptr;
      if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_LABEL, "s", &label)) {
        std::string key = Commands::accessKey(label);
        EXPECT_FALSE(key.empty()) << label;
        EXPECT_TRUE(keys.insert(key).second) << label << " shares its key";
      }
      if (g_autoptr(GMenuModel) submenu = g_menu_model_get_item_link(model, i, G_MENU_LINK_SUBMENU)) {
        std::set<std::string> own;
        walk(submenu, own);
      }
      g_autofree char* action = nullptr;
      if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_ACTION, "s", &action)) {
        EXPECT_TRUE(registered(action)) << action;
      }
    }
  };
  std::set<std::string> bar;
  walk(gtk_application_get_menubar(GTK_APPLICATION(shell->app)), bar);
  EXPECT_EQ(bar.size(), 5u) << "the walk reached every menu";
  for (const auto& s : Commands::shortcuts()) {
    EXPECT_TRUE(registered(s.action)) << s.action;
    g_auto(GStrv) accels = gtk_application_get_accels_for_action(GTK_APPLICATION(shell->app), s.action.c_str());
    EXPECT_EQ(g_strv_length(accels), s.accels.size()) << s.action;
  }
}

// Both are built only when asked for (the shortcuts window from a description
// read at run time), so a mistake in either would show to the user first.
// The shortcuts window lists exactly the keys the application takes (and
// F10) and each table's page answers, on one page, and the About window
// names the newest release. The deprecated shortcuts types
// are reached by name alone, which GTK 4.18 does not warn about.
TEST_F(ShellWindow, AboutAndShortcutsWindowsOpenOverTheMainWindowComplete) {
#if ADW_CHECK_VERSION(1, 5, 0)
  const char* aboutType = "AdwAboutDialog";
#define VELMAR_ABOUT(name) adw_about_dialog_##name(ADW_ABOUT_DIALOG(w))
#else
  const char* aboutType = "AdwAboutWindow";
#define VELMAR_ABOUT(name) adw_about_window_##name(ADW_ABOUT_WINDOW(w))
#endif
  const auto is = [](GtkWidget* x, const char* type) { return G_TYPE_CHECK_INSTANCE_TYPE(x, g_type_from_name(type)); };
  // What each section should list, sorted: the keypad twins draw like the
  // keys they double, so the window leaves them out.
  std::map<std::string, std::vector<std::string>> listed{{"shortcuts", {"F10"}}};
  for (const auto& s : Commands::shortcuts()) {
    std::string accels;
    for (const std::string& a : s.accels)
      if (a.find("KP_") == std::string::npos) accels += (accels.empty() ? "" : " ") + a;
    listed["shortcuts"].push_back(accels);
  }
  for (const Table& table : Tables::all)
    for (const PageKey& k : Tables::keys(table.id))
      listed[std::string(table.id)].push_back(std::string(k.accels) + " " + g_dgettext(GETTEXT_PACKAGE, std::string(k.title).c_str()));
  for (auto& [section, keys] : listed) std::sort(keys.begin(), keys.end());

  for (auto [action, type] : {std::pair{"shortcuts", "GtkShortcutsWindow"}, {"about", aboutType}}) {
    g_action_group_activate_action(actions(), action, nullptr);
    ASSERT_TRUE(test::waitFor([type] { return g_type_from_name(type) && test::shownWidget(g_type_from_name(type)); }))
        << action;
    GtkWidget* w = test::shownWidget(g_type_from_name(type));
    EXPECT_EQ(test::shownOver(w), window()) << action;
    if (std::string(action) == "shortcuts") {
      GtkWidget* pages = test::findWidget(
          w, [&](GtkWidget* x) { return GTK_IS_STACK(x) && is(gtk_widget_get_parent(x), "GtkShortcutsSection"); });
      ASSERT_TRUE(pages);
      ASSERT_TRUE(test::waitFor([pages] { return gtk_widget_get_mapped(pages); }));
      g_autoptr(GListModel) list = G_LIST_MODEL(gtk_stack_get_pages(GTK_STACK(pages)));
      EXPECT_EQ(g_list_model_get_n_items(list), 1u) << "the shortcuts spill over onto more pages";
      std::map<std::string, std::vector<std::string>> shown;
      test::findWidget(w, [&](GtkWidget* section) {
        if (!is(section, "GtkShortcutsSection")) return false;
        g_autofree char* name = nullptr;
        g_object_get(section, "section-name", &name, nullptr);
        auto& keys = shown[name];
        test::findWidget(section, [&](GtkWidget* x) {
          if (!is(x, "GtkShortcutsShortcut")) return false;
          g_autofree char* accels = nullptr;
          g_autofree char* title = nullptr;
          g_object_get(x, "accelerator", &accels, "title", &title, nullptr);
          keys.push_back(std::string(accels) + (std::string(name) == "shortcuts" ? "" : std::string(" ") + title));
          return false;
        });
        std::sort(keys.begin(), keys.end());
        return false;
      });
      EXPECT_EQ(shown, listed);
    } else {
      EXPECT_STREQ(VELMAR_ABOUT(get_release_notes_version), VELMAR_VERSION);
      EXPECT_NE(std::string(VELMAR_ABOUT(get_release_notes)).find("<li>"), std::string::npos);
    }
    if (GTK_IS_WINDOW(w))
      gtk_window_close(GTK_WINDOW(w));
#if ADW_CHECK_VERSION(1, 5, 0)
    else
      adw_dialog_force_close(ADW_DIALOG(w));
#endif
  }
#undef VELMAR_ABOUT
}

}  // namespace
}  // namespace velmar
