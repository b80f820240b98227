// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_launch.h"

#include "platform/log.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gio/gunixfdlist.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

Opener openerFor(Handing what, bool sandboxed) {
  if (sandboxed) return what == Handing::Folder ? Opener::PortalFolder : Opener::PortalAddress;
  return what == Handing::Folder ? Opener::FileManager : Opener::CleanLauncher;
}

bool inSandbox() { return g_file_test("/.flatpak-info", G_FILE_TEST_EXISTS); }

void openFolderThroughPortal(const std::string& path) {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  // The portal takes the folder as an open descriptor, not as a path the
  // sandbox may name differently from the host.
  int fd = bus ? open(path.c_str(), O_PATH | O_CLOEXEC | O_DIRECTORY) : -1;
  if (fd < 0) {
    logFailure("Velmar Casino: couldn't open " + path + " through the desktop portal: " +
               (error ? error->message : g_strerror(errno)));
    return;
  }
  g_autoptr(GUnixFDList) fds = g_unix_fd_list_new_from_array(&fd, 1);
  g_dbus_connection_call_with_unix_fd_list(
      bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "org.freedesktop.portal.OpenURI",
      "OpenDirectory", g_variant_new("(sha{sv})", "", 0, nullptr), G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1,
      fds, nullptr,
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::string> path(static_cast<std::string*>(data));
        g_autoptr(GError) error = nullptr;
        g_autoptr(GVariant) reply =
            g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(source), nullptr, result, &error);
        if (!reply) logFailure("Velmar Casino: the desktop portal did not open " + *path + ": " + error->message);
      },
      new std::string(path));
}

void openInDefaultApplication(const std::string& uri) {
  if (openerFor(Handing::Address, inSandbox()) == Opener::PortalAddress) {
    g_app_info_launch_default_for_uri_async(
        uri.c_str(), nullptr, nullptr,
        +[](GObject*, GAsyncResult* result, gpointer data) {
          std::unique_ptr<std::string> uri(static_cast<std::string*>(data));
          g_autoptr(GError) error = nullptr;
          if (!g_app_info_launch_default_for_uri_finish(result, &error))
            logFailure("Velmar Casino: the desktop portal did not open " + *uri + ": " + error->message);
        },
        new std::string(uri));
    return;
  }
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
