// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_launch.h"

#include "platform/log.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <csignal>
#include <memory>

namespace velmar {

namespace {

// Runs in the new process between fork and exec, so it makes only
// async-signal-safe calls. The casino blocks SIGINT and SIGTERM for its web
// engine's helpers and may itself have been started with signals ignored;
// both would survive exec into the programs it opens for the user, which
// should start as if from the desktop.
void resetSignals(gpointer) {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  // SIGKILL, SIGSTOP and the C library's own signals refuse; that is fine.
  for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

void launch(GAppInfo* app, const std::string& uri) {
  GList uris{const_cast<char*>(uri.c_str()), nullptr, nullptr};
  g_autoptr(GError) error = nullptr;
  bool launched;
  // Only a spawn from a desktop file can be given a child set-up; every
  // default application on Linux comes from one.
  if (G_IS_DESKTOP_APP_INFO(app))
    launched = g_desktop_app_info_launch_uris_as_manager(G_DESKTOP_APP_INFO(app), &uris, nullptr, G_SPAWN_SEARCH_PATH,
                                                         resetSignals, nullptr, nullptr, nullptr, &error);
  else
    launched = g_app_info_launch_uris(app, &uris, nullptr, &error);
  if (!launched)
    logFailure("Velmar Casino: couldn't open " + uri + " in " + g_app_info_get_name(app) + ": " + error->message);
}

}  // namespace

void openInDefaultApplication(const std::string& uri) {
  // The same choice g_app_info_launch_default_for_uri makes: the handler of
  // the address's scheme, else the one for the file's content type (a folder
  // is inode/directory), asked without blocking as a folder may be slow.
  g_autofree char* scheme = g_uri_parse_scheme(uri.c_str());
  if (scheme && *scheme) {
    g_autoptr(GAppInfo) app = g_app_info_get_default_for_uri_scheme(scheme);
    if (app) return launch(app, uri);
  }
  g_autoptr(GFile) file = g_file_new_for_uri(uri.c_str());
  g_file_query_default_handler_async(
      file, G_PRIORITY_DEFAULT, nullptr,
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::string> uri(static_cast<std::string*>(data));
        g_autoptr(GError) error = nullptr;
        g_autoptr(GAppInfo) app = g_file_query_default_handler_finish(G_FILE(source), result, &error);
        if (!app) {
          logFailure("Velmar Casino: no application opens " + *uri + ": " + error->message);
          return;
        }
        launch(app, *uri);
      },
      new std::string(uri));
}

}  // namespace velmar
