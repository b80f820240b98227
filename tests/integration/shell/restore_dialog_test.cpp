// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/app_delegate.h"

#include "host/alert.h"

#include "integration/shell/shell_fixture.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velmar {
namespace {

using test::Shell;
Shell* shell = nullptr;

// Two days back, so that the copy is never today's, which the store writes.
std::string twoDaysAgo() {
  g_autoptr(GDateTime) now = g_date_time_new_now_local();
  g_autoptr(GDateTime) then = g_date_time_add_days(now, -2);
  g_autofree char* date = g_date_time_format(then, "%Y-%m-%d");
  return date;
}

class RestoreDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shell = new Shell;
    std::string folder = shell->home / "XDG_DATA_HOME/Velmar Casino";
    g_mkdir_with_parents((folder + "/backups").c_str(), 0700);
    test::writeFile(saves(), R"({"baccarat-royale.v1": "kept", "roulette-royale.v1": "{\"bankroll\":100000}"})");
    test::writeFile(folder + "/backups/saves-" + twoDaysAgo() + ".json",
                    R"({"roulette-royale.v1": "{\"bankroll\":51500}", "baccarat-royale.v1": "older"})");
    test::writeFile(folder + "/backups/saves-2020-01-01.json", R"({"roulette-royale.v1": "{\"bankroll\":"})");
    shell->launch("com.velmar.Casino.RestoreTests");
  }

  static GActionGroup* actions() { return G_ACTION_GROUP(shell->app); }
  static std::string saves() { return shell->saves(); }

  static void show(const char* page) {
    g_action_group_activate_action(actions(), "page", g_variant_new_string(page));
    ASSERT_TRUE(test::waitFor([page] {
      g_autoptr(GVariant) state = g_action_group_get_action_state(actions(), "page");
      return g_strcmp0(g_variant_get_string(state, nullptr), page) == 0;
    }));
  }

  // The dialog shown whose heading starts so.
  static GtkWidget* dialog(const std::string& heading) {
    GtkWidget* d = test::shownWidget(alert::type());
    return d && std::string(alert::heading(d)).starts_with(heading) ? d : nullptr;
  }

  // The list's rows as "title: subtitle", and the row that says `chips`.
  static std::vector<std::string> rows(GtkWidget* list, const std::string& chips, GtkListBoxRow** pick,
                                       std::string& title) {
    std::vector<std::string> out;
    GtkWidget* box = test::findWidget(GTK_WIDGET(list), [](GtkWidget* w) { return GTK_IS_LIST_BOX(w); });
    if (!box) return out;
    for (GtkWidget* row = gtk_widget_get_first_child(box); row; row = gtk_widget_get_next_sibling(row)) {
      if (!ADW_IS_ACTION_ROW(row)) continue;
      std::string subtitle = adw_action_row_get_subtitle(ADW_ACTION_ROW(row));
      out.push_back(std::string(adw_preferences_row_get_title(ADW_PREFERENCES_ROW(row))) + ": " + subtitle +
                    (gtk_widget_get_sensitive(row) ? "" : " (off)"));
      if (subtitle == chips) {
        *pick = GTK_LIST_BOX_ROW(row);
        title = adw_preferences_row_get_title(ADW_PREFERENCES_ROW(row));
      }
    }
    return out;
  }

  // Opens the list and chooses the row with those chips; day is its title.
  static GtkWidget* confirmation(const std::string& chips, std::string& day) {
    g_action_group_activate_action(actions(), "restore-table", nullptr);
    GtkWidget* list = nullptr;
    EXPECT_TRUE(test::waitFor([&] { return (list = dialog("Restore Roulette Royale from a Backup")) != nullptr; }));
    if (!list) return nullptr;
    GtkListBoxRow* pick = nullptr;
    auto shown = rows(list, chips, &pick, day);
    // Today's copy, which the store writes as the pages save, may come first.
    EXPECT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.back(), "1 January 2020: chips unknown (off)");
    if (!pick) return nullptr;
    g_signal_emit_by_name(gtk_widget_get_parent(GTK_WIDGET(pick)), "row-activated", pick);
    GtkWidget* ask = nullptr;
    EXPECT_TRUE(test::waitFor([&] { return (ask = dialog("Restore Roulette Royale to ")) != nullptr; }));
    return ask;
  }
};

// The dialogs answer for the table they name: showing another one closes
// them unanswered; chosen and confirmed, a day's copy replaces that table's
// key alone.
TEST_F(RestoreDialog, ADayIsConfirmedByTableDayAndChipsAndAnotherTableClosesTheDialogs) {
  show("roulette");
  std::string day;
  GtkWidget* ask = confirmation("515 chips", day);
  ASSERT_TRUE(ask);
  auto keep = Ref<GtkWidget>::retain(ask);
  show("blackjack");
  EXPECT_TRUE(test::waitFor([] { return test::shownWidget(alert::type()) == nullptr; }));
  alert::respond(ask, "restore");
  for (int i = 0; i < 20; ++i) test::drainMainLoop();
  EXPECT_EQ(test::readFile(saves()).find("51500"), std::string::npos);

  show("roulette");
  ask = confirmation("515 chips", day);
  ASSERT_TRUE(ask);
  EXPECT_STREQ(alert::heading(ask), ("Restore Roulette Royale to 515 chips from " + day + "?").c_str());
  EXPECT_EQ(alert::appearance(ask, "restore"), ADW_RESPONSE_DESTRUCTIVE);
  EXPECT_STREQ(alert::defaultResponse(ask), "cancel");
  alert::respond(ask, "restore");
  EXPECT_TRUE(test::waitFor([] { return test::readFile(saves()).find("51500") != std::string::npos; }));
  EXPECT_EQ(test::readFile(saves()).find("100000"), std::string::npos);
  EXPECT_NE(test::readFile(saves()).find("\"kept\""), std::string::npos);
  const std::string done = "Roulette Royale is back to 515 chips from " + day + ".";
  EXPECT_TRUE(test::waitFor([&] {
    return test::findWidget(GTK_WIDGET(gtk_application_get_active_window(GTK_APPLICATION(shell->app))), [&](GtkWidget* x) {
      return GTK_IS_LABEL(x) && done == gtk_label_get_text(GTK_LABEL(x));
    }) != nullptr;
  })) << done;
}

}  // namespace
}  // namespace velmar
