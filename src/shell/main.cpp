// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log.h"
#include "shell/app_delegate.h"

#include <glib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

// The application object and its delegate, for the whole run.
AdwApplication* app = nullptr;
velmar::AppDelegate* delegate = nullptr;

// The self-test must never touch the player's files, even beside a running
// casino: it gets folders of its own for the saves, the preferences, the
// window state and the engine's data and cache, set before anything (GLib,
// the toolkit, the engine's helper processes) reads them.
std::string isolateSelfTest() {
  g_autofree char* home = g_dir_make_tmp("velmar-selftest-XXXXXX", nullptr);
  if (!home) return {};
  for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
    g_setenv(var, (std::string(home) + "/" + var).c_str(), TRUE);
  return home;
}

}  // namespace

int main() {
  // Before any thread or helper process exists, so that all of them inherit it.
  velmar::AppDelegate::blockQuitSignals();
  const char* selfTest = g_getenv("VELMAR_SELFTEST");
  velmar::AppDelegate::Options options;
  options.selfTest = selfTest != nullptr;
  std::string privateHome;
  if (selfTest) {
    // A relative report folder counts from the working directory.
    g_autofree char* dir = g_canonicalize_filename(selfTest, nullptr);
    options.reportDir = dir;
    privateHome = isolateSelfTest();
    if (privateHome.empty()) {
      velmar::logFailure("selftest: could not make folders of its own, not running");
      return 1;
    }
  }

  // The self-test runs beside a running copy and needs no session services.
  app = adw_application_new("com.velmar.Casino", selfTest ? G_APPLICATION_NON_UNIQUE : G_APPLICATION_DEFAULT_FLAGS);
  if (!selfTest) g_object_set(app, "register-session", TRUE, nullptr);
  g_set_application_name("Velmar Casino");
  // Held for the whole run and never released, so that nothing of the web
  // host is torn down behind the toolkit's back as the process ends.
  auto* held = new std::shared_ptr<velmar::AppDelegate>(velmar::AppDelegate::create(app, std::move(options)));
  delegate = held->get();

  // The program takes no command-line arguments.
  int status = g_application_run(G_APPLICATION(app), 0, nullptr);
  if (!privateHome.empty()) {
    // The engine's helpers may still be writing as they end: what they leave
    // is theirs, and no reason to fail the run.
    std::error_code ignored;
    std::filesystem::remove_all(privateHome, ignored);
  }
  return status != 0 ? status : delegate->exitStatus();
}
