// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gio/gio.h>

namespace velmar {

// The menu bar of menus.ui: "Velmar Casino", "Table", "Edit", "View" and
// "Window", each item bound to an application ("app.") or window ("win.")
// action, with an item a table added to the Table menu. Built once and never
// changed; enabled state and check marks come from the actions.
GMenuModel* buildMenuBar();

}  // namespace velmar
