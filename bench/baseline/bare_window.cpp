// SPDX-License-Identifier: GPL-3.0-or-later
// The floor the application is measured against: a bare GTK window of the
// application's default size holding one web view that loads a page from
// file:// (file access allowed). It prints "loaded <monotonic µs>" when the
// page's load has finished and "painted <monotonic µs>" when the page has
// drawn its first frame, then stays until it is ended (SIGTERM).
//   bench_bare_window file:///…/velmar-casino.html

#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <cstdio>

namespace {

// Two animation frames after the document starts: the first frame has been
// drawn. The application's benchmark measures its pages with the same script.
constexpr const char* kPaintScript =
    "requestAnimationFrame(() => requestAnimationFrame(() => "
    "window.webkit.messageHandlers.benchPaint.postMessage(0)));";

void stamp(const char* what) {
  std::printf("%s %lld\n", what, static_cast<long long>(g_get_monotonic_time()));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s URL\n", argv[0]);
    return 2;
  }
  gtk_init();
  GtkWindow* window = GTK_WINDOW(gtk_window_new());
  gtk_window_set_default_size(window, 1440, 900);

  WebKitUserContentManager* manager = webkit_user_content_manager_new();
  WebKitUserScript* script = webkit_user_script_new(kPaintScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_script_unref(script);
  webkit_user_content_manager_register_script_message_handler(manager, "benchPaint", nullptr);
  g_signal_connect(manager, "script-message-received::benchPaint",
                   G_CALLBACK(+[](WebKitUserContentManager*, JSCValue*, gpointer) { stamp("painted"); }), nullptr);

  WebKitSettings* settings = webkit_settings_new();
  webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "settings", settings, "user-content-manager", manager,
                                            nullptr));
  g_object_unref(settings);
  g_object_unref(manager);
  g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer) {
                     if (event == WEBKIT_LOAD_FINISHED) stamp("loaded");
                   }),
                   nullptr);
  gtk_window_set_child(window, GTK_WIDGET(view));
  webkit_web_view_load_uri(view, argv[1]);
  gtk_window_present(window);

  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect_swapped(window, "destroy", G_CALLBACK(g_main_loop_quit), loop);
  g_main_loop_run(loop);
  return 0;
}
