// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/tables.h"
#include "host/decisions.h"
#include "host/save_trouble.h"
#include "store/save_store.h"

#include <adwaita.h>
#include <webkit/webkit.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

struct Rgba {
  double red, green, blue, alpha;
};

// The web host: owns the save store, the content server and the web view that
// shows the current page. Every page load gets a fresh web view seeded from
// the saves at that moment.
class Casino : public std::enable_shared_from_this<Casino> {
 public:
  struct Options {
    // Where addresses for other applications go; by default the desktop's
    // default application (openInDefaultApplication). Tests stub it.
    std::function<void(const std::string&)> openExternal;
    // The save store's base folder; empty means g_get_user_data_dir().
    std::string saveBase;
    // Monotonic microseconds for the limit on reopenings after the page
    // process ended; by default g_get_monotonic_time. Tests stop the clock.
    std::function<std::int64_t()> clock;
    // Seconds after its load that a page that never says it is ready is
    // shown anyway. Tests of the wait itself lengthen it, so that a slow
    // machine cannot end it first.
    double readyBound = kReadyBound;
  };

  // webRoot is the web folder; container is where the web view goes (held weakly).
  static std::shared_ptr<Casino> create(std::string webRoot, AdwBin* container, Options options);
  static std::shared_ptr<Casino> create(std::string webRoot, AdwBin* container) {
    return create(std::move(webRoot), container, Options());
  }
  ~Casino();

  void open(const std::string& url);
  void reload();
  // The way out: asks the page to post its saves, then waits for the store's
  // last write, and when that failed, for one more, without blocking the main
  // loop. Completion runs exactly once, when the page answered or after the
  // flush time-out, and the writes ended or the disk made no progress for
  // SettleWatch::kGiveUpAfter (saves().settled() is false then). slow runs
  // once when the writes keep it waiting past SettleWatch::kTellAfter.
  void flush(std::function<void()> completion, std::function<void()> slow = {});
  void resetCurrentTable();
  // Resets the named table whatever page is shown by then: the page shown is
  // silenced first, and comes back without the table's key. named is one of
  // Tables::all, which outlives every reset.
  void resetTable(const Table& table);
  // Gives the table's key that value, as a reset would remove it: the page
  // showing the table is frozen first and then reloaded; no other key moves.
  void restoreTable(const Table& table, std::string value);
  // Applies the zoom to the page shown and to every page loaded after it;
  // keeping it between runs is the caller's business.
  void setZoom(double zoom);

  std::optional<std::string> currentURL() const;
  const Table* currentTable() const;
  WebKitWebView* webView() const;
  SaveStore& saves();

  // Called after every load with the table the loaded address shows, or null.
  std::function<void(const Table*)> onPageChange;
  // Called when the page loaded last says it is ready for the player (or is
  // shown anyway, Options::readyBound after its load ended), with its table or null.
  // Until then the page before it stays on screen, a placeholder over it
  // past kPlaceholderDelay, and the keys pressed are held for the new page.
  std::function<void(const Table*)> onReady;
  // Whether the page loaded last is the one on screen.
  bool pageReady() const;
  // What the player sees of the pages: the current page once it is ready,
  // the page before it until then (null when there is none).
  WebKitWebView* shownView() const;

  // What the player must know about the saves now; onSaveTrouble is called
  // on the main loop whenever it changes.
  SaveTrouble saveTrouble() const;
  std::function<void(const SaveTrouble&)> onSaveTrouble;

  static constexpr double kFlushTimeout = 1.5;
  static constexpr Rgba background{4 / 255.0, 10 / 255.0, 7 / 255.0, 1.0};
  // A double-quoted script string literal that reads back as exactly text.
  static std::string jsString(std::string_view text);

  // The web folder as the content server sees it.
  const std::string& webRoot() const;
  // The view that will show the next page when it is already prepared (a
  // spare sharing the current page's web process); null otherwise.
  WebKitWebView* preparedView() const;

 protected:
  Casino() = default;

 private:
  // Builds a new web view for url and retires the old one. ownProcess gives
  // the new view a web process of its own instead of sharing the current one.
  void load(const std::string& url, bool ownProcess);
  WebKitWebView* makeView(WebKitWebView* related);
  void prepareSpare();
  void adopt(WebKitWebView* view, const std::string& url);
  // keepShown leaves the view on screen, silenced, until the next is ready.
  void retire(WebKitWebView* view, bool endProcess, bool keepShown = false);
  // Takes the view off the screen; unload ends its page's scripts now.
  void dismiss(WebKitWebView* view, bool unload);
  void putStage();
  void showPlaceholder();
  void onReadyMessage(WebKitWebView* sender);
  void finishSwitch(WebKitWebView* view);
  void endSwitch();
  bool onKey(unsigned keyval, GdkModifierType state);
  void receive(WebKitWebView* sender, JSCValue* body);
  // Reads the save messages waiting, in order, handing large ones to a
  // thread; lands each that has been read.
  void advanceMessages();
  // Lands every message waiting, now: before anything else reads or changes
  // the saves (a seed, a reset, a flush's last write).
  void landMessages();
  struct Reading;
  void land(Reading& reading);
  // Logs "before <page name> after", once per page.
  void tell(WebKitWebView* sender, const std::string& before, const std::string& after);
  void handToSystem(const std::string& address, bool userGesture);
  void showStopped(const std::string& pageName);
  gboolean onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  void onCreate(WebKitNavigationAction* action);
  gboolean onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog);
  void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event);
  void onProcessEnded(WebKitWebView* view);
  // Gives a table's key a value, or removes it, in the one order that keeps
  // the page shown from saving the old value back; then reloads that page.
  void changeTableKey(const Table& table, std::optional<std::string> value);
  // Tells onSaveTrouble when saveTrouble() differs from what it was last told.
  void troubleChanged();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmar
