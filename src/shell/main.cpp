// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log.h"
#include "shell/app_delegate.h"
#include "shell/i18n.h"

#include <glib.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace {

// The application object and its delegate, for the whole run.
AdwApplication* app = nullptr;
velmar::AppDelegate* delegate = nullptr;
std::string privateHome;

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

const GOptionEntry kOptions[] = {
    {"version", 0, 0, G_OPTION_ARG_NONE, nullptr, N_("Print the version and exit"), nullptr},
    {"selftest", 0, 0, G_OPTION_ARG_FILENAME, nullptr,
     N_("Run the self-test instead of a game and write its report into FOLDER"), N_("FOLDER")},
    {}};

// Runs once the command line is read and before the application registers
// on the bus, so that a self-test can still choose to run as an instance of
// its own. Returns an exit status to stop there, or -1 to go on.
gint handleOptions(GApplication* application, GVariantDict* options, gpointer) {
  if (g_variant_dict_contains(options, "version")) {
    std::printf("velmar-casino %s\n", VELMAR_VERSION);
    return 0;
  }
  g_autofree char* selfTest = nullptr;
  if (!g_variant_dict_lookup(options, "selftest", "^ay", &selfTest) && g_getenv("VELMAR_SELFTEST"))
    selfTest = g_strdup(g_getenv("VELMAR_SELFTEST"));

  velmar::AppDelegate::Options settings;
  settings.selfTest = selfTest != nullptr;
  if (selfTest) {
    // A relative report folder counts from the working directory.
    g_autofree char* dir = g_canonicalize_filename(selfTest, nullptr);
    settings.reportDir = dir;
    // Before anything runs: a report that cannot be written must not pass for a run.
    if (auto why = velmar::SelfTest::unusableFolder(dir)) {
      velmar::logFailure("selftest: the report folder " + std::string(dir) + " cannot be used: " + *why);
      return 1;
    }
    privateHome = isolateSelfTest();
    if (privateHome.empty()) {
      velmar::logFailure("selftest: could not make folders of its own, not running");
      return 1;
    }
    // The self-test runs beside a running copy and needs no session services.
    g_application_set_flags(application, G_APPLICATION_NON_UNIQUE);
  } else {
    g_object_set(application, "register-session", TRUE, nullptr);
  }
  // Held for the whole run and never released, so that nothing of the web
  // host is torn down behind the toolkit's back as the process ends. Static,
  // so that a leak checker sees it held rather than lost.
  static auto* held = new std::shared_ptr<velmar::AppDelegate>(velmar::AppDelegate::create(app, std::move(settings)));
  delegate = held->get();
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread or helper process exists, so that all of them inherit it.
  velmar::AppDelegate::blockQuitSignals();
  // Past a file-size limit a write then fails with EFBIG, which the save
  // store survives like a full disk, instead of ending the process and the
  // saves it holds in memory.
  signal(SIGXFSZ, SIG_IGN);
  velmar::bindTranslations();

  app = adw_application_new("com.velmar.Casino", G_APPLICATION_DEFAULT_FLAGS);
  g_set_application_name(_("Velmar Casino"));
  g_application_add_main_option_entries(G_APPLICATION(app), kOptions);
  g_application_set_option_context_summary(
      G_APPLICATION(app), _("Roulette, blackjack, baccarat and poker tables that keep your chips."));
  g_signal_connect(app, "handle-local-options", G_CALLBACK(handleOptions), nullptr);

  int status = g_application_run(G_APPLICATION(app), argc, argv);
  if (!privateHome.empty()) {
    // The engine's helpers may still be writing as they end: what they leave
    // is theirs, and no reason to fail the run.
    std::error_code ignored;
    std::filesystem::remove_all(privateHome, ignored);
  }
  return status != 0 || !delegate ? status : delegate->exitStatus();
}
