// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/menus.h"

#include "catalog/tables.h"
#include "shell/commands.h"
#include "shell/i18n.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace velmar {

namespace {

using Item = std::pair<const char*, std::string>;

// A section per group of items: sections are drawn with separators between them.
// Labels come translated and carry their access key after "_".
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
  addSection(app, {{_("_About Velmar Casino"), "app.about"}, {_("_Keyboard Shortcuts"), "app.shortcuts"}});
  addSection(app, {{_("_Reopen Last Table on Launch"), "app.toggle-reopen"}});
  // GNOME has no hiding of a whole application, only minimizing its window;
  // nor "Hide Others": a window cannot hide other programs.
  addSection(app, {{_("_Minimize Velmar Casino"), "win.hide"}});
  addSection(app, {{_("_Quit Velmar Casino"), "app.quit"}});
  addSubmenu(bar, _("Velmar _Casino"), app);

  // The tables' names are proper names and stay as they are; each gets the
  // first letter that no other item of the menu uses, in any language.
  const char* lobby = _("_Lobby");
  const char* reload = _("R_eload Table");
  const char* reset = _("Re_set Chips at This Table…");
  const char* restore = _("Restore _Chips from a Backup…");
  const char* saves = _("Show Saved _Games in Files");
  std::string taken;
  for (const char* label : {lobby, reload, reset, restore, saves}) taken += Commands::accessKey(label);
  GMenu* table = g_menu_new();
  addSection(table, {{lobby, "app.page::lobby"}});
  GMenu* tables = g_menu_new();
  for (const Table& row : Tables::all) {
    std::string action = "app.page::" + std::string(row.id);
    g_menu_append(tables, Commands::withAccessKey(row.name, taken).c_str(), action.c_str());
  }
  g_menu_append_section(table, nullptr, G_MENU_MODEL(tables));
  g_object_unref(tables);
  addSection(table, {{reload, "app.reload-page"}, {reset, "app.reset-table"}, {restore, "app.restore-table"}});
  addSection(table, {{saves, "app.show-saves"}});
  addSubmenu(bar, _("_Table"), table);

  GMenu* edit = g_menu_new();
  addSection(edit, {{_("_Undo"), "win.undo"}, {_("_Redo"), "win.redo"}});
  addSection(edit, {{_("Cu_t"), "win.cut"}, {_("_Copy"), "win.copy"}, {_("_Paste"), "win.paste"},
                    {_("Select _All"), "win.select-all"}});
  addSubmenu(bar, _("_Edit"), edit);

  GMenu* view = g_menu_new();
  addSection(view, {{_("_Actual Size"), "app.actual-size"}, {_("Zoom _In"), "app.zoom-in"},
                    {_("Zoom _Out"), "app.zoom-out"}});
  addSection(view, {{_("Enter _Full Screen"), "win.fullscreen"}});
  addSubmenu(bar, _("_View"), view);

  GMenu* window = g_menu_new();
  addSection(window, {{_("Mi_nimize"), "win.minimize"}, {_("_Maximize"), "win.maximize"}});
  addSubmenu(bar, _("_Window"), window);

  return G_MENU_MODEL(bar);
}

}  // namespace velmar
