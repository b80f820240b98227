// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A question with buttons over a window. libadwaita 1.5 replaced the message
// dialog (a window of its own) with the alert dialog (a widget shown inside its
// parent); these calls pick the one the build has, so the callers and their
// tests read the same on every release.

#include <adwaita.h>

namespace velmar::alert {

#if ADW_CHECK_VERSION(1, 5, 0)
#define VELMAR_ALERT_DIALOG 1
inline GType type() { return ADW_TYPE_ALERT_DIALOG; }
inline AdwAlertDialog* cast(GtkWidget* d) { return ADW_ALERT_DIALOG(d); }
#define VELMAR_ALERT_CALL(name) adw_alert_dialog_##name
#else
inline GType type() { return ADW_TYPE_MESSAGE_DIALOG; }
inline AdwMessageDialog* cast(GtkWidget* d) { return ADW_MESSAGE_DIALOG(d); }
#define VELMAR_ALERT_CALL(name) adw_message_dialog_##name
#endif

// The parent is where the dialog is shown; it is kept for present().
inline GtkWidget* create(GtkWindow* parent, const char* heading, const char* body) {
#ifdef VELMAR_ALERT_DIALOG
  GtkWidget* d = GTK_WIDGET(adw_alert_dialog_new(heading, body));
  g_object_set_data(G_OBJECT(d), "velmar-parent", parent);
  return d;
#else
  GtkWidget* d = adw_message_dialog_new(parent, heading, body);
  gtk_window_set_modal(GTK_WINDOW(d), TRUE);
  return d;
#endif
}

inline void addResponse(GtkWidget* d, const char* id, const char* label) {
  VELMAR_ALERT_CALL(add_response)(cast(d), id, label);
}
inline void setAppearance(GtkWidget* d, const char* id, AdwResponseAppearance appearance) {
  VELMAR_ALERT_CALL(set_response_appearance)(cast(d), id, appearance);
}
// The response for Return, and the one for Escape or closing.
inline void setDefault(GtkWidget* d, const char* id) { VELMAR_ALERT_CALL(set_default_response)(cast(d), id); }
inline void setClose(GtkWidget* d, const char* id) { VELMAR_ALERT_CALL(set_close_response)(cast(d), id); }
inline void setExtraChild(GtkWidget* d, GtkWidget* child) { VELMAR_ALERT_CALL(set_extra_child)(cast(d), child); }
// Answers as the player would have (the alert dialog has no call for it).
inline void respond(GtkWidget* d, const char* id) {
#ifdef VELMAR_ALERT_DIALOG
  g_signal_emit_by_name(d, "response", id);
#else
  adw_message_dialog_response(cast(d), id);
#endif
}
inline const char* heading(GtkWidget* d) { return VELMAR_ALERT_CALL(get_heading)(cast(d)); }
inline AdwResponseAppearance appearance(GtkWidget* d, const char* id) {
  return VELMAR_ALERT_CALL(get_response_appearance)(cast(d), id);
}
inline const char* defaultResponse(GtkWidget* d) { return VELMAR_ALERT_CALL(get_default_response)(cast(d)); }
inline const char* closeResponse(GtkWidget* d) { return VELMAR_ALERT_CALL(get_close_response)(cast(d)); }

// Shows it, or brings it forward when it is already shown.
inline void present(GtkWidget* d) {
#ifdef VELMAR_ALERT_DIALOG
  if (gtk_widget_get_root(d)) {
    gtk_window_present(GTK_WINDOW(gtk_widget_get_root(d)));
    return;
  }
  auto* parent = static_cast<GtkWindow*>(g_object_get_data(G_OBJECT(d), "velmar-parent"));
  adw_dialog_present(ADW_DIALOG(d), parent ? GTK_WIDGET(parent) : nullptr);
#else
  gtk_window_present(GTK_WINDOW(d));
#endif
}

// Takes it away at once, without a further response.
inline void close(GtkWidget* d) {
#ifdef VELMAR_ALERT_DIALOG
  if (gtk_widget_get_root(d)) adw_dialog_force_close(ADW_DIALOG(d));
#else
  gtk_window_destroy(GTK_WINDOW(d));
#endif
}

#undef VELMAR_ALERT_CALL

}  // namespace velmar::alert
