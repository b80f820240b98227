// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/casino.h"

#include <gtk/gtk.h>

#include <memory>

namespace velmar {

// Table ▸ Restore Chips from a Backup…: lists the days whose backups hold a
// copy of the shown table, with its chips on each, and after a confirmation
// restores the chosen copy. Both dialogs close when another page is shown
// (the app's "page" action changes state), so an answer never reaches
// another table.
void askToRestoreTable(GtkWindow* parent, GActionMap* actions, const std::shared_ptr<Casino>& casino);

}  // namespace velmar
