// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace velmar {

// Wraps the window's content in an overlay for passing confirmations.
GtkWidget* toastOverlayFor(GtkWindow* window, GtkWidget* content);

// A short confirmation at the bottom of the window, read out by screen
// readers; nothing when the window has no overlay (the second copy's window).
void showToast(GtkWindow* window, const std::string& text);

}  // namespace velmar
