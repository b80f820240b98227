// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/prefs.h"
#include "host/casino.h"
#include "host/page_script.h"
#include "platform/gobject_ptr.h"
#include "support/log_capture.h"
#include "support/web_harness.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velmar {

// A web host in a real window over the fixture site, with its saves and
// preferences in a temporary folder and a stub for the desktop's launcher.
class HostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::initToolkit(); }

  void SetUp() override {
    Prefs::useFile(dir / "config/preferences.ini");
    window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_default_size(window, 800, 600);
    bin = ADW_BIN(adw_bin_new());
    gtk_window_set_child(window, GTK_WIDGET(bin));
    gtk_window_present(window);
    makeHost();
  }

  void makeHost() {
    Casino::Options options;
    options.saveBase = dir / "data";
    options.openExternal = [this](const std::string& address) { launched.push_back(address); };
    options.clock = [this] { return now; };
    // The fixture page that holds its readiness back waits for the test alone.
    options.readyBound = 600;
    casino = Casino::create(VELMAR_FIXTURES "/site/web", bin, options);
    casino->onPageChange = [this](const Table* table) { changes.push_back(table ? std::string(table->id) : "none"); };
  }

  void TearDown() override {
    casino.reset();
    gtk_window_destroy(window);
    test::drainMainLoop();
  }

  WebKitWebView* view() const { return casino->webView(); }

  // Whether the current web view shows that page, fully run. A page that
  // does not answer soon counts as not showing it yet; the caller asks again.
  bool showing(const std::string& file) {
    if (!view()) return false;
    auto got = test::runJS(view(), "return window.ready === true && location.pathname;", 5);
    return got == "\"/" + file + "\"";
  }
  void open(const std::string& file) {
    casino->open(Tables::url(file));
    // Ready, too: the page's word that it is comes as a message of its own,
    // which would otherwise land among the ones a test counts.
    ASSERT_TRUE(test::waitFor([&] { return showing(file) && casino->pageReady(); })) << file;
  }
  std::string js(const std::string& body) { return test::runJS(view(), body).value_or("no answer"); }

  // Counts the save messages the current web view sends.
  void countMessages() {
    auto* manager = webkit_web_view_get_user_content_manager(view());
    g_signal_connect(manager, "script-message-received::casino",
                     G_CALLBACK(+[](WebKitUserContentManager*, JSCValue*, gpointer self) {
                       ++static_cast<HostTest*>(self)->messages;
                     }),
                     this);
  }

  // Counts the times "saves.json" is put in place.
  void countWrites() {
    g_mkdir_with_parents(casino->saves().folder().c_str(), 0700);
    g_autoptr(GFile) folder = g_file_new_for_path(casino->saves().folder().c_str());
    monitor = Ref<GFileMonitor>::adopt(g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr));
    g_signal_connect(monitor.get(), "changed",
                     G_CALLBACK(+[](GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event, gpointer self) {
                       GFile* placed = event == G_FILE_MONITOR_EVENT_RENAMED ? other : file;
                       if (event != G_FILE_MONITOR_EVENT_RENAMED && event != G_FILE_MONITOR_EVENT_MOVED_IN) return;
                       g_autofree char* name = placed ? g_file_get_basename(placed) : nullptr;
                       if (name && std::string(name) == "saves.json") ++static_cast<HostTest*>(self)->writes;
                     }),
                     this);
  }

  // The file once the writes asked for so far have ended.
  std::string savesFile() {
    casino->saves().settle();
    return test::readFile(casino->saves().file());
  }

  test::TempDir dir;
  GtkWindow* window = nullptr;
  AdwBin* bin = nullptr;
  std::shared_ptr<Casino> casino;
  std::vector<std::string> launched;
  std::vector<std::string> changes;
  std::int64_t now = 1'000'000;
  int messages = 0;
  int writes = 0;
  Ref<GFileMonitor> monitor;
};

}  // namespace velmar
