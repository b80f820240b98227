// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/casino.h"
#include "host/alert.h"

#include "content/scheme_handler.h"
#include "host/decisions.h"
#include "host/languages.h"
#include "host/page_script.h"
#include "host/save_message.h"
#include "host/weak_handler.h"
#include "platform/desktop_launch.h"
#include "platform/gobject_ptr.h"
#include "platform/log.h"
#include "platform/timer.h"
#include "store/settle_watch.h"

#include <glib/gi18n.h>
#include "store/saves_format.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace velmar {

namespace {

constexpr const char* kLinkKey = "velmar-casino-link";

// What each web view in service carries: the web host, weakly, for its signal
// handlers, and whether the host's own first load has begun in it.
struct Link {
  std::weak_ptr<Casino> host;
  // The address of the host's own load into this view until its navigation
  // has been decided: the view counts as having no address of its own then.
  std::string hostLoad;
  // Its web process ended: a view related to it would not come up.
  bool ended = false;
  // The address the host loaded into it: the document it shows, whatever the
  // engine reports while the load begins or a page writes into its address
  // (a fragment, history.pushState).
  std::string page;
  // The last address it showed. The engine forgets a view's address soon after
  // its web process ended (WebKitGTK 2.50), yet Reload must still find it.
  std::string address;
  // The table it shows (null for the lobby) and the keys it was given; the
  // saves it was seeded with do not all fit into a page: what it posts can
  // never be the whole truth.
  const Table* table = nullptr;
  std::vector<std::string> given;
  bool seededPartially = false;
  // Why its messages were refused so far, each logged once.
  std::set<std::string> refusals;
};

Link* linkOf(WebKitWebView* view) { return static_cast<Link*>(g_object_get_data(G_OBJECT(view), kLinkKey)); }

std::optional<std::string> addressOf(WebKitWebView* view) {
  const char* uri = view ? webkit_web_view_get_uri(view) : nullptr;
  if (uri && *uri) return std::string(uri);
  auto* link = view ? linkOf(view) : nullptr;
  if (link && link->ended && !link->address.empty()) return link->address;
  return std::nullopt;
}

// Runs a script in the page and then fn, whether the script succeeded or not.
// Scripts are evaluated rather than called as functions with arguments: a
// view reloaded after its web process died never answered such a call.
void evaluate(WebKitWebView* view, std::string_view script, std::function<void()> fn) {
  webkit_web_view_evaluate_javascript(
      view, script.data(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::function<void()>> fn(static_cast<std::function<void()>*>(data));
        g_autoptr(GError) error = nullptr;
        Ref<JSCValue>::adopt(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
        (*fn)();
      },
      new std::function<void()>(std::move(fn)));
}

// Back and Forward have nowhere to go, as every page has a view of its own;
// Stop would only leave a half-loaded table. Reload stays: it takes the same
// way as the Reload command.
void removeHistoryItems(WebKitContextMenu* menu) {
  GList* items = g_list_copy(webkit_context_menu_get_items(menu));
  for (GList* item = items; item; item = item->next) {
    auto* entry = WEBKIT_CONTEXT_MENU_ITEM(item->data);
    switch (webkit_context_menu_item_get_stock_action(entry)) {
      case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK:
      case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD:
      case WEBKIT_CONTEXT_MENU_ACTION_STOP:
        webkit_context_menu_remove(menu, entry);
        break;
      default:
        break;
    }
  }
  g_list_free(items);
}

// Answers one alert or confirm once, whichever way its dialog goes away.
struct DialogAnswer {
  WebKitScriptDialog* dialog;
  bool answered = false;

  void answer(bool confirmed) {
    if (answered) return;
    answered = true;
    if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_CONFIRM)
      webkit_script_dialog_confirm_set_confirmed(dialog, confirmed);
    webkit_script_dialog_close(dialog);
  }
  ~DialogAnswer() {
    answer(false);
    webkit_script_dialog_unref(dialog);
  }
};

// Smaller messages are read where they arrive: a thread would cost more.
constexpr std::size_t kReadOnTheMainLoop = 64 * 1024;

}  // namespace

// A save message being read, off the main loop when it is large. Messages
// land in the order they came, each on the saves the ones before it left.
struct Casino::Reading {
  Reading(WebKitWebView* view, SaveText source) : sender(Ref<WebKitWebView>::retain(view)), source(std::move(source)) {}

  void work(const SaveStore::Values& base) {
    auto* link = linkOf(sender.get());
    static const std::vector<std::string> none;
    SavePlan result = link ? planSave(text, link->table, link->given, link->seededPartially, base)
                           : planSave(text, nullptr, none, false, base);
    std::lock_guard lock(mutex);
    plan = std::move(result);
    done = true;
    finished.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
  }

  Ref<WebKitWebView> sender;
  SaveText source;
  std::string text;
  std::shared_ptr<const SaveStore::Values> base;
  bool started = false;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  SavePlan plan;
};

struct Casino::Impl {
  Impl(std::string root, AdwBin* bin, Options opts)
      : saves(opts.saveBase.empty() ? SaveStore::defaultBase() : opts.saveBase),
        scheme(std::make_shared<const SchemeHandler>(std::move(root))),
        container(bin),
        options(std::move(opts)) {
    if (!options.openExternal) options.openExternal = openInDefaultApplication;
    if (!options.clock) options.clock = g_get_monotonic_time;
  }

  SaveStore saves;
  // When this run of the casino began, in milliseconds of the wall clock: the
  // pages' evening, which a new web view's session storage could not keep.
  std::int64_t evening = g_get_real_time() / 1000;
  std::shared_ptr<const SchemeHandler> scheme;
  WeakRef<AdwBin> container;
  Options options;
  // The zoom the shell chose, for every view made from now on.
  double zoom = 1.0;

  Ref<WebKitWebContext> context;
  Ref<WebKitSettings> settings;
  Ref<WebKitWebView> view;
  WeakRef<WebKitWebView> ignored;
  // The next page's web view, made ahead of time in the current page's web
  // process; it gets its script and handler only when a page is loaded into it.
  Ref<WebKitWebView> spare;
  ReopenLimit reopenLimit;
  LaunchLimit launchLimit;
  // Counts the requests to open a page: of those waiting on a flush, only
  // the newest loads.
  std::uint64_t opening = 0;
  // The tables whose page could not hold its saves this visit.
  std::vector<std::string> unsavedTables;
  // What onSaveTrouble was last told.
  SaveTrouble told;
  std::deque<std::shared_ptr<Reading>> reading;
  // A turn of the main loop is asked for to take the next piece.
  bool stepping = false;

  // What the container shows: the pages' views over one another, the
  // current one at the bottom, the page being left over it until the current
  // one is ready, and the placeholder over both.
  GtkWidget* stage = nullptr;
  Ref<WebKitWebView> leaving;
  GtkWidget* placeholder = nullptr;
  // The current view has not said it is ready; each switch has its number.
  bool waiting = false;
  std::uint64_t switches = 0;
  HeldKeys held;
  bool keysRefused = false;
  std::int64_t switchedAt = 0;

  ~Impl() {
    if (stage) g_object_unref(stage);
  }
};

std::shared_ptr<Casino> Casino::create(std::string webRoot, AdwBin* container, Options options) {
  // The constructor is protected so that every web host is shared (its
  // callbacks hold it weakly); make_shared cannot reach it, hence new.
  std::shared_ptr<Casino> self(new Casino());
  self->impl_ = std::make_unique<Impl>(std::move(webRoot), container, std::move(options));
  auto& d = *self->impl_;

  // A context of our own carries the "velmar" handler; the pages share the
  // default persistent network session, so localStorage survives restarts.
  d.context = Ref<WebKitWebContext>::adopt(webkit_web_context_new());
  webkit_web_context_set_cache_model(d.context.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
  // The pages choose their words from navigator.languages: hand them the
  // user's languages (LANGUAGE, then the locale), which the engine ignores.
  auto languages = webLanguages(g_get_language_names());
  if (!languages.empty()) {
    std::vector<const char*> list;
    for (const auto& tag : languages) list.push_back(tag.c_str());
    list.push_back(nullptr);
    webkit_web_context_set_preferred_languages(d.context.get(), list.data());
  }
  SchemeHandler::registerWith(d.scheme, d.context.get());

  d.saves.onHealthChange([weak = self->weak_from_this()] {
    if (auto casino = weak.lock()) casino->troubleChanged();
  });

  d.settings = Ref<WebKitSettings>::adopt(webkit_settings_new());
  webkit_settings_set_media_playback_requires_user_gesture(d.settings.get(), FALSE);
  webkit_settings_set_enable_fullscreen(d.settings.get(), TRUE);
  return self;
}

Casino::~Casino() {
  // What the pages sent still reaches the saves; no one is told any more.
  onSaveTrouble = nullptr;
  if (impl_) landMessages();
}

const std::string& Casino::webRoot() const { return impl_->scheme->root(); }
WebKitWebView* Casino::preparedView() const { return impl_->spare.get(); }
WebKitWebView* Casino::webView() const { return impl_->view.get(); }
SaveStore& Casino::saves() { return impl_->saves; }

std::optional<std::string> Casino::currentURL() const {
  auto* link = impl_->view ? linkOf(impl_->view.get()) : nullptr;
  if (link && !link->page.empty()) return link->page;
  return addressOf(impl_->view.get());
}

const Table* Casino::currentTable() const {
  auto url = currentURL();
  return url ? Tables::table(*url) : nullptr;
}

std::string Casino::jsString(std::string_view text) { return jsStringLiteral(text); }

SaveTrouble Casino::saveTrouble() const {
  SaveTrouble trouble;
  auto health = impl_->saves.health();
  trouble.behind = health.behind;
  trouble.stalled = health.stalled;
  trouble.unsavedTables = impl_->unsavedTables;
  return trouble;
}

void Casino::troubleChanged() {
  auto now = saveTrouble();
  if (now == impl_->told) return;
  impl_->told = now;
  if (onSaveTrouble) onSaveTrouble(now);
}

void Casino::receive(WebKitWebView* sender, JSCValue* body) {
  auto& d = *impl_;
  if (!sender) return;
  if (isReadyMessage(body)) return onReadyMessage(sender);
  if (d.ignored.is(sender)) return;
  std::string refusal;
  auto text = SaveText::of(body, refusal);
  if (!text) return tell(sender, "refused a save message from ", ": " + refusal);
  d.reading.push_back(std::make_shared<Reading>(sender, std::move(*text)));
  advanceMessages();
}

void Casino::advanceMessages() {
  auto& d = *impl_;
  while (!d.reading.empty()) {
    auto head = d.reading.front();
    if (!head->started && !head->source.whole()) {
      // One piece a turn of the main loop.
      if (!head->source.takeSome()) {
        d.reading.pop_front();
        tell(head->sender.get(), "refused a save message from ", ": it could not be read");
        continue;
      }
      if (!head->source.whole()) {
        if (!d.stepping) {
          d.stepping = true;
          g_idle_add_full(G_PRIORITY_DEFAULT_IDLE,
                          [](gpointer data) {
                            auto& weak = *static_cast<std::weak_ptr<Casino>*>(data);
                            if (auto self = weak.lock()) {
                              self->impl_->stepping = false;
                              self->advanceMessages();
                            }
                            return G_SOURCE_REMOVE;
                          },
                          new std::weak_ptr<Casino>(weak_from_this()),
                          [](gpointer data) { delete static_cast<std::weak_ptr<Casino>*>(data); });
        }
        return;
      }
    }
    if (!head->started) {
      head->started = true;
      head->text = std::move(head->source.text());
      head->base = d.saves.snapshot();
      if (head->text.size() < kReadOnTheMainLoop) {
        head->work(*head->base);
      } else {
        // The web view it holds goes on the main loop, where the callback runs.
        struct Pending {
          std::weak_ptr<Casino> host;
          std::shared_ptr<Reading> reading;
        };
        auto* task = g_task_new(nullptr, nullptr,
                                [](GObject*, GAsyncResult*, gpointer data) {
                                  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
                                  if (auto self = pending->host.lock()) self->advanceMessages();
                                },
                                new Pending{weak_from_this(), head});
        g_task_set_task_data(task, head.get(), nullptr);
        g_task_run_in_thread(task, [](GTask* task, gpointer, gpointer data, GCancellable*) {
          auto& reading = *static_cast<Reading*>(data);
          reading.work(*reading.base);
          g_task_return_boolean(task, TRUE);
        });
        g_object_unref(task);
        return;
      }
    }
    {
      std::lock_guard lock(head->mutex);
      if (!head->done) return;
    }
    d.reading.pop_front();
    land(*head);
  }
}

void Casino::landMessages() {
  auto& d = *impl_;
  while (!d.reading.empty()) {
    auto head = d.reading.front();
    d.reading.pop_front();
    if (head->started) {
      head->wait();
    } else {
      bool read = true;
      while (read && !head->source.whole()) read = head->source.takeSome();
      if (!read) {
        tell(head->sender.get(), "refused a save message from ", ": it could not be read");
        continue;
      }
      head->text = std::move(head->source.text());
      head->base = d.saves.snapshot();
      head->work(*head->base);
    }
    land(*head);
  }
}

void Casino::land(Reading& reading) {
  auto& d = *impl_;
  auto* sender = reading.sender.get();
  auto* link = linkOf(sender);
  auto& plan = reading.plan;
  if (plan.refusal.empty() && !d.saves.replaceFrom(reading.base, std::move(plan.values), plan.applied.changed)) {
    // Something else changed the saves while it was read: it is worked out
    // again from what they are now.
    reading.done = false;
    reading.base = d.saves.snapshot();
    reading.work(*reading.base);
    if (plan.refusal.empty()) d.saves.replaceFrom(reading.base, std::move(plan.values), plan.applied.changed);
  }
  releaseOffTheMainLoop(std::move(reading.base));
  releaseOffTheMainLoop(std::make_shared<const SaveStore::Values>(std::move(plan.values)));
  if (link && link->table) {
    // A table whose page does not hold its saves is not saved this visit;
    // its next visit that holds them all ends that.
    std::string id(link->table->id);
    auto& unsaved = d.unsavedTables;
    auto at = std::find(unsaved.begin(), unsaved.end(), id);
    if (plan.partial && at == unsaved.end()) unsaved.push_back(id);
    else if (!plan.partial && at != unsaved.end() && d.view.get() == sender) unsaved.erase(at);
    troubleChanged();
  }
  if (!plan.refusal.empty()) return tell(sender, "refused a save message from ", ": " + plan.refusal);
  auto list = [](const std::vector<std::string>& keys) {
    std::string out;
    for (std::size_t i = 0; i < keys.size() && i < 5; ++i) out += (i ? ", " : "") + keys[i];
    if (keys.size() > 5) out += " and " + std::to_string(keys.size() - 5) + " more";
    return out;
  };
  if (!plan.applied.refused.empty())
    tell(sender, "refused to let ", " change " + list(plan.applied.refused) + ": they are another table's");
  if (!plan.lost.empty()) tell(sender, "kept " + list(plan.lost) + ", which the storage of ", " no longer holds");
}

void Casino::tell(WebKitWebView* sender, const std::string& before, const std::string& after) {
  auto* link = sender ? linkOf(sender) : nullptr;
  auto url = addressOf(sender);
  std::string text = "Velmar Casino: " + before + (url ? Tables::pageName(*url) : std::string("a page")) + after;
  // A page that keeps sending the same thing is told once.
  if (link && !link->refusals.insert(text).second) return;
  logFailure(text);
}

// ---------------------------------------------------------------------------
// Flushing and loading

namespace {

void flushThen(WebKitWebView* view, std::function<void(bool answered)> done) {
  // No page, or one whose process is gone: nothing can answer, nothing to wait for.
  auto* link = view ? linkOf(view) : nullptr;
  if (!addressOf(view) || (link && link->ended)) {
    done(true);
    return;
  }
  // The losing side of the race runs later and does nothing. The timer is not
  // cancelled by its id: once it has fired, GLib may hand that id to another
  // source, which the cancel would then remove.
  auto race = raceOnce(std::move(done));
  after(Casino::kFlushTimeout, race.timedOut);
  evaluate(view, kFlushScript, race.answered);
}

}  // namespace

namespace {

struct WritesWait {
  std::weak_ptr<Casino> casino;
  SettleWatch watch;
  std::function<void()> slow;
  std::function<void()> done;
  bool retried = false;
};

// Polled from a timer, so that the window is drawn while a slow disk ends
// its writes.
void pollWrites(const std::shared_ptr<WritesWait>& wait) {
  auto self = wait->casino.lock();
  if (!self) return wait->done();
  auto& saves = self->saves();
  auto state = wait->watch.poll(g_get_monotonic_time(), saves.settled(), saves.progress());
  if (state == SettleWatch::State::settled && saves.fileBehind() && !wait->retried) {
    // The store's next try may be seconds away, and a page that did not post
    // (stopped, still loading, not answering) brings none: the saves held in
    // memory get a try of their own now, or they would end with the process.
    wait->retried = true;
    saves.replaceAll(saves.values());
    state = SettleWatch::State::waiting;
  }
  if (state == SettleWatch::State::waitingLong && wait->slow) std::exchange(wait->slow, nullptr)();
  if (state == SettleWatch::State::hung)
    logFailure("Velmar Casino: saves.json is still being written and the disk has made no progress for " +
               std::to_string(SettleWatch::kGiveUpAfter.count() / 1000) + " s; going on without waiting for it");
  if (state == SettleWatch::State::settled || state == SettleWatch::State::hung) return wait->done();
  after(0.05, [wait] { pollWrites(wait); });
}

}  // namespace

void Casino::flush(std::function<void()> completion, std::function<void()> slow) {
  auto wait = std::make_shared<WritesWait>(WritesWait{weak_from_this(), SettleWatch(g_get_monotonic_time(), 0),
                                                      std::move(slow), std::move(completion)});
  if (!wait->done) wait->done = [] {};
  flushThen(impl_->view.get(), [wait](bool) {
    // Messages still being read go in before the wait for the writes.
    if (auto self = wait->casino.lock()) self->landMessages();
    pollWrites(wait);
  });
}

void Casino::open(const std::string& url) {
  auto ticket = ++impl_->opening;
  flushThen(impl_->view.get(), [weak = weak_from_this(), url, ticket](bool answered) {
    auto self = weak.lock();
    if (self && self->impl_->opening == ticket) self->load(url, !answered);
  });
}

void Casino::reload() {
  auto url = currentURL();
  if (url) open(*url);
}

void Casino::resetCurrentTable() {
  if (const Table* table = currentTable()) resetTable(*table);
}

void Casino::resetTable(const Table& named) { changeTableKey(named, std::nullopt); }

void Casino::restoreTable(const Table& table, std::string value) { changeTableKey(table, std::move(value)); }

void Casino::changeTableKey(const Table& named, std::optional<std::string> value) {
  auto& d = *impl_;
  const Table* table = &named;
  auto change = [table](SaveStore& saves, std::optional<std::string> value) {
    if (value)
      saves.set(std::string(table->storeKey), std::move(*value));
    else
      saves.remove(std::string(table->storeKey));
  };
  landMessages();
  if (!d.view) return change(d.saves, std::move(value));
  std::string next = currentTable() == table ? Tables::url(table->file) : currentURL().value_or(Tables::lobbyURL());
  // Ignore the page before freezing it, and freeze it before touching the
  // store, so no save of the old page can bring the old value back.
  d.ignored.set(d.view.get());
  // A page that never answers cannot hold the change up: after the flush
  // time-out the key changes all the same and the page gets a new process.
  auto ticket = ++d.opening;
  auto race = raceOnce([weak = weak_from_this(), change, value = std::move(value), ticket, next](bool answered) {
    auto self = weak.lock();
    if (!self) return;
    self->landMessages();
    change(self->impl_->saves, value);
    if (self->impl_->opening == ticket) self->load(next, !answered);
  });
  after(kFlushTimeout, race.timedOut);
  evaluate(d.view.get(), freezeScript(*table), race.answered);
}

void Casino::setZoom(double zoom) {
  impl_->zoom = zoom;
  if (impl_->view) webkit_web_view_set_zoom_level(impl_->view.get(), zoom);
}

WebKitWebView* Casino::makeView(WebKitWebView* related) {
  auto& d = *impl_;
  auto manager = Ref<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
  g_autoptr(WebKitWebsitePolicies) policies =
      webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr);
  GObject* object;
  if (related) {
    // Sharing the related view's web process makes the view several times
    // cheaper than one with a process of its own.
    object = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related, "settings", d.settings.get(),
                                   "user-content-manager", manager.get(), "website-policies", policies, nullptr));
  } else {
    object = G_OBJECT(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", d.context.get(), "network-session",
                                   webkit_network_session_get_default(), "settings", d.settings.get(),
                                   "user-content-manager", manager.get(), "website-policies", policies, nullptr));
  }
  auto* view = WEBKIT_WEB_VIEW(object);
  g_object_ref_sink(view);
  GdkRGBA clear{0, 0, 0, 0};
  webkit_web_view_set_background_color(view, &clear);
  return view;
}

void Casino::prepareSpare() {
  auto& d = *impl_;
  if (d.spare || !d.view) return;
  d.spare = Ref<WebKitWebView>::adopt(makeView(d.view.get()));
  // A blank page at our own address makes the engine set the page up in the
  // web process now rather than on the next switch. An about:blank page would
  // not do: leaving it for our scheme swaps to a new web process (WebKitGTK 2.50).
  webkit_web_view_load_html(d.spare.get(), "", std::string(kBaseURL).c_str());
}

void Casino::load(const std::string& url, bool ownProcess) {
  auto& d = *impl_;
  webkit_settings_set_enable_developer_extras(d.settings.get(), g_getenv("VELMAR_DEBUG") != nullptr);

  // A page that did not answer may hold its web process busy for good: the
  // next page then gets a process of its own, and the spare made in the busy
  // one goes with it.
  auto* currentLink = d.view ? linkOf(d.view.get()) : nullptr;
  if (currentLink && currentLink->ended) ownProcess = true;
  Ref<WebKitWebView> next;
  if (ownProcess || !d.view) {
    d.spare.reset();
    next = Ref<WebKitWebView>::adopt(makeView(nullptr));
  } else if (d.spare) {
    next = std::move(d.spare);
  } else {
    next = Ref<WebKitWebView>::adopt(makeView(d.view.get()));
  }
  adopt(next.get(), url);

  webkit_web_view_set_zoom_level(next.get(), d.zoom);

  Ref<WebKitWebView> previous = std::move(d.view);
  d.view = next;
  putStage();
  // The new page goes in under whatever is shown: it draws there, unseen,
  // until it is ready.
  gtk_overlay_add_overlay(GTK_OVERLAY(d.stage), GTK_WIDGET(next.get()));
  gtk_widget_insert_after(GTK_WIDGET(next.get()), d.stage, nullptr);
  linkOf(next.get())->hostLoad = url;
  linkOf(next.get())->page = url;
  webkit_web_view_load_uri(next.get(), url.c_str());
  if (gtk_widget_get_root(GTK_WIDGET(next.get()))) gtk_widget_grab_focus(GTK_WIDGET(next.get()));
  // Only a page that was on screen stays there; one still opening has drawn
  // nothing worth keeping, and one whose process is ended would show nothing.
  bool keep = previous && !d.waiting && !ownProcess;
  // A kept page shares the process of the one left now, which may be ended.
  if ((keep || ownProcess) && d.leaving) dismiss(std::exchange(d.leaving, nullptr).get(), !ownProcess);
  if (previous) retire(previous.get(), ownProcess, keep);
  if (keep) d.leaving = previous;
  d.waiting = true;
  d.switchedAt = g_get_monotonic_time();
  auto number = ++d.switches;
  if (d.placeholder) showPlaceholder();
  afterWeak(kPlaceholderDelay, shared_from_this(), [number](Casino& self) {
    if (self.impl_->waiting && self.impl_->switches == number) self.showPlaceholder();
  });

  if (onPageChange) onPageChange(Tables::table(url));
}

bool Casino::pageReady() const { return impl_->view && !impl_->waiting; }

WebKitWebView* Casino::shownView() const {
  auto& d = *impl_;
  return d.waiting ? d.leaving.get() : d.view.get();
}

void Casino::putStage() {
  auto& d = *impl_;
  if (!d.stage) {
    d.stage = gtk_overlay_new();
    g_object_ref_sink(d.stage);
    gtk_widget_set_name(d.stage, "pages");
    // Keys pressed while the next page opens are held for it; the window's
    // own shortcuts go on (pageKey).
    auto* keys = gtk_event_controller_key_new();
    gtk_event_controller_set_name(keys, "held-keys");
    gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
    using Handler = std::weak_ptr<Casino>;
    g_signal_connect_data(
        keys, "key-pressed", G_CALLBACK(+[](GtkEventControllerKey*, guint keyval, guint, GdkModifierType state, gpointer data) -> gboolean {
          auto self = static_cast<Handler*>(data)->lock();
          return self && self->onKey(keyval, state);
        }),
        new Handler(weak_from_this()), [](gpointer data, GClosure*) { delete static_cast<Handler*>(data); }, G_CONNECT_DEFAULT);
    gtk_widget_add_controller(d.stage, keys);
  }
  auto bin = d.container.lock();
  if (bin && adw_bin_get_child(bin.get()) != d.stage) adw_bin_set_child(bin.get(), d.stage);
}

bool Casino::onKey(unsigned keyval, GdkModifierType state) {
  auto& d = *impl_;
  if (!d.waiting) return false;
  const char* name = gdk_keyval_name(keyval);
  bool shift = (state & GDK_SHIFT_MASK) != 0;
  auto key = pageKey({name ? name : "", gdk_keyval_to_unicode(keyval), shift, (state & GDK_CONTROL_MASK) != 0,
                      (state & GDK_ALT_MASK) != 0, (state & (GDK_SUPER_MASK | GDK_META_MASK)) != 0});
  if (!key) return false;
  // A key that cannot be kept is answered, at once, where the player looks.
  bool first = d.held.empty();
  if (!d.held.hold(std::move(*key), shift)) {
    if (!d.keysRefused) {
      d.keysRefused = true;
      logLine("Velmar Casino: more than " + std::to_string(HeldKeys::kMax) +
              " keys were pressed while the page opened; the rest were not kept");
      showPlaceholder();
    }
  } else if (first && d.placeholder) {
    showPlaceholder();
  }
  return true;
}

void Casino::showPlaceholder() {
  auto& d = *impl_;
  if (!d.stage || !d.waiting) return;
  if (!d.placeholder) {
    d.placeholder = adw_status_page_new();
    gtk_widget_set_name(d.placeholder, "opening");
    // Opaque, so the page left behind does not show through its words.
    gtk_widget_add_css_class(d.placeholder, "view");
    gtk_widget_set_can_target(d.placeholder, TRUE);
    auto* spinner = gtk_spinner_new();
    gtk_spinner_start(GTK_SPINNER(spinner));
    gtk_widget_set_size_request(spinner, 48, 48);
    adw_status_page_set_child(ADW_STATUS_PAGE(d.placeholder), spinner);
    gtk_overlay_add_overlay(GTK_OVERLAY(d.stage), d.placeholder);
  }
  const Table* table = Tables::table(d.view ? linkOf(d.view.get())->page : std::string());
  std::string name = table ? std::string(table->name) : _("Lobby");
  std::string description;
  if (d.keysRefused) {
    // Translators: %s is the table's name, such as "Roulette Royale", or "Lobby".
    g_autofree char* text = g_strdup_printf(
        _("%s is still opening. The keys pressed last were not kept: press them again once it is open."), name.c_str());
    description = text;
  } else if (!d.held.empty()) {
    description = _("Opening… The keys you pressed will reach it once it is open.");
  } else {
    description = _("Opening…");
  }
  adw_status_page_set_title(ADW_STATUS_PAGE(d.placeholder), name.c_str());
  adw_status_page_set_description(ADW_STATUS_PAGE(d.placeholder), description.c_str());
  std::string said = name + ". " + description;
  gtk_accessible_update_property(GTK_ACCESSIBLE(d.placeholder), GTK_ACCESSIBLE_PROPERTY_LABEL, said.c_str(), -1);
#if GTK_CHECK_VERSION(4, 14, 0)
  gtk_accessible_announce(GTK_ACCESSIBLE(d.placeholder), said.c_str(), GTK_ACCESSIBLE_ANNOUNCEMENT_PRIORITY_MEDIUM);
#endif
}

void Casino::onReadyMessage(WebKitWebView* sender) {
  auto& d = *impl_;
  if (sender != d.view.get()) return;
  static const bool stamp = g_getenv("VELMAR_BENCH_STAMP") != nullptr;
  if (stamp) {
    std::printf("ready %" G_GINT64_FORMAT "\n", g_get_monotonic_time());
    std::fflush(stdout);
  }
  finishSwitch(sender);
}

void Casino::finishSwitch(WebKitWebView* view) {
  auto& d = *impl_;
  if (!d.waiting || view != d.view.get()) return;
  auto keys = d.held.take();
  endSwitch();
  if (!keys.empty()) {
    auto script = HeldKeys::deliveryScript(keys);
    webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  if (gtk_widget_get_root(GTK_WIDGET(view))) gtk_widget_grab_focus(GTK_WIDGET(view));
  if (onReady) onReady(linkOf(view)->table);
}

void Casino::endSwitch() {
  auto& d = *impl_;
  d.waiting = false;
  d.keysRefused = false;
  d.held.take();
  if (d.placeholder) {
    gtk_widget_unparent(d.placeholder);
    d.placeholder = nullptr;
  }
  if (d.leaving) dismiss(std::exchange(d.leaving, nullptr).get(), true);
}

void Casino::adopt(WebKitWebView* view, const std::string& url) {
  auto* link = new Link{weak_from_this()};
  g_object_set_data_full(G_OBJECT(view), kLinkKey, link, [](gpointer p) { delete static_cast<Link*>(p); });

  // The seed is the store's content at this moment, what every message read
  // so far brought included, as far as this page is given it; the script goes
  // in before the handler, as the page's first post can only follow the script.
  landMessages();
  auto* manager = webkit_web_view_get_user_content_manager(view);
  link->table = Tables::table(url);
  const auto& all = impl_->saves.values();
  SaveStore::Values own;
  if (link->table)
    for (const auto& [key, value] : all)
      if (seedsKey(link->table, key)) own.emplace_hint(own.end(), key, value);
  const auto& seed = link->table ? own : all;
  for (const auto& [key, value] : seed) link->given.push_back(key);
  link->seededPartially = !fitsAPage(seed);
  std::string seedText;
  try {
    seedText = link->table ? encodeSeed(own) : impl_->saves.seedJSON();
  } catch (const std::exception&) {
    seedText = "{}";
    link->seededPartially = true;
  }
  std::string source = PageScript::make(seedText, impl_->evening);
  g_autoptr(WebKitUserScript) script =
      webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                             WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  std::string handler(PageScript::handlerName);
  webkit_user_content_manager_register_script_message_handler(manager, handler.c_str(), nullptr);
  using Handler = WeakHandler<Casino>;
  g_signal_connect_data(
      manager, ("script-message-received::" + handler).c_str(),
      G_CALLBACK(+[](WebKitUserContentManager*, JSCValue* body, gpointer data) {
        static_cast<Handler*>(data)->forward(body);
      }),
      new Handler(weak_from_this(), view, &Casino::receive),
      [](gpointer data, GClosure*) { delete static_cast<Handler*>(data); }, G_CONNECT_DEFAULT);

  g_signal_connect(view, "decide-policy", G_CALLBACK(+[](WebKitWebView* v, WebKitPolicyDecision* decision,
                                                          WebKitPolicyDecisionType type, gpointer data) -> gboolean {
                     auto host = static_cast<Link*>(data)->host.lock();
                     return host ? host->onDecidePolicy(v, decision, type) : FALSE;
                   }),
                   link);
  g_signal_connect(view, "create", G_CALLBACK(+[](WebKitWebView*, WebKitNavigationAction* action, gpointer data) -> GtkWidget* {
                     if (auto host = static_cast<Link*>(data)->host.lock()) host->onCreate(action);
                     return nullptr;
                   }),
                   link);
  g_signal_connect(view, "context-menu", G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu* menu, WebKitHitTestResult*) -> gboolean {
                     removeHistoryItems(menu);
                     return FALSE;
                   }),
                   nullptr);
  g_signal_connect(view, "script-dialog", G_CALLBACK(+[](WebKitWebView* v, WebKitScriptDialog* dialog, gpointer data) -> gboolean {
                     auto host = static_cast<Link*>(data)->host.lock();
                     return host ? host->onScriptDialog(v, dialog) : FALSE;
                   }),
                   link);
  g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent event, gpointer data) {
                     if (auto host = static_cast<Link*>(data)->host.lock()) host->onLoadChanged(v, event);
                   }),
                   link);
  g_signal_connect(view, "notify::uri", G_CALLBACK(+[](WebKitWebView* v, GParamSpec*, gpointer data) {
                     const char* uri = webkit_web_view_get_uri(v);
                     if (uri && *uri) static_cast<Link*>(data)->address = uri;
                   }),
                   link);
  g_signal_connect(view, "web-process-terminated",
                   G_CALLBACK(+[](WebKitWebView* v, WebKitWebProcessTerminationReason, gpointer data) {
                     if (auto host = static_cast<Link*>(data)->host.lock()) host->onProcessEnded(v);
                   }),
                   link);
}

void Casino::retire(WebKitWebView* view, bool endProcess, bool keepShown) {
  if (keepShown) {
    // Still seen for a moment: nothing it does now may reach the saves, nor
    // may it take a click meant for the page coming.
    webkit_web_view_evaluate_javascript(view, "window.__vlCasino && window.__vlCasino.hush()", -1, nullptr, nullptr,
                                        nullptr, nullptr, nullptr);
    gtk_widget_set_can_target(GTK_WIDGET(view), FALSE);
    gtk_widget_set_can_focus(GTK_WIDGET(view), FALSE);
  }
  webkit_web_view_stop_loading(view);
  if (auto* link = linkOf(view)) g_signal_handlers_disconnect_by_data(view, link);
  // A page that did not answer would keep spinning in its process, which no
  // other page shares any more; it cannot be unloaded, only ended.
  if (endProcess) webkit_web_view_terminate_web_process(view);
  auto* manager = webkit_web_view_get_user_content_manager(view);
  std::string handler(PageScript::handlerName);
  webkit_user_content_manager_unregister_script_message_handler(manager, handler.c_str(), nullptr);
  g_signal_handlers_disconnect_matched(manager, G_SIGNAL_MATCH_ID, g_signal_lookup("script-message-received", G_OBJECT_TYPE(manager)), 0,
                                       nullptr, nullptr, nullptr);
  if (!keepShown) dismiss(view, !endProcess);
}

void Casino::dismiss(WebKitWebView* view, bool unload) {
  if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(view))) {
    if (ADW_IS_BIN(parent) && adw_bin_get_child(ADW_BIN(parent)) == GTK_WIDGET(view))
      adw_bin_set_child(ADW_BIN(parent), nullptr);
    else
      gtk_widget_unparent(GTK_WIDGET(view));
  }
  // Unloading the page ends its timers and scripts now rather than whenever
  // the last reference goes; an ended process has nothing left to unload, and
  // loading into it would only start a new one.
  if (unload) webkit_web_view_load_html(view, "", nullptr);
}

// ---------------------------------------------------------------------------
// Engine callbacks

gboolean Casino::onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  auto* action = webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  NavigationRequest request;
  if (uri && *uri) request.address = uri;
  auto kind = webkit_navigation_action_get_navigation_type(action);
  request.reload = kind == WEBKIT_NAVIGATION_TYPE_RELOAD || kind == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED;
  request.historyStep = kind == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD;

  // Until the host's own load has been decided, the view has no address of
  // its own; a prepared view's blank page still in flight then gives way.
  auto* link = linkOf(view);
  std::optional<std::string> current = addressOf(view);
  if (link && !link->hostLoad.empty()) {
    if (request.address != link->hostLoad) {
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    link->hostLoad.clear();
    current = std::nullopt;
  }
  switch (decideNavigation(request, current)) {
    case Navigation::Allow:
      webkit_policy_decision_use(decision);
      break;
    case Navigation::HandToSystem:
      webkit_policy_decision_ignore(decision);
      handToSystem(*request.address, webkit_navigation_action_is_user_gesture(action));
      break;
    case Navigation::OpenInHost:
      webkit_policy_decision_ignore(decision);
      open(*request.address);
      break;
    case Navigation::Refuse:
      webkit_policy_decision_ignore(decision);
      logLine(std::string("Velmar Casino: refused ") +
              (request.historyStep ? "to go back or forward to " : "to leave the casino for ") + *request.address);
      break;
  }
  return TRUE;
}

void Casino::onCreate(WebKitNavigationAction* action) {
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  std::optional<std::string> address;
  if (uri && *uri) address = uri;
  switch (decideNewWindow(address)) {
    case NewWindow::Nothing:
      break;
    case NewWindow::OpenInHost:
      open(*address);
      break;
    case NewWindow::HandToSystem:
      handToSystem(*address, webkit_navigation_action_is_user_gesture(action));
      break;
    case NewWindow::Refuse:
      logLine("Velmar Casino: refused to open a window for " + *address);
      break;
  }
}

void Casino::handToSystem(const std::string& address, bool userGesture) {
  switch (impl_->launchLimit.allow(userGesture, impl_->options.clock())) {
    case LaunchLimit::Verdict::Launch:
      impl_->options.openExternal(forSystem(address));
      break;
    case LaunchLimit::Verdict::NotFromThePlayer:
      logLine("Velmar Casino: refused to open " + address + ": the player did not ask for it");
      break;
    case LaunchLimit::Verdict::TooSoon:
      logLine("Velmar Casino: refused to open " + address + ": another address was opened less than a second ago");
      break;
  }
}

gboolean Casino::onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog) {
  auto kind = webkit_script_dialog_get_dialog_type(dialog);
  if (kind != WEBKIT_SCRIPT_DIALOG_ALERT && kind != WEBKIT_SCRIPT_DIALOG_CONFIRM) return FALSE;

  GtkRoot* root = gtk_widget_get_root(GTK_WIDGET(view));
  GtkWindow* parent = root && GTK_IS_WINDOW(root) ? GTK_WINDOW(root) : nullptr;
  GtkWidget* panel = alert::create(parent, webkit_script_dialog_get_message(dialog), nullptr);
  // Cancel comes first, as in every GNOME dialog.
  if (kind == WEBKIT_SCRIPT_DIALOG_CONFIRM) {
    alert::addResponse(panel, "cancel", _("_Cancel"));
    alert::setClose(panel, "cancel");
  }
  alert::addResponse(panel, "ok", _("_OK"));
  if (kind != WEBKIT_SCRIPT_DIALOG_CONFIRM) alert::setClose(panel, "ok");
  alert::setDefault(panel, "ok");

  // The answer travels with the dialog: it is given on the first response,
  // or as Cancel if the dialog goes away without one.
  g_signal_connect_data(
      panel, "response", G_CALLBACK(+[](GtkWidget* self, const char* response, gpointer data) {
        static_cast<DialogAnswer*>(data)->answer(g_strcmp0(response, "ok") == 0);
        // libadwaita 1.2 does not close the dialog itself, and closing it
        // would send a second response.
        alert::close(self);
      }),
      new DialogAnswer{webkit_script_dialog_ref(dialog)},
      [](gpointer data, GClosure*) { delete static_cast<DialogAnswer*>(data); }, G_CONNECT_DEFAULT);
  alert::present(panel);
  return TRUE;
}

void Casino::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event) {
  if (event != WEBKIT_LOAD_FINISHED || view != impl_->view.get()) return;
  // The start-up benchmark times the process up to here.
  static const bool stamp = g_getenv("VELMAR_BENCH_STAMP") != nullptr;
  if (stamp) {
    std::printf("loaded %" G_GINT64_FORMAT "\n", g_get_monotonic_time());
    std::fflush(stdout);
  }
  if (gtk_widget_get_root(GTK_WIDGET(view))) gtk_widget_grab_focus(GTK_WIDGET(view));
  prepareSpare();
  // A page that never says it is ready (a script that failed, a load that
  // failed) is shown as it is, and takes its keys, after a while.
  if (!impl_->waiting) return;
  afterWeak(impl_->options.readyBound, shared_from_this(), [number = impl_->switches](Casino& self) {
    auto& d = *self.impl_;
    if (!d.waiting || d.switches != number || !d.view) return;
    logLine("Velmar Casino: " + Tables::pageName(linkOf(d.view.get())->page) + " did not say it was ready within " +
            std::to_string(static_cast<int>(d.options.readyBound)) + " s of its load; shown as it is");
    self.finishSwitch(d.view.get());
  });
}

void Casino::showStopped(const std::string& pageName) {
  auto bin = impl_->container.lock();
  if (!bin) return;
  const Table* table = Tables::table(Tables::url(pageName));
  // Translators: %s is the table's name, such as "Roulette Royale", or "This page".
  g_autofree char* title = g_strdup_printf(_("%s stopped"), table ? std::string(table->name).c_str() : _("This page"));
  // The last frame of a page whose process is gone would look alive; the
  // next load, Reload's included, puts the page back in its place.
  auto* status = adw_status_page_new();
  adw_status_page_set_icon_name(ADW_STATUS_PAGE(status), "dialog-warning-symbolic");
  adw_status_page_set_title(ADW_STATUS_PAGE(status), title);
  adw_status_page_set_description(ADW_STATUS_PAGE(status),
                                  _("Its page ended several times within a minute, so it was not opened again. "
                                    "Your chips are saved. Press Ctrl+R to reload it."));
  gtk_widget_set_name(status, "stopped");
  endSwitch();
  adw_bin_set_child(bin.get(), status);
}

void Casino::onProcessEnded(WebKitWebView* view) {
  auto& d = *impl_;
  if (view != d.view.get()) return;
  // Whatever was prepared lived in the same process.
  d.spare.reset();
  if (auto* link = linkOf(view)) link->ended = true;
  auto url = currentURL();
  if (!url) return;
  auto name = Tables::pageName(*url);
  if (!d.reopenLimit.allow(d.options.clock())) {
    logFailure("Velmar Casino: page process ended again, not reopening " + name + " (" +
               std::to_string(ReopenLimit::kMaxReopenings) + " reopenings within a minute)");
    showStopped(name);
    return;
  }
  logLine("Velmar Casino: page process ended, reopening " + name);
  load(*url, true);
}

}  // namespace velmar
