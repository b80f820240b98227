// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/menus.h"

#include "catalog/tables.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace velmar {

namespace {

using Item = std::pair<const char*, std::string>;

// A section per group of items: sections are drawn with separators between them.
void addSection(GMenu* menu, std::initializer_list<Item> items) {
  GMenu* section = g_menu_new();
  for (const auto& [label, action] : items) g_menu_append(section, label, action.c_str());
  g_menu_append_section(menu, nullptr, G_MENU_MODEL(section));
  g_object_unref(section);
}

void addSubmenu(GMenu* bar, const char* label, GMenu* menu) {
  g_menu_append_submenu(bar, label, G_MENU_MODEL(menu));
  g_object_unref(menu);
}

}  // namespace

GMenuModel* buildMenuBar() {
  GMenu* bar = g_menu_new();

  GMenu* app = g_menu_new();
  addSection(app, {{"About Velmar Casino", "app.about"}, {"Keyboard Shortcuts", "app.shortcuts"}});
  addSection(app, {{"Reopen Last Table on Launch", "app.toggle-reopen"}});
  // There is no "Hide Others" on Linux: a window cannot hide other programs.
  addSection(app, {{"Hide Velmar Casino", "win.hide"}});
  addSection(app, {{"Quit Velmar Casino", "app.quit"}});
  addSubmenu(bar, "Velmar Casino", app);

  GMenu* table = g_menu_new();
  addSection(table, {{"Lobby", "app.page::lobby"}});
  GMenu* tables = g_menu_new();
  for (const Table& row : Tables::all) {
    std::string name(row.name);
    std::string action = "app.page::" + std::string(row.id);
    g_menu_append(tables, name.c_str(), action.c_str());
  }
  g_menu_append_section(table, nullptr, G_MENU_MODEL(tables));
  g_object_unref(tables);
  addSection(table, {{"Reload Table", "app.reload-page"}, {"Reset Chips at This Table…", "app.reset-table"}});
  addSection(table, {{"Show Saved Games in Files", "app.show-saves"}});
  addSubmenu(bar, "Table", table);

  GMenu* edit = g_menu_new();
  addSection(edit, {{"Undo", "win.undo"}, {"Redo", "win.redo"}});
  addSection(edit, {{"Cut", "win.cut"}, {"Copy", "win.copy"}, {"Paste", "win.paste"}, {"Select All", "win.select-all"}});
  addSubmenu(bar, "Edit", edit);

  GMenu* view = g_menu_new();
  addSection(view, {{"Actual Size", "app.actual-size"}, {"Zoom In", "app.zoom-in"}, {"Zoom Out", "app.zoom-out"}});
  addSection(view, {{"Enter Full Screen", "win.fullscreen"}});
  addSubmenu(bar, "View", view);

  GMenu* window = g_menu_new();
  addSection(window, {{"Minimize", "win.minimize"}, {"Zoom", "win.maximize"}});
  addSubmenu(bar, "Window", window);

  return G_MENU_MODEL(bar);
}

}  // namespace velmar
