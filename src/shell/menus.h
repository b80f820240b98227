// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtk/gtk.h>

namespace velmar {

// The menu bar of menus.ui: "Velmar Casino", "Table", "Edit", "View" and
// "Window", each item bound to an application ("app.") or window ("win.")
// action, with an item a table added to the Table menu. Built once and never
// changed; enabled state and check marks come from the actions.
GMenuModel* buildMenuBar();

// A new builder holding the program's own interface file `name` (menus.ui,
// shortcuts.ui), its words translated.
GtkBuilder* shellInterface(const char* name);

}  // namespace velmar
