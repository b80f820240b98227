#include "shell/app_delegate.h"

#include <glib.h>

#include <memory>

namespace {

// The application object and its delegate, for the whole run.
AdwApplication* app = nullptr;
velmar::AppDelegate* delegate = nullptr;

}  // namespace

int main() {
  // Before any thread or helper process exists, so that all of them inherit it.
  velmar::AppDelegate::blockQuitSignals();
  const char* selfTest = g_getenv("VELMAR_SELFTEST");
  velmar::AppDelegate::Options options;
  options.selfTest = selfTest != nullptr;
  if (selfTest) {
    // A relative report folder counts from the working directory.
    g_autofree char* dir = g_canonicalize_filename(selfTest, nullptr);
    options.reportDir = dir;
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
  return status != 0 ? status : delegate->exitStatus();
}
