// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/casino.h"
#include "host/decisions.h"
#include "platform/gobject_ptr.h"
#include "selftest/self_test.h"
#include "store/folder_lock.h"

#include <adwaita.h>

#include <array>
#include <memory>
#include <string>

namespace velmar {

class FileWriter;

// Owns the window and the web host, builds the header bar and the menu bar,
// carries out the commands and keeps every way out on one path: flush the
// page, then quit.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
 public:
  struct Options {
    // Self-test mode: the self-test drives the window instead of a start page.
    bool selfTest = false;
    std::string reportDir;
    // Where the window's size is remembered; empty means the default file.
    std::string windowStateFile;
    // The resource folder holding web/; empty means the one beside the
    // executable (share/velmar-casino next to bin/).
    std::string resources;
  };

  static std::shared_ptr<AppDelegate> create(AdwApplication* app, Options options);

  // Blocks SIGINT and SIGTERM in the calling thread, and so in the threads and
  // helper processes started after it. The entry point calls it first thing.
  static void blockQuitSignals();
  ~AppDelegate();

  // The one path out: flush the page (bounded by the web host's time-out),
  // then quit the application.
  void requestQuit();
  // The same for a request from outside the self-test (Quit, the window
  // closed, a signal, the session's end), named by cause: a self-test still
  // running first reports that it was stopped, and the process fails.
  void quitFromOutside(const std::string& cause);
  // Quitting gave up on a disk that stopped answering: the player is told
  // before the process ends.
  void tellSavesHung();
  // The status the process ends with: the self-test's verdict, 0 otherwise.
  int exitStatus() const { return exitStatus_; }

  // The banner under the header bar follows what the web host says about the
  // saves: the trouble while it lasts, then for a moment that it is over.
  void showSaveTrouble(const SaveTrouble& trouble);

  // The toolbar's item identifiers, kept as names of the header bar's parts.
  static constexpr const char* kLobbyItem = "lobby";
  static constexpr const char* kTablesItem = "tables";
  static constexpr const char* kWindowGroup = "VelmarCasinoMain";
  static constexpr const char* kToolbarName = "VelmarCasinoToolbar";

 private:
  AppDelegate() = default;

  void applicationDidFinishLaunching();
  // The window around the container that already holds the web host's view.
  void buildWindow(GtkWidget* container);
  // Instead of the casino, when another copy owns the save folder.
  void showAlreadyOpen();
  GtkWidget* buildHeaderBar();
  void installActions();
  void installMenuBar();
  void installSessionEnd();
  void pageChanged(const Table* table);
  void refreshActions();
  void saveWindowState();

  // Commands.
  void goPage(const std::string& target);
  void pickTable(int index);
  void resetTable();
  void showSaves();
  void toggleReopen();
  void setReopen(bool reopen);
  void stepZoom(int direction);
  void setZoom(double zoom);
  void showAbout();
#if !ADW_CHECK_VERSION(1, 5, 0)
  void showReleaseNotes(GObject* about);
#endif
  void showShortcuts();
  void editingCommand(const char* command);

  static void on_activate(GApplication* app, AppDelegate* self);
  static gboolean on_close_request(GtkWindow* window, AppDelegate* self);
  static gboolean on_sigint(gpointer self);
  static gboolean on_sigterm(gpointer self);
  static gboolean on_quit_signal(int fd, GIOCondition condition, gpointer self);
  static void on_query_end(GtkApplication* app, AppDelegate* self);
  static void on_shutdown(GApplication* app, AppDelegate* self);

  AdwApplication* app_ = nullptr;
  Options options_;
  GtkWindow* window_ = nullptr;
  std::shared_ptr<Casino> casino_;
  std::array<GtkToggleButton*, Tables::all.size()> tablePicker_{};
  AdwWindowTitle* title_ = nullptr;
  bool quitApproved_ = false;
  // A quit is waiting for the saves to land.
  bool quitting_ = false;
  bool windowSaved_ = false;
  bool launched_ = false;
  int exitStatus_ = 0;
  std::shared_ptr<SelfTest> selfTest_;
  std::unique_ptr<FileWriter> windowFile_;
  // Held until the process ends: the save folder is this copy's alone.
  std::unique_ptr<FolderLock> folderLock_;
  // The Reset dialog while it is open, and the table it names.
  GtkWidget* resetDialog_ = nullptr;
  const Table* resetNamed_ = nullptr;
  LaunchLimit showSavesLimit_;
  GtkWidget* banner_ = nullptr;
  bool bannerTellsTrouble_ = false;
  guint bannerHide_ = 0;
  Ref<GtkWindow> shortcutsWindow_;
};

}  // namespace velmar
