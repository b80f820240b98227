// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/toasts.h"

#include <adwaita.h>

namespace velmar {

namespace {
constexpr char kOverlayKey[] = "velmar-toast-overlay";
}

GtkWidget* toastOverlayFor(GtkWindow* window, GtkWidget* content) {
  GtkWidget* overlay = adw_toast_overlay_new();
  adw_toast_overlay_set_child(ADW_TOAST_OVERLAY(overlay), content);
  g_object_set_data(G_OBJECT(window), kOverlayKey, overlay);
  return overlay;
}

void showToast(GtkWindow* window, const std::string& text) {
  auto* overlay = static_cast<AdwToastOverlay*>(window ? g_object_get_data(G_OBJECT(window), kOverlayKey) : nullptr);
  if (!overlay) return;
  g_autofree char* markup = g_markup_escape_text(text.c_str(), -1);
  AdwToast* toast = adw_toast_new(markup);
  adw_toast_set_timeout(toast, 4);
  adw_toast_overlay_add_toast(overlay, toast);
}

}  // namespace velmar
