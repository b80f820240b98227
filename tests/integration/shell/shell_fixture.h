// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/app_delegate.h"

#include "support/log_capture.h"
#include "support/web_harness.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

namespace velmar::test {

// One application for a whole suite, as in the program: GTK starts once per
// process, and the delegate lives until the process ends.
struct Shell {
  TempDir home;
  AdwApplication* app = nullptr;
  std::shared_ptr<AppDelegate> delegate;

  // Points the XDG folders into home; before anything asks GLib for them, as
  // it keeps the first answer.
  Shell() {
    for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
      g_setenv(var, (home / var).c_str(), TRUE);
  }
  std::string saves() const { return home / "XDG_DATA_HOME/Velmar Casino/saves.json"; }
  // An installed layout holding the shell fixture's pages; files that go
  // beside them (the metainfo) can be put under it before launch().
  std::string share() const { return home / "prefix/share"; }

  void launch(const char* id) {
    g_mkdir_with_parents((share() + "/velmar-casino").c_str(), 0700);
    ASSERT_EQ(symlink(VELMAR_FIXTURES "/shell/web", (share() + "/velmar-casino/web").c_str()), 0);
    app = adw_application_new(id, G_APPLICATION_NON_UNIQUE);
    AppDelegate::Options options;
    options.resources = share() + "/velmar-casino";
    delegate = AppDelegate::create(app, options);
    ASSERT_TRUE(g_application_register(G_APPLICATION(app), nullptr, nullptr));
    g_application_activate(G_APPLICATION(app));
  }
};

}  // namespace velmar::test
