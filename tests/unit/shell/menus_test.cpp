#include "shell/menus.h"

#include "shell/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velmar {
namespace {

struct Item {
  std::string label;
  std::string action;
  std::string target;
};

// Walks a menu the way a menu bar would, flattening its sections.
void collect(GMenuModel* model, std::vector<Item>& out) {
  for (int i = 0; i < g_menu_model_get_n_items(model); ++i) {
    g_autoptr(GMenuModel) section = g_menu_model_get_item_link(model, i, G_MENU_LINK_SECTION);
    if (section) {
      collect(section, out);
      continue;
    }
    Item item;
    char* text = nullptr;
    if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_LABEL, "s", &text)) item.label = text;
    g_free(text);
    text = nullptr;
    if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_ACTION, "s", &text)) item.action = text;
    g_free(text);
    text = nullptr;
    if (g_menu_model_get_item_attribute(model, i, G_MENU_ATTRIBUTE_TARGET, "s", &text)) item.target = text;
    g_free(text);
    out.push_back(item);
  }
}

class MenuBar : public ::testing::Test {
 protected:
  void SetUp() override {
    bar = buildMenuBar();
    for (int i = 0; i < g_menu_model_get_n_items(bar); ++i) {
      char* label = nullptr;
      g_menu_model_get_item_attribute(bar, i, G_MENU_ATTRIBUTE_LABEL, "s", &label);
      titles.push_back(label ? label : "");
      g_free(label);
      g_autoptr(GMenuModel) sub = g_menu_model_get_item_link(bar, i, G_MENU_LINK_SUBMENU);
      menus.emplace_back();
      if (sub) collect(sub, menus.back());
    }
  }
  void TearDown() override { g_object_unref(bar); }
  std::vector<std::string> labels(size_t menu) const {
    std::vector<std::string> out;
    for (const auto& item : menus.at(menu)) out.push_back(item.label);
    return out;
  }
  GMenuModel* bar = nullptr;
  std::vector<std::string> titles;
  std::vector<std::vector<Item>> menus;
};

TEST_F(MenuBar, HasTheFiveMenusWithTheirItemsInOrder) {
  EXPECT_EQ(titles, (std::vector<std::string>{"Velmar Casino", "Table", "Edit", "View", "Window"}));
  EXPECT_EQ(labels(0), (std::vector<std::string>{"About Velmar Casino", "Keyboard Shortcuts",
                                                 "Reopen Last Table on Launch", "Hide Velmar Casino",
                                                 "Quit Velmar Casino"}));
  EXPECT_EQ(labels(1), (std::vector<std::string>{"Lobby", "Roulette Royale", "Blackjack Royale", "Baccarat Royale",
                                                 "Poker Royale", "Reload Table", "Reset Chips at This Table…",
                                                 "Show Saved Games in Files"}));
  EXPECT_EQ(labels(2), (std::vector<std::string>{"Undo", "Redo", "Cut", "Copy", "Paste", "Select All"}));
  EXPECT_EQ(labels(3), (std::vector<std::string>{"Actual Size", "Zoom In", "Zoom Out", "Enter Full Screen"}));
  EXPECT_EQ(labels(4), (std::vector<std::string>{"Minimize", "Zoom"}));
}

TEST_F(MenuBar, PageItemsTargetTheLobbyAndEachTableInCatalogOrder) {
  std::vector<std::string> targets;
  for (const auto& item : menus.at(1))
    if (item.action == "app.page") targets.push_back(item.target);
  EXPECT_EQ(targets, (std::vector<std::string>{"lobby", "roulette", "blackjack", "baccarat", "poker"}));
  for (const auto& target : targets) EXPECT_TRUE(Commands::pageAddress(target)) << target;
}

// A typo in an action name leaves a menu item dead and its shortcut silent.
TEST_F(MenuBar, EveryItemAndEveryShortcutNamesAnActionTheApplicationHas) {
  const std::set<std::string> actions{
      "app.page",      "app.reload-page", "app.reset-table", "app.show-saves", "app.toggle-reopen", "app.zoom-in",
      "app.zoom-out",  "app.actual-size", "app.about",       "app.shortcuts",  "app.quit",          "win.undo",
      "win.redo",      "win.cut",         "win.copy",        "win.paste",      "win.select-all",    "win.hide",
      "win.minimize",  "win.maximize",    "win.fullscreen"};
  std::set<std::string> inMenus;
  for (const auto& menu : menus)
    for (const auto& item : menu) {
      EXPECT_TRUE(actions.count(item.action)) << item.label << " -> " << item.action;
      inMenus.insert(item.action + (item.target.empty() ? "" : "::" + item.target));
    }
  for (const auto& s : Commands::shortcuts()) {
    auto plain = s.action.substr(0, s.action.find("::"));
    EXPECT_TRUE(actions.count(plain)) << s.action;
    EXPECT_TRUE(inMenus.count(s.action)) << s.action << " has a shortcut but no menu item";
  }
}

}  // namespace
}  // namespace velmar
