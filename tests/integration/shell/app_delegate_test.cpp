#include "shell/app_delegate.h"

#include "shell/commands.h"

#include "support/log_capture.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velmar {
namespace {

// One application for the whole suite, as in the program: GTK starts once
// per process, and the delegate lives until the process ends.
struct Shell {
  test::TempDir home;
  AdwApplication* app = nullptr;
  std::shared_ptr<AppDelegate> delegate;
};
Shell* shell = nullptr;

// Runs the main loop until the condition holds. The limit only stops a hang.
bool spinUntil(const std::function<bool()>& done) {
  gint64 end = g_get_monotonic_time() + 60 * G_USEC_PER_SEC;
  while (!done()) {
    if (g_get_monotonic_time() > end) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  return true;
}

GtkWidget* find(GtkWidget* root, const std::function<bool(GtkWidget*)>& match) {
  if (!root) return nullptr;
  if (match(root)) return root;
  for (GtkWidget* child = gtk_widget_get_first_child(root); child; child = gtk_widget_get_next_sibling(child))
    if (GtkWidget* hit = find(child, match)) return hit;
  return nullptr;
}

GtkWidget* named(GtkWidget* root, const char* name) {
  return find(root, [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

class ShellWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (shell) return;
    shell = new Shell;
    // Before anything asks GLib for these folders: it keeps the first answer.
    for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
      g_setenv(var, (shell->home / var).c_str(), TRUE);
    g_mkdir_with_parents((shell->home / "XDG_DATA_HOME/Velmar Casino").c_str(), 0700);
    test::writeFile(saves(), "{\n  \"baccarat-royale.v1\" : \"kept\",\n  \"roulette-royale.v1\" : \"sentinel\"\n}");
    // A window the last run left maximised comes back maximised.
    g_mkdir_with_parents((shell->home / "XDG_STATE_HOME/velmar-casino").c_str(), 0700);
    test::writeFile(shell->home / "XDG_STATE_HOME/velmar-casino/window.ini",
                    "[VelmarCasinoMain]\nwidth=1440\nheight=900\nmaximized=true\nfullscreen=false\n");

    shell->app = adw_application_new("com.velmar.Casino.Tests", G_APPLICATION_NON_UNIQUE);
    AppDelegate::Options options;
    options.resources = std::string(VELMAR_FIXTURES) + "/shell";
    shell->delegate = AppDelegate::create(shell->app, options);
    ASSERT_TRUE(g_application_register(G_APPLICATION(shell->app), nullptr, nullptr));
    g_application_activate(G_APPLICATION(shell->app));
    ASSERT_TRUE(spinUntil([] { return subtitle() == "Lobby"; }));
  }

  static std::string saves() { return shell->home / "XDG_DATA_HOME/Velmar Casino/saves.json"; }
  static GtkWindow* window() { return gtk_application_get_active_window(GTK_APPLICATION(shell->app)); }
  static GtkWidget* bar() { return gtk_window_get_titlebar(window()); }
  static std::string subtitle() {
    GtkWidget* title = find(bar(), [](GtkWidget* w) { return ADW_IS_WINDOW_TITLE(w); });
    return title ? adw_window_title_get_subtitle(ADW_WINDOW_TITLE(title)) : "";
  }
  static std::vector<GtkToggleButton*> segments() {
    std::vector<GtkToggleButton*> out;
    for (GtkWidget* c = gtk_widget_get_first_child(named(bar(), "tables")); c; c = gtk_widget_get_next_sibling(c))
      out.push_back(GTK_TOGGLE_BUTTON(c));
    return out;
  }
  static int selectedSegment() {
    int selected = -1, count = 0;
    auto all = segments();
    for (size_t i = 0; i < all.size(); ++i)
      if (gtk_toggle_button_get_active(all[i])) selected = static_cast<int>(i), ++count;
    return count > 1 ? -2 : selected;
  }
  static void activate(const char* action, GVariant* target = nullptr) {
    g_action_group_activate_action(G_ACTION_GROUP(shell->app), action, target);
  }
  static GtkWindow* shownWindowOf(GType type) {
    GListModel* toplevels = gtk_window_get_toplevels();
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
      g_autoptr(GObject) w = G_OBJECT(g_list_model_get_item(toplevels, i));
      if (G_TYPE_CHECK_INSTANCE_TYPE(w, type) && gtk_widget_get_visible(GTK_WIDGET(w))) return GTK_WINDOW(w);
    }
    return nullptr;
  }
  static AdwMessageDialog* dialog() {
    GListModel* toplevels = gtk_window_get_toplevels();
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
      g_autoptr(GObject) w = G_OBJECT(g_list_model_get_item(toplevels, i));
      if (ADW_IS_MESSAGE_DIALOG(w) && gtk_widget_get_visible(GTK_WIDGET(w))) return ADW_MESSAGE_DIALOG(w);
    }
    return nullptr;
  }
};

TEST_F(ShellWindow, OpensDarkAtTheDefaultSizeWithTheHeaderBarInPlace) {
  GtkWindow* w = window();
  ASSERT_TRUE(w);
  EXPECT_STREQ(gtk_window_get_title(w), "Velmar Casino");
  int width = 0, height = 0;
  gtk_window_get_default_size(w, &width, &height);
  EXPECT_EQ(width, 1440);
  EXPECT_EQ(height, 900);
  gtk_widget_get_size_request(GTK_WIDGET(w), &width, &height);
  EXPECT_EQ(width, 900);
  EXPECT_EQ(height, 600);
  EXPECT_TRUE(adw_style_manager_get_dark(adw_style_manager_get_default()));
  EXPECT_TRUE(gtk_application_window_get_show_menubar(GTK_APPLICATION_WINDOW(w)));
  EXPECT_TRUE(spinUntil([w] { return gtk_window_is_maximized(w); }));

  GtkWidget* lobby = named(bar(), "lobby");
  ASSERT_TRUE(lobby);
  EXPECT_STREQ(gtk_widget_get_tooltip_text(lobby), "Back to the casino lobby (Ctrl+L)");
  std::vector<std::string> labels;
  for (auto* s : segments()) labels.push_back(gtk_button_get_label(GTK_BUTTON(s)));
  EXPECT_EQ(labels, (std::vector<std::string>{"Roulette", "Blackjack", "Baccarat", "Poker"}));
  EXPECT_EQ(selectedSegment(), -1);
}

TEST_F(ShellWindow, SubtitleAndPickerFollowThePageShown) {
  activate("page", g_variant_new_string("roulette"));
  ASSERT_TRUE(spinUntil([] { return subtitle() == "Roulette Royale"; }));
  EXPECT_EQ(selectedSegment(), 0);

  // A click on a segment opens its table; the selection follows the load.
  g_signal_emit_by_name(segments()[2], "clicked");
  ASSERT_TRUE(spinUntil([] { return subtitle() == "Baccarat Royale"; }));
  EXPECT_EQ(selectedSegment(), 2);

  g_signal_emit_by_name(named(bar(), "lobby"), "clicked");
  ASSERT_TRUE(spinUntil([] { return subtitle() == "Lobby"; }));
  EXPECT_EQ(selectedSegment(), -1);
}

TEST_F(ShellWindow, ResetAsksFirstAndOnlyTheResetAnswerClearsThatTable) {
  activate("page", g_variant_new_string("lobby"));
  ASSERT_TRUE(spinUntil([] { return subtitle() == "Lobby"; }));
  // In the lobby the command is disabled, so nothing asks.
  activate("reset-table");
  for (int i = 0; i < 50; ++i) g_main_context_iteration(nullptr, FALSE);
  EXPECT_FALSE(dialog());

  activate("page", g_variant_new_string("roulette"));
  ASSERT_TRUE(spinUntil([] { return subtitle() == "Roulette Royale"; }));
  activate("reset-table");
  ASSERT_TRUE(spinUntil([] { return dialog() != nullptr; }));
  AdwMessageDialog* ask = dialog();
  EXPECT_STREQ(adw_message_dialog_get_heading(ask), "Reset Roulette Royale?");
  EXPECT_STREQ(adw_message_dialog_get_body(ask),
               "Your chips at this table go back to the starting bankroll and its settings are cleared. "
               "The other tables aren't touched.");
  EXPECT_EQ(adw_message_dialog_get_response_appearance(ask, "reset"), ADW_RESPONSE_DESTRUCTIVE);
  EXPECT_STREQ(adw_message_dialog_get_response_label(ask, "cancel"), "Cancel");
  EXPECT_STREQ(adw_message_dialog_get_response_label(ask, "reset"), "Reset Table");

  adw_message_dialog_response(ask, "cancel");
  ASSERT_TRUE(spinUntil([] { return dialog() == nullptr; }));
  EXPECT_NE(test::readFile(saves()).find("sentinel"), std::string::npos);

  activate("reset-table");
  ASSERT_TRUE(spinUntil([] { return dialog() != nullptr; }));
  adw_message_dialog_response(dialog(), "reset");
  ASSERT_TRUE(spinUntil([] { return test::readFile(saves()).find("sentinel") == std::string::npos; }));
  EXPECT_NE(test::readFile(saves()).find("\"kept\""), std::string::npos);
}

// Walks a menu model through its sections and submenus.
void eachItem(GMenuModel* model, const std::function<void(const std::string&, const std::string&)>& visit) {
  for (int i = 0; i < g_menu_model_get_n_items(model); ++i) {
    for (const char* link : {G_MENU_LINK_SECTION, G_MENU_LINK_SUBMENU}) {
      g_autoptr(GMenuModel) inner = g_menu_model_get_item_link(model, i, link);
      if (inner) eachItem(inner, visit);
    }
    g_autofree char* label = nullptr;
    g_autofree char* action = nullptr;
    g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_LABEL, "s", &label);
    if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_ACTION, "s", &action)) visit(label, action);
  }
}

// A misspelt action leaves a menu item dead and its keys silent.
TEST_F(ShellWindow, EveryMenuItemAndShortcutReachesARegisteredAction) {
  auto registered = [](const std::string& detailed) {
    std::string name = detailed.substr(0, detailed.find("::"));
    GActionGroup* group = name.rfind("app.", 0) == 0 ? G_ACTION_GROUP(shell->app) : G_ACTION_GROUP(window());
    return g_action_group_has_action(group, name.substr(4).c_str());
  };

  eachItem(gtk_application_get_menubar(GTK_APPLICATION(shell->app)), [&](const std::string& label, const std::string& action) {
    EXPECT_TRUE(registered(action)) << label << " -> " << action;

  });
  for (const auto& s : Commands::shortcuts()) {
    EXPECT_TRUE(registered(s.action)) << s.action;
    g_auto(GStrv) accels = gtk_application_get_accels_for_action(GTK_APPLICATION(shell->app), s.action.c_str());
    EXPECT_EQ(g_strv_length(accels), s.accels.size()) << s.action;
  }
}

// The shortcuts window is built from a description at run time; a mistake in
// it would only show when the user asks for it.
TEST_F(ShellWindow, AboutAndShortcutsWindowsOpenOverTheMainWindow) {
  activate("shortcuts");
  ASSERT_TRUE(spinUntil([] { return shownWindowOf(GTK_TYPE_SHORTCUTS_WINDOW) != nullptr; }));
  GtkWindow* shortcuts = shownWindowOf(GTK_TYPE_SHORTCUTS_WINDOW);
  EXPECT_EQ(gtk_window_get_transient_for(shortcuts), window());
  EXPECT_TRUE(find(GTK_WIDGET(shortcuts), [](GtkWidget* w) { return GTK_IS_SHORTCUTS_SHORTCUT(w); }));
  gtk_window_close(shortcuts);

  activate("about");
  ASSERT_TRUE(spinUntil([] { return shownWindowOf(ADW_TYPE_ABOUT_WINDOW) != nullptr; }));
  AdwAboutWindow* about = ADW_ABOUT_WINDOW(shownWindowOf(ADW_TYPE_ABOUT_WINDOW));
  EXPECT_STREQ(adw_about_window_get_application_name(about), "Velmar Casino");
  EXPECT_STREQ(adw_about_window_get_application_icon(about), "com.velmar.Casino");
  gtk_window_close(GTK_WINDOW(about));
}

}  // namespace
}  // namespace velmar
