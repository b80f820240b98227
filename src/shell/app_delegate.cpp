// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/app_delegate.h"

#include "catalog/prefs.h"
#include "host/alert.h"
#include "platform/desktop_launch.h"
#include "platform/file_writer.h"
#include "platform/log.h"
#include "shell/commands.h"
#include "shell/i18n.h"
#include "shell/menus.h"
#include "shell/notices.h"
#include "shell/release_notes.h"
#include "shell/resources.h"
#include "shell/restore_dialog.h"
#include "shell/toasts.h"
#include "shell/window_state.h"

#include <glib-unix.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifndef VELMAR_VERSION
#define VELMAR_VERSION "0"
#endif

#if ADW_CHECK_VERSION(1, 5, 0)
// The metainfo's bundle, compiled from the build's translated copy.
extern "C" GResource* velmar_about_get_resource(void);
#endif

namespace velmar {

namespace {

constexpr const char* kAppId = "com.velmar.Casino";

AppDelegate* of(gpointer data) { return static_cast<AppDelegate*>(data); }

sigset_t quitSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

std::string cssColour(const Rgba& c) {
  char text[64];
  std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", static_cast<int>(c.red * 255 + 0.5),
                static_cast<int>(c.green * 255 + 0.5), static_cast<int>(c.blue * 255 + 0.5));
  return text;
}

// Clears a slot that a weak pointer fills, so that the widget's end, which
// may come later, no longer touches it; returns the widget.
GtkWidget* forget(GtkWidget*& slot) {
  GtkWidget* widget = slot;
  if (widget) g_object_remove_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(&slot));
  slot = nullptr;
  return widget;
}

// How long the banner says the saves are fine again before it hides.
constexpr guint kSavedAgainSeconds = 5;

// AdwBanner came with libadwaita 1.3; before it, a revealer holding a label
// styled the same way stands in.
GtkWidget* newBanner() {
#if ADW_CHECK_VERSION(1, 3, 0)
  return adw_banner_new("");
#else
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  gtk_widget_add_css_class(label, "velmar-banner");
  GtkWidget* revealer = gtk_revealer_new();
  gtk_revealer_set_child(GTK_REVEALER(revealer), label);
  return revealer;
#endif
}

void setBanner(GtkWidget* banner, const std::string& text, bool revealed) {
#if ADW_CHECK_VERSION(1, 3, 0)
  if (!text.empty()) adw_banner_set_title(ADW_BANNER(banner), text.c_str());
  adw_banner_set_revealed(ADW_BANNER(banner), revealed);
#else
  if (!text.empty()) gtk_label_set_text(GTK_LABEL(gtk_revealer_get_child(GTK_REVEALER(banner))), text.c_str());
  gtk_revealer_set_reveal_child(GTK_REVEALER(banner), revealed);
#endif
}

}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(AdwApplication* app, Options options) {
  std::shared_ptr<AppDelegate> self(new AppDelegate());
  self->app_ = app;
  self->options_ = std::move(options);
  if (self->options_.windowStateFile.empty()) self->options_.windowStateFile = WindowState::defaultFile();
  // The delegate lives as long as the process, so the raw pointer handed to
  // these signals never dangles.
  g_signal_connect(app, "activate", G_CALLBACK(on_activate), self.get());
  g_signal_connect(app, "shutdown", G_CALLBACK(on_shutdown), self.get());
  // The entry point blocks these signals (blockQuitSignals). A thread that
  // the web engine starts with an empty mask still takes them, and GLib's
  // handler runs there; should no such thread exist, they stay pending and
  // the signalfd hands them over instead.
  g_unix_signal_add(SIGINT, on_sigint, self.get());
  g_unix_signal_add(SIGTERM, on_sigterm, self.get());
  sigset_t signals = quitSignals();
  int fd = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
  if (fd >= 0) g_unix_fd_add(fd, G_IO_IN, on_quit_signal, self.get());
  return self;
}

void AppDelegate::blockQuitSignals() {
  // A terminal's Ctrl+C goes to the whole process group, the web engine's
  // helper processes included. Were they to die of it, the page would be gone
  // before it could hand over its last saves. Blocked signals stay blocked
  // across fork and exec, so the helpers never see them.
  sigset_t signals = quitSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::on_activate(GApplication*, AppDelegate* self) {
  // A second launch lands here in the running instance: show the one window.
  if (self->launched_) {
    if (self->window_) gtk_window_present(self->window_);
    return;
  }
  self->launched_ = true;
  self->applicationDidFinishLaunching();
}

void AppDelegate::applicationDidFinishLaunching() {
  auto resources = options_.resources.empty() ? resourceFolder() : std::optional(options_.resources);
  if (!resources) {
    logFailure("web folder missing");
    std::exit(EXIT_FAILURE);
  }
  g_autofree char* webRoot = g_build_filename(resources->c_str(), "web", nullptr);

  // Before the web host reads or writes anything: a copy on another session
  // bus would share the folder, and each would write over the other's saves.
  folderLock_ = std::make_unique<FolderLock>(FolderLock::saveFolder(SaveStore::defaultBase()));
  if (folderLock_->state() == FolderLock::State::HeldElsewhere) {
    showAlreadyOpen();
    return;
  }

  // The first page starts loading before the window is built: the engine
  // starts its web process on its own while the window is put together.
  GtkWidget* container = adw_bin_new();
  casino_ = Casino::create(webRoot, ADW_BIN(container));
  casino_->setZoom(Prefs::pageZoom());
  if (!options_.selfTest) casino_->open(Commands::firstPage(Prefs::reopenLastTable(), Prefs::lastPage()));

  // The icon sits in the same prefix, which need not be one the desktop
  // searches (a build tree, a private install).
  g_autofree char* prefixShare = g_path_get_dirname(resources->c_str());
  g_autofree char* icons = g_build_filename(prefixShare, "icons", nullptr);
  gtk_icon_theme_add_search_path(gtk_icon_theme_get_for_display(gdk_display_get_default()), icons);

  buildWindow(container);
  installActions();
  casino_->onPageChange = [weak = weak_from_this()](const Table* table) {
    if (auto self = weak.lock()) self->pageChanged(table);
  };
  pageChanged(casino_->currentTable());
  casino_->onSaveTrouble = [weak = weak_from_this()](const SaveTrouble& trouble) {
    if (auto self = weak.lock()) self->showSaveTrouble(trouble);
  };
  showSaveTrouble(casino_->saveTrouble());
  installMenuBar();
  installSessionEnd();
  gtk_window_present(window_);

  if (options_.selfTest) {
    auto weak = weak_from_this();
    selfTest_ = SelfTest::create(casino_, options_.reportDir, [weak](int status) {
      if (auto self = weak.lock()) {
        self->exitStatus_ = status;
        self->requestQuit();
      }
    });
    selfTest_->run();
    return;
  }
}

void AppDelegate::buildWindow(GtkWidget* container) {
  adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_FORCE_DARK);

  GtkCssProvider* css = gtk_css_provider_new();
  std::string rules = ".velmar-main, .velmar-page { background-color: " + cssColour(Casino::background) + "; }"
                      ".velmar-banner { background-color: alpha(@accent_bg_color, 0.3); padding: 8px 12px; }";
#if GTK_CHECK_VERSION(4, 12, 0)
  gtk_css_provider_load_from_string(css, rules.c_str());
#else
  gtk_css_provider_load_from_data(css, rules.c_str(), -1);
#endif
  gtk_style_context_add_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(css),
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);

  window_ = GTK_WINDOW(gtk_application_window_new(GTK_APPLICATION(app_)));
  gtk_widget_set_name(GTK_WIDGET(window_), kWindowGroup);
  gtk_widget_add_css_class(GTK_WIDGET(window_), "velmar-main");
  gtk_window_set_title(window_, _("Velmar Casino"));
  gtk_window_set_icon_name(window_, kAppId);
  gtk_widget_set_size_request(GTK_WIDGET(window_), WindowState::kMinWidth, WindowState::kMinHeight);

  // A saved size wins over the default one.
  WindowState state = WindowState::load(options_.windowStateFile).value_or(WindowState{});
  gtk_window_set_default_size(window_, state.width, state.height);
  if (state.maximized) gtk_window_maximize(window_);
  if (state.fullscreen) gtk_window_fullscreen(window_);
  g_signal_connect(window_, "close-request", G_CALLBACK(on_close_request), this);

  gtk_window_set_titlebar(window_, buildHeaderBar());

  gtk_widget_add_css_class(container, "velmar-page");
  gtk_widget_set_hexpand(container, TRUE);
  gtk_widget_set_vexpand(container, TRUE);
  banner_ = newBanner();
  gtk_widget_set_name(banner_, "save-notice");
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_append(GTK_BOX(column), banner_);
  gtk_box_append(GTK_BOX(column), container);
  gtk_window_set_child(window_, toastOverlayFor(window_, column));
}

void AppDelegate::showAlreadyOpen() {
  // Nothing of the casino starts, so nothing is saved or written: not even
  // the window's size, which belongs to the other copy.
  exitStatus_ = EXIT_FAILURE;
  std::string sentence = alreadyOpenNotice(folderLock_->holderPid(), folderLock_->holderHost());
  std::fprintf(stderr, "%s\n", sentence.c_str());

  adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_FORCE_DARK);
  GtkWidget* window = adw_application_window_new(GTK_APPLICATION(app_));
  gtk_window_set_title(GTK_WINDOW(window), _("Velmar Casino"));
  gtk_window_set_default_size(GTK_WINDOW(window), 560, 500);
  GtkWidget* page = adw_status_page_new();
  adw_status_page_set_icon_name(ADW_STATUS_PAGE(page), "dialog-information-symbolic");
  adw_status_page_set_title(ADW_STATUS_PAGE(page), _("Already Open"));
  std::string description =
      sentence + " " + _("Only one copy at a time can look after your chips. Close the other one first.");
  g_autofree char* markup = g_markup_escape_text(description.c_str(), -1);
  adw_status_page_set_description(ADW_STATUS_PAGE(page), markup);
  gtk_widget_set_vexpand(page, TRUE);
  GtkWidget* quit = gtk_button_new_with_mnemonic(_("_Quit"));
  gtk_widget_set_halign(quit, GTK_ALIGN_CENTER);
  gtk_widget_add_css_class(quit, "pill");
  gtk_widget_add_css_class(quit, "suggested-action");
  g_signal_connect_swapped(quit, "clicked", G_CALLBACK(g_application_quit), app_);
  adw_status_page_set_child(ADW_STATUS_PAGE(page), quit);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_append(GTK_BOX(column), adw_header_bar_new());
  gtk_box_append(GTK_BOX(column), page);
  adw_application_window_set_content(ADW_APPLICATION_WINDOW(window), column);
  g_signal_connect_swapped(window, "close-request", G_CALLBACK(+[](GApplication* app) {
                             g_application_quit(app);
                             return FALSE;
                           }),
                           app_);
  gtk_window_present(GTK_WINDOW(window));
  gtk_widget_grab_focus(quit);
}

void AppDelegate::showSaveTrouble(const SaveTrouble& trouble) {
  if (!banner_) return;
  Banner next = saveBanner(trouble, bannerTellsTrouble_);
  bannerTellsTrouble_ = next.revealed && !next.hideSoon;
  if (bannerHide_) g_source_remove(bannerHide_);
  bannerHide_ = 0;
  setBanner(banner_, next.text, next.revealed);
  if (next.hideSoon)
    bannerHide_ = g_timeout_add_seconds(kSavedAgainSeconds, +[](gpointer data) {
      of(data)->bannerHide_ = 0;
      setBanner(of(data)->banner_, {}, false);
      return G_SOURCE_REMOVE;
    }, this);
}

GtkWidget* AppDelegate::buildHeaderBar() {
  GtkWidget* bar = adw_header_bar_new();
  gtk_widget_set_name(bar, kToolbarName);

  GtkWidget* lobby = gtk_button_new_from_icon_name("go-home-symbolic");
  gtk_widget_set_name(lobby, kLobbyItem);
  gtk_widget_set_tooltip_text(lobby, _("Back to the casino lobby (Ctrl+L)"));
  gtk_accessible_update_property(GTK_ACCESSIBLE(lobby), GTK_ACCESSIBLE_PROPERTY_LABEL, _("Lobby"), -1);
  g_signal_connect_swapped(lobby, "clicked", G_CALLBACK(+[](AppDelegate* self) { self->goPage("lobby"); }), this);
  adw_header_bar_pack_start(ADW_HEADER_BAR(bar), lobby);

  title_ = ADW_WINDOW_TITLE(adw_window_title_new(_("Velmar Casino"), ""));
  adw_header_bar_pack_start(ADW_HEADER_BAR(bar), GTK_WIDGET(title_));

  // The table picker: one toggle per catalog row, at most one pressed, in
  // the middle of the bar.
  GtkWidget* picker = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_widget_set_name(picker, kTablesItem);
  gtk_widget_add_css_class(picker, "linked");
  gtk_accessible_update_property(GTK_ACCESSIBLE(picker), GTK_ACCESSIBLE_PROPERTY_LABEL, _("Tables"), -1);
  GtkToggleButton* first = nullptr;
  for (size_t i = 0; i < Tables::all.size(); ++i) {
    const Table& row = Tables::all[i];
    GtkWidget* segment = gtk_toggle_button_new_with_label(Commands::segmentTitle(row.name).c_str());
    // Translators: the tool tip of a table's button; %s is the table's name, %s its number key.
    g_autofree char* tip = g_strdup_printf(_("Open %s (Ctrl+%s)"), std::string(row.name).c_str(),
                                           std::string(row.key).c_str());
    gtk_widget_set_tooltip_text(segment, tip);
    g_object_set_data(G_OBJECT(segment), "velmar-index", GINT_TO_POINTER(static_cast<int>(i)));
    if (first)
      gtk_toggle_button_set_group(GTK_TOGGLE_BUTTON(segment), first);
    else
      first = GTK_TOGGLE_BUTTON(segment);
    g_signal_connect(segment, "clicked", G_CALLBACK(+[](GtkWidget* button, AppDelegate* self) {
                       self->pickTable(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "velmar-index")));
                     }),
                     this);
    gtk_box_append(GTK_BOX(picker), segment);
    tablePicker_[i] = GTK_TOGGLE_BUTTON(segment);
  }
  adw_header_bar_set_title_widget(ADW_HEADER_BAR(bar), picker);
  return bar;
}

void AppDelegate::installActions() {
  // A stateful action's state is only ever set by refreshActions, from what
  // is really shown: a change of state asked from outside (D-Bus SetState)
  // runs the same command as activation, which moves the state or refuses.
  static const GActionEntry appActions[] = {
      {"page",
       +[](GSimpleAction*, GVariant* target, gpointer self) {
         of(self)->goPage(g_variant_get_string(target, nullptr));
       },
       "s", "\"lobby\"",
       +[](GSimpleAction*, GVariant* state, gpointer self) { of(self)->goPage(g_variant_get_string(state, nullptr)); }},
      {"reload-page", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->casino_->reload(); }},
      {"reset-table", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->resetTable(); }},
      {"restore-table",
       +[](GSimpleAction*, GVariant*, gpointer self) {
         askToRestoreTable(of(self)->window_, G_ACTION_MAP(of(self)->app_), of(self)->casino_);
       }},
      {"show-saves", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->showSaves(); }},
      {"toggle-reopen", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->toggleReopen(); }, nullptr,
       "true",
       +[](GSimpleAction*, GVariant* state, gpointer self) { of(self)->setReopen(g_variant_get_boolean(state)); }},
      {"zoom-in", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->stepZoom(+1); }},
      {"zoom-out", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->stepZoom(-1); }},
      {"actual-size", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->setZoom(1.0); }},
      {"about", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->showAbout(); }},
      {"shortcuts", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->showShortcuts(); }},
      {"quit", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->quitFromOutside("the Quit command"); }},
  };
  g_action_map_add_action_entries(G_ACTION_MAP(app_), appActions, G_N_ELEMENTS(appActions), this);

  // The standard items act on the window or on the page itself.
  static const GActionEntry windowActions[] = {
      {"undo", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_UNDO); }},
      {"redo", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_REDO); }},
      {"cut", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_CUT); }},
      {"copy", +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_COPY); }},
      {"paste",
       +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_PASTE); }},
      {"select-all",
       +[](GSimpleAction*, GVariant*, gpointer self) { of(self)->editingCommand(WEBKIT_EDITING_COMMAND_SELECT_ALL); }},
      // The same way out as the window's close button.
      {"close", +[](GSimpleAction*, GVariant*, gpointer self) { gtk_window_close(of(self)->window_); }},
      // Linux has no hiding of a whole application; minimising its one window comes closest.
      {"hide", +[](GSimpleAction*, GVariant*, gpointer self) { gtk_window_minimize(of(self)->window_); }},
      {"minimize", +[](GSimpleAction*, GVariant*, gpointer self) { gtk_window_minimize(of(self)->window_); }},
      {"maximize",
       +[](GSimpleAction*, GVariant*, gpointer self) {
         GtkWindow* w = of(self)->window_;
         gtk_window_is_maximized(w) ? gtk_window_unmaximize(w) : gtk_window_maximize(w);
       }},
      {"fullscreen",
       +[](GSimpleAction*, GVariant*, gpointer self) {
         GtkWindow* w = of(self)->window_;
         gtk_window_is_fullscreen(w) ? gtk_window_unfullscreen(w) : gtk_window_fullscreen(w);
       }},
  };
  g_action_map_add_action_entries(G_ACTION_MAP(window_), windowActions, G_N_ELEMENTS(windowActions), this);

  for (const Commands::Shortcut& s : Commands::shortcuts()) {
    std::vector<const char*> accels;
    for (const std::string& a : s.accels) accels.push_back(a.c_str());
    accels.push_back(nullptr);
    gtk_application_set_accels_for_action(GTK_APPLICATION(app_), s.action.c_str(), accels.data());
  }
  refreshActions();
}

void AppDelegate::installMenuBar() {
  GMenuModel* menu = buildMenuBar();
  gtk_application_set_menubar(GTK_APPLICATION(app_), menu);
  g_object_unref(menu);
  gtk_application_window_set_show_menubar(GTK_APPLICATION_WINDOW(window_), TRUE);
}

void AppDelegate::installSessionEnd() {
  // The session manager asks before logging out; we hold the logout until the
  // page has handed over its saves, then quit like any other way out.
  if (!g_application_get_is_registered(G_APPLICATION(app_))) return;
  g_signal_connect(app_, "query-end", G_CALLBACK(on_query_end), this);
}

void AppDelegate::pageChanged(const Table* table) {
  // Unchanged names are not written again, so a launch or a reload costs nothing.
  if (auto url = casino_->currentURL()) Prefs::setLastPage(Tables::pageName(*url));
  // An answer to the Reset dialog would no longer be about the table shown.
  if (resetDialog_ && table != resetNamed_) alert::close(forget(resetDialog_));
  adw_window_title_set_subtitle(title_, Commands::subtitle(table).c_str());
  int selected = Commands::pickerIndex(table);
  for (size_t i = 0; i < tablePicker_.size(); ++i)
    if (tablePicker_[i]) gtk_toggle_button_set_active(tablePicker_[i], static_cast<int>(i) == selected);
  refreshActions();
}

void AppDelegate::refreshActions() {
  const Table* shown = casino_ ? casino_->currentTable() : nullptr;
  bool reopen = Prefs::reopenLastTable();
  auto action = [this](const char* name) {
    return G_SIMPLE_ACTION(g_action_map_lookup_action(G_ACTION_MAP(app_), name));
  };
  const char* names[] = {"page", "reload-page", "reset-table", "restore-table", "show-saves", "toggle-reopen", "zoom-in",
                         "zoom-out", "actual-size", "about", "shortcuts", "quit"};
  for (const char* name : names)
    g_simple_action_set_enabled(action(name), Commands::enabled(name, casino_ != nullptr, shown));
  // The menu's check marks follow the actions' states: one page is shown.
  g_simple_action_set_state(action("page"), g_variant_new_string(Commands::pageState(shown).c_str()));
  g_simple_action_set_state(action("toggle-reopen"), g_variant_new_boolean(reopen));
}

void AppDelegate::goPage(const std::string& target) {
  auto address = Commands::pageAddress(target);
  if (!address) {
    logFailure("Velmar Casino: no page named \"" + target + "\"; staying where we are");
    return;
  }
  casino_->open(*address);
}

void AppDelegate::pickTable(int index) {
  if (auto address = Commands::pickedAddress(index)) casino_->open(*address);
}

void AppDelegate::resetTable() {
  const Table* table = casino_->currentTable();
  if (!table) return;
  if (resetDialog_) {
    alert::present(resetDialog_);
    return;
  }
  // Translators: %s is the table's name, such as "Roulette Royale".
  g_autofree char* heading = g_strdup_printf(_("Reset %s?"), std::string(table->name).c_str());
  GtkWidget* dialog = alert::create(
      window_, heading,
      _("Your chips at this table go back to the starting bankroll and its settings are cleared. "
        "The other tables aren’t touched."));
  alert::addResponse(dialog, "cancel", _("_Cancel"));
  alert::addResponse(dialog, "reset", _("_Reset Table"));
  alert::setAppearance(dialog, "reset", ADW_RESPONSE_DESTRUCTIVE);
  // Return and Escape both keep the chips: a reset is never one stray key away.
  alert::setDefault(dialog, "cancel");
  alert::setClose(dialog, "cancel");

  struct Answer {
    std::weak_ptr<AppDelegate> delegate;
    const Table* table;
    bool answered = false;
  };
  auto* answer = new Answer{weak_from_this(), table};
  resetDialog_ = dialog;
  resetNamed_ = table;
  g_object_add_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&resetDialog_));
  g_signal_connect_data(
      dialog, "response",
      G_CALLBACK(+[](GtkWidget* dialog, const char* response, Answer* answer) {
        // libadwaita 1.2 sends a second response when a dialog closes after
        // answering; only the first one counts.
        if (answer->answered) return;
        answer->answered = true;
        if (auto self = answer->delegate.lock()) {
          if (self->resetDialog_ == dialog) forget(self->resetDialog_);
          if (g_strcmp0(response, "reset") == 0) {
            self->casino_->resetTable(*answer->table);
            // Translators: %s is the table's name, such as "Roulette Royale".
            g_autofree char* done = g_strdup_printf(_("%s is back to its starting chips."),
                                                    std::string(answer->table->name).c_str());
            showToast(self->window_, done);
          }
        }
        alert::close(dialog);
      }),
      answer, +[](gpointer data, GClosure*) { delete static_cast<Answer*>(data); }, GConnectFlags(0));
  alert::present(dialog);
}

void AppDelegate::showSaves() {
  // The command can come over the bus as fast as anyone calls it.
  if (showSavesLimit_.allow(true, g_get_monotonic_time()) != LaunchLimit::Verdict::Launch) {
    logLine("Velmar Casino: not showing the saved games again: they were shown less than a second ago");
    return;
  }
  if (openerFor(Handing::Folder, inSandbox()) == Opener::PortalFolder) {
    openFolderThroughPortal(casino_->saves().folder());
    return;
  }
  g_autoptr(GFile) folder = g_file_new_for_path(casino_->saves().folder().c_str());
  g_autofree char* uri = g_file_get_uri(folder);
  g_autoptr(GFile) parent = g_file_get_parent(folder);
  g_autofree char* parentUri = g_file_get_uri(parent ? parent : folder);

  GDBusConnection* bus = g_application_get_dbus_connection(G_APPLICATION(app_));
  if (!bus) {
    openInDefaultApplication(parentUri);
    return;
  }
  const char* items[] = {uri, nullptr};
  auto* fallback = new std::string(parentUri);
  // The file manager opens the parent folder with the save folder selected;
  // without one on the bus, the parent folder opens in the default handler.
  g_dbus_connection_call(
      bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
      "ShowItems", g_variant_new("(^ass)", items, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
      +[](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::string> where(static_cast<std::string*>(data));
        g_autoptr(GError) error = nullptr;
        g_autoptr(GVariant) reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        if (!reply)
          openInDefaultApplication(*where);
      },
      fallback);
}

void AppDelegate::toggleReopen() { setReopen(!Prefs::reopenLastTable()); }

void AppDelegate::setReopen(bool reopen) {
  Prefs::setReopenLastTable(reopen);
  refreshActions();
}

void AppDelegate::stepZoom(int direction) { setZoom(Commands::steppedZoom(Prefs::pageZoom(), direction)); }

void AppDelegate::setZoom(double zoom) {
  Prefs::setPageZoom(zoom);
  casino_->setZoom(zoom);
}

#if !ADW_CHECK_VERSION(1, 5, 0)
// What's New before libadwaita 1.5: the newest release as the software
// centre shows it, from the installed (translated) metainfo beside the
// resource folder.
void AppDelegate::showReleaseNotes(GObject* about) {
  if (options_.resources.empty() && !resourceFolder()) return;
  std::string resources = options_.resources.empty() ? *resourceFolder() : options_.resources;
  g_autofree char* share = g_path_get_dirname(resources.c_str());
  g_autofree char* file = g_build_filename(share, "metainfo", (std::string(kAppId) + ".metainfo.xml").c_str(), nullptr);
  g_autofree char* text = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(file, &text, &length, nullptr)) return;
  std::vector<std::string> languages;
  for (const char* const* l = g_get_language_names(); *l; ++l) languages.emplace_back(*l);
  ReleaseNotes notes = readReleaseNotes(std::string_view(text, length), languages);
  if (!notes.markup.empty())
    g_object_set(about, "release-notes-version", notes.version.c_str(), "release-notes", notes.markup.c_str(), nullptr);
}
#endif

void AppDelegate::showAbout() {
  // The About dialog of libadwaita 1.5 is shown inside the window, its name,
  // developer, version, licence and What's New read from the metainfo compiled
  // into the program; before it, a window of its own, filled in here.
#if ADW_CHECK_VERSION(1, 5, 0)
  velmar_about_get_resource();  // keeps the metainfo's bundle linked in
  GObject* about = G_OBJECT(adw_about_dialog_new_from_appdata(
      "/com/velmar/Casino/about/com.velmar.Casino.metainfo.xml", VELMAR_VERSION));
#define VELMAR_ABOUT_LEGAL(...) adw_about_dialog_add_legal_section(ADW_ABOUT_DIALOG(about), __VA_ARGS__)
#else
  GObject* about = G_OBJECT(adw_about_window_new());
  g_object_set(about, "transient-for", window_, "modal", TRUE, nullptr);
#define VELMAR_ABOUT_LEGAL(...) adw_about_window_add_legal_section(ADW_ABOUT_WINDOW(about), __VA_ARGS__)
  g_object_set(about, "application-name", _("Velmar Casino"), "application-icon", kAppId, "version", VELMAR_VERSION,
               "developer-name", _("The Velmar Casino developers"), "license-type", GTK_LICENSE_GPL_3_0, nullptr);
  showReleaseNotes(about);
#endif
  g_object_set(about, "comments",
               _("Roulette, blackjack, baccarat and poker at one table-lit casino. Your chips stay where you left "
                 "them."),
               "copyright", _("© 2026 The Velmar Casino developers"),
               // Translators: put your names here, one a line, to be thanked in the About window.
               "translator-credits", _("translator-credits"), nullptr);
  // The bundled parts that keep licences of their own.
  VELMAR_ABOUT_LEGAL("three.js", "© 2010-2026 three.js authors", GTK_LICENSE_MIT_X11, nullptr);
  const char* ofl = _("This font is licensed under the <a href=\"https://openfontlicense.org\">SIL Open Font "
                      "License, version 1.1</a>.");
  VELMAR_ABOUT_LEGAL("Manrope", "© 2019 The Manrope Project Authors", GTK_LICENSE_CUSTOM, ofl);
  VELMAR_ABOUT_LEGAL("Playfair Display",
                     "© 2017 The Playfair Display Project Authors, with Reserved Font Name “Playfair Display”",
                     GTK_LICENSE_CUSTOM, ofl);
#undef VELMAR_ABOUT_LEGAL
#if ADW_CHECK_VERSION(1, 5, 0)
  adw_dialog_present(ADW_DIALOG(about), GTK_WIDGET(window_));
#else
  gtk_window_present(GTK_WINDOW(about));
#endif
}

void AppDelegate::showShortcuts() {
  if (!shortcutsWindow_) {
    g_autoptr(GtkBuilder) builder = shellInterface("shortcuts.ui");
    shortcutsWindow_ = Ref<GtkWindow>::retain(GTK_WINDOW(gtk_builder_get_object(builder, "shortcuts")));
    gtk_window_set_transient_for(shortcutsWindow_.get(), window_);
    gtk_window_set_hide_on_close(shortcutsWindow_.get(), TRUE);
  }
  gtk_window_present(shortcutsWindow_.get());
}

void AppDelegate::editingCommand(const char* command) {
  if (WebKitWebView* view = casino_->webView()) webkit_web_view_execute_editing_command(view, command);
}

void AppDelegate::saveWindowState() {
  if (windowSaved_ || !window_) return;
  windowSaved_ = true;
  WindowState state;
  gtk_window_get_default_size(window_, &state.width, &state.height);
  state.maximized = gtk_window_is_maximized(window_);
  state.fullscreen = gtk_window_is_fullscreen(window_);
  if (!windowFile_) windowFile_ = std::make_unique<FileWriter>(options_.windowStateFile, "window size");
  state.save(*windowFile_);
}

void AppDelegate::requestQuit() {
  saveWindowState();
  if (quitApproved_ || !casino_) {
    g_application_quit(G_APPLICATION(app_));
    return;
  }
  if (quitting_) return;
  quitting_ = true;
  auto weak = weak_from_this();
  casino_->flush(
      [weak, app = Ref<AdwApplication>::retain(app_)] {
        auto self = weak.lock();
        if (self && !self->casino_->saves().settled()) return self->tellSavesHung();
        if (self) self->quitApproved_ = true;
        g_application_quit(G_APPLICATION(app.get()));
      },
      [weak] {
        if (auto self = weak.lock(); self && self->title_) adw_window_title_set_subtitle(self->title_, _("Saving…"));
      });
}

void AppDelegate::tellSavesHung() {
  quitApproved_ = true;
  GtkWidget* dialog =
      alert::create(window_, _("Your Latest Chips Could Not Be Saved"),
                             _("The disk has not finished saving for a long time. Your chips as they were "
                               "at the last save are kept; the latest play may be lost."));
  alert::addResponse(dialog, "quit", _("_Quit"));
  alert::setDefault(dialog, "quit");
  alert::setClose(dialog, "quit");
  g_signal_connect(dialog, "response",
                   G_CALLBACK(+[](GtkWidget*, const char*, AdwApplication* app) {
                     g_application_quit(G_APPLICATION(app));
                   }),
                   app_);
  alert::present(dialog);
}

void AppDelegate::quitFromOutside(const std::string& cause) {
  // The self-test's report brings it back here through requestQuit.
  if (selfTest_ && selfTest_->interrupt(cause)) return;
  requestQuit();
}

gboolean AppDelegate::on_close_request(GtkWindow*, AppDelegate* self) {
  // The window goes away with the application, after the page has saved.
  self->quitFromOutside("the window's closing");
  return TRUE;
}

gboolean AppDelegate::on_sigint(gpointer self) {
  of(self)->quitFromOutside("SIGINT");
  return G_SOURCE_CONTINUE;
}

gboolean AppDelegate::on_sigterm(gpointer self) {
  of(self)->quitFromOutside("SIGTERM");
  return G_SOURCE_CONTINUE;
}

gboolean AppDelegate::on_quit_signal(int fd, GIOCondition, gpointer self) {
  signalfd_siginfo info;
  int signal = 0;
  while (read(fd, &info, sizeof info) == sizeof info) signal = static_cast<int>(info.ssi_signo);
  of(self)->quitFromOutside(signal == SIGINT ? "SIGINT" : "SIGTERM");
  return G_SOURCE_CONTINUE;
}

void AppDelegate::on_shutdown(GApplication*, AppDelegate* self) {
  // The files' writers are bounded, as the saves' are.
  Prefs::settle();
  if (self->windowFile_) self->windowFile_->settle();
}

void AppDelegate::on_query_end(GtkApplication* app, AppDelegate* self) {
  gtk_application_inhibit(app, self->window_, GTK_APPLICATION_INHIBIT_LOGOUT, _("Saving your chips"));
  self->quitFromOutside("the session's end");
}

}  // namespace velmar
