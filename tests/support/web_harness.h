// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for tests that drive a real web view. Header-only, because only the
// test executables of the layers that link WebKitGTK may include it.

#include <webkit/webkit.h>
#if __has_include(<adwaita.h>)
#include <adwaita.h>
#define VELMAR_TEST_HAS_ADWAITA 1
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace velmar::test {

inline void initToolkit() {
  static bool done = [] {
    // Each test process runs a web engine of its own, and ctest runs several
    // side by side: engines that share one data folder fight over the same
    // storage files, so every process gets folders of its own.
    static std::string home = [] {
      char* dir = g_dir_make_tmp("velmar-engine-XXXXXX", nullptr);
      std::string path = dir ? dir : g_get_tmp_dir();
      g_free(dir);
      return path;
    }();
    for (const char* var : {"XDG_DATA_HOME", "XDG_CACHE_HOME"}) g_setenv(var, (home + "/" + var).c_str(), TRUE);
    // The engine's helper processes may still be writing there (a shader
    // cache) as the test ends: what they leave is ignored, never thrown.
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(home, ignored);
    });
#ifdef VELMAR_TEST_HAS_ADWAITA
    adw_init();
#else
    gtk_init();
#endif
    return true;
  }();
  (void)done;
}

// Runs the main loop until cond holds; false if it still does not after a
// limit meant only to stop a broken test, never to measure speed.
inline bool waitFor(const std::function<bool()>& cond, double limitSeconds = 180) {
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(limitSeconds * 1e6);
  // A tick keeps the blocking iteration from sleeping past the deadline.
  guint tick = g_timeout_add(20, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
  bool met = cond();
  while (!met && g_get_monotonic_time() < deadline) {
    g_main_context_iteration(nullptr, TRUE);
    met = cond();
  }
  g_source_remove(tick);
  return met;
}

// Lets everything already queued on the main loop run, without waiting for more.
inline void drainMainLoop() {
  for (int i = 0; i < 50; ++i) g_main_context_iteration(nullptr, FALSE);
}

// Runs body as an async function in the page and returns its result as JSON
// ("error: ..." when it threw), or nullopt if the page never answered.
inline std::optional<std::string> runJS(WebKitWebView* view, const std::string& body, double limitSeconds = 180) {
  struct Outcome {
    bool done = false;
    std::string text;
  };
  auto mine = std::make_shared<Outcome>();
  webkit_web_view_call_async_javascript_function(
      view, body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Outcome>> held(static_cast<std::shared_ptr<Outcome>*>(data));
        auto& out = **held;
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
        if (value) {
          char* json = jsc_value_is_undefined(value) ? nullptr : jsc_value_to_json(value, 0);
          out.text = json ? json : "undefined";
          g_free(json);
          g_object_unref(value);
        } else {
          out.text = std::string("error: ") + (error ? error->message : "unknown");
          g_clear_error(&error);
        }
        out.done = true;
      },
      new std::shared_ptr<Outcome>(mine));
  if (!waitFor([&] { return mine->done; }, limitSeconds)) return std::nullopt;
  return mine->text;
}

// Starts a script and does not wait for it (a page that hangs or shows a dialog).
inline void startJS(WebKitWebView* view, const std::string& script) {
  webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
}

inline bool pageSays(WebKitWebView* view, const std::string& expression, const std::string& json) {
  auto got = runJS(view, "return " + expression + ";");
  return got && *got == json;
}

inline GtkWidget* findWidget(GtkWidget* root, const std::function<bool(GtkWidget*)>& match) {
  if (!root || match(root)) return root;
  for (GtkWidget* child = gtk_widget_get_first_child(root); child; child = gtk_widget_get_next_sibling(child))
    if (GtkWidget* hit = findWidget(child, match)) return hit;
  return nullptr;
}

// The shown widget of that type in any visible window: a dialog of
// libadwaita 1.5 lives inside its parent rather than in a window of its own.
inline GtkWidget* shownWidget(GType type) {
  GListModel* windows = gtk_window_get_toplevels();
  for (guint i = 0; i < g_list_model_get_n_items(windows); ++i) {
    g_autoptr(GObject) w = G_OBJECT(g_list_model_get_item(windows, i));
    if (!gtk_widget_get_visible(GTK_WIDGET(w))) continue;
    if (GtkWidget* hit = findWidget(GTK_WIDGET(w), [type](GtkWidget* x) {
          return G_TYPE_CHECK_INSTANCE_TYPE(x, type) && gtk_widget_get_visible(x);
        }))
      return hit;
  }
  return nullptr;
}

#ifdef VELMAR_TEST_HAS_ADWAITA
// The window a shown dialog stands over, or null for none. A dialog of
// libadwaita 1.5 is drawn inside an Adwaita window; over any other window,
// or over none, it gets a window of its own, as the older dialogs had.
inline GtkWindow* shownOver(GtkWidget* dialog) {
  GtkWindow* drawnIn = GTK_IS_WINDOW(dialog) ? GTK_WINDOW(dialog) : GTK_WINDOW(gtk_widget_get_root(dialog));
  if (drawnIn != GTK_WINDOW(dialog) && (ADW_IS_WINDOW(drawnIn) || ADW_IS_APPLICATION_WINDOW(drawnIn))) return drawnIn;
  return gtk_window_get_transient_for(drawnIn);
}
#endif

}  // namespace velmar::test
