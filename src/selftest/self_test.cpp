// SPDX-License-Identifier: GPL-3.0-or-later
#include "selftest/self_test.h"

#include "catalog/tables.h"
#include "platform/gobject_ptr.h"
#include "platform/log.h"
#include "platform/timer.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <unistd.h>

namespace velmar {

namespace {

using Answer = std::function<void(std::optional<std::string>, std::optional<std::string>)>;

// Hands a script's outcome to the Answer in data, which it then deletes.
void deliver(gpointer data, JSCValue* adopted, GError* error) {
  std::unique_ptr<Answer> done(static_cast<Answer*>(data));
  auto value = Ref<JSCValue>::adopt(adopted);
  std::optional<std::string> text;
  if (value && jsc_value_is_string(value.get())) {
    g_autofree char* s = jsc_value_to_string(value.get());
    text = s;
  }
  std::optional<std::string> message;
  if (error) message = error->message;
  (*done)(std::move(text), std::move(message));
}

// Runs a script in the view; done gets the string result (when it is one) and
// the error message (when there is one). done is called exactly once. With
// arguments (a floating a{sv}), the script is a function body that sees them
// by name.
void evaluate(WebKitWebView* view, std::string_view script, Answer done, GVariant* arguments = nullptr) {
  auto* boxed = new Answer(std::move(done));
  auto length = static_cast<gssize>(script.size());
  if (arguments) {
    webkit_web_view_call_async_javascript_function(
        view, script.data(), length, arguments, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          g_autoptr(GError) error = nullptr;
          deliver(data, webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error),
                  error);
        },
        boxed);
    return;
  }
  webkit_web_view_evaluate_javascript(
      view, script.data(), length, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        g_autoptr(GError) error = nullptr;
        deliver(data, webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error), error);
      },
      boxed);
}

// The round trip's scripts see the test key and value by name.
GVariant* testKey(const std::string& value) {
  GVariantDict names;
  g_variant_dict_init(&names, nullptr);
  g_variant_dict_insert(&names, "key", "s", std::string(selftest::kTestKey).c_str());
  g_variant_dict_insert(&names, "value", "s", value.c_str());
  return g_variant_dict_end(&names);
}

// What a web view's load-changed handler needs to find its step.
struct LoadWatch {
  std::weak_ptr<SelfTest> self;
  unsigned step;
};

// The last resort when even the main loop no longer runs: the process ends
// a while after the run's own bound, with a failing status.
void startWatchdog(double seconds) {
  g_thread_unref(g_thread_new(
      "selftest-watchdog",
      +[](gpointer data) -> gpointer {
        std::unique_ptr<double> limit(static_cast<double*>(data));
        g_usleep(static_cast<gulong>(*limit * G_USEC_PER_SEC));
        logFailure("selftest: the process did not end within " + selftest::secondsText(*limit) + ", ending it");
        _exit(1);
      },
      new double(seconds)));
}

// Writes the file in place; one that could not be written whole is removed,
// so that no reader takes a part for the whole.
bool writeWhole(const char* path, const char* bytes, size_t size, GError** error) {
  if (g_file_set_contents_full(path, bytes, static_cast<gssize>(size), G_FILE_SET_CONTENTS_NONE, 0644, error))
    return true;
  g_remove(path);
  return false;
}

std::optional<std::string> uriOf(WebKitWebView* view) {
  const char* uri = webkit_web_view_get_uri(view);
  if (!uri || !*uri) return std::nullopt;
  return std::string(uri);
}

}  // namespace

std::shared_ptr<SelfTest> SelfTest::create(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit,
                                           Timing timing) {
  return std::shared_ptr<SelfTest>(new SelfTest(std::move(casino), std::move(reportDir), std::move(quit), timing));
}

SelfTest::SelfTest(std::shared_ptr<Casino> casino, std::string reportDir, Quit quit, Timing timing)
    : casino_(std::move(casino)), dir_(std::move(reportDir)), quit_(std::move(quit)), timing_(timing) {
  timing_.pageBound = selftest::boundFrom(g_getenv("VELMAR_SELFTEST_PAGE_BOUND"), timing_.pageBound);
  timing_.runBound = selftest::boundFrom(g_getenv("VELMAR_SELFTEST_RUN_BOUND"), timing_.runBound);
  // The shell has tried the folder (unusableFolder) already; made here too for any other caller.
  g_mkdir_with_parents(dir_.c_str(), 0755);
}

std::optional<std::string> SelfTest::unusableFolder(const std::string& dir) {
  if (g_mkdir_with_parents(dir.c_str(), 0755) != 0) return std::string("couldn't make it: ") + g_strerror(errno);
  // Only a write shows a read-only mount, a full disk or a folder root may
  // not write to.
  g_autofree char* probe = g_build_filename(dir.c_str(), ".velmar-selftest-probe", nullptr);
  g_autoptr(GError) error = nullptr;
  bool written = g_file_set_contents_full(probe, "probe\n", -1, G_FILE_SET_CONTENTS_NONE, 0644, &error);
  g_remove(probe);
  if (!written) return std::string(error->message);
  return std::nullopt;
}

void SelfTest::run() {
  pages_ = selftest::pageList();
  // The load to wait for begins in the host's own time (after the page it
  // leaves has flushed): the host says when a new view has taken over.
  casino_->onPageChange = [chained = std::move(casino_->onPageChange),
                           weak = weak_from_this()](const Table* table) {
    if (chained) chained(table);
    auto self = weak.lock();
    if (self && !self->done_ && self->stage_ == selftest::Stage::Loading) self->watch(self->casino_->webView());
  };
  double bound = timing_.runBound > 0 ? timing_.runBound : selftest::runBound(timing_.pageBound, pages_.size());
  afterWeak(bound, shared_from_this(), [bound](SelfTest& self) {
    if (!self.done_) self.stop("the run did not end within " + selftest::secondsText(bound));
  });
  startWatchdog(bound + 60.0);
  visit(0);
}

bool SelfTest::interrupt(const std::string& cause) {
  if (done_) return false;
  outcome_.stoppedBy = "stopped by " + cause + " before the run was complete";
  logFailure("selftest: " + *outcome_.stoppedBy);
  finish();
  return true;
}

void SelfTest::visit(size_t index) {
  // A stopped run has reported; what was still under way goes no further.
  if (done_) return;
  index_ = index;
  if (index == pages_.size()) {
    checkSaveRoundTrip();
    return;
  }
  stage_ = selftest::Stage::Loading;
  auto step = ++step_;
  afterWeak(timing_.pageBound, shared_from_this(), [step](SelfTest& self) { self.outOfTime(step); });
  // May load at once, and so call watch before returning.
  casino_->open(Tables::url(pages_[index]));
}

void SelfTest::watch(WebKitWebView* view) {
  if (!view) return;
  g_signal_connect_data(
      view, "load-changed", G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent event, gpointer data) {
        auto* watch = static_cast<LoadWatch*>(data);
        auto self = watch->self.lock();
        if (self && event == WEBKIT_LOAD_FINISHED && v == self->casino_->webView()) self->loaded(watch->step);
      }),
      new LoadWatch{weak_from_this(), step_}, [](gpointer data, GClosure*) { delete static_cast<LoadWatch*>(data); },
      G_CONNECT_DEFAULT);
}

void SelfTest::loaded(unsigned step) {
  if (done_ || step != step_ || stage_ != selftest::Stage::Loading) return;
  stage_ = selftest::Stage::Settling;
  afterWeak(timing_.settle, shared_from_this(), [step](SelfTest& self) { self.whenDrawn(step); });
}

// A table draws its scene only after it takes bets; its picture waits for
// the scene, within the page's bound.
void SelfTest::whenDrawn(unsigned step) {
  if (done_ || step != step_) return;
  // Asking is already probing: a page that never yields does not answer this either.
  stage_ = selftest::Stage::Probing;
  WebKitWebView* view = casino_->webView();
  if (!view) {
    probe(index_);
    return;
  }
  evaluate(view, "document.body?.dataset.stage === 'pending' ? 'pending' : 'drawn'",
           [self = shared_from_this(), step](std::optional<std::string> text, std::optional<std::string>) {
             if (self->done_ || step != self->step_) return;
             if (text != "pending") {
               self->probe(self->index_);
               return;
             }
             afterWeak(0.25, self, [step](SelfTest& again) { again.whenDrawn(step); });
           });
}

void SelfTest::probe(size_t index) {
  const auto& page = pages_[index];
  WebKitWebView* view = casino_->webView();
  if (!view) {
    logLine("selftest: no web view");
    stop("no web view when probing " + page);
    return;
  }
  stage_ = selftest::Stage::Probing;
  logLine(selftest::probingLine(page, uriOf(view), webkit_web_view_is_loading(view)));
  auto viewRef = Ref<WebKitWebView>::retain(view);
  evaluate(view, selftest::probeScript(),
           [self = shared_from_this(), index, step = step_, viewRef](std::optional<std::string> text,
                                                                     std::optional<std::string> error) {
             // An answer after the page's bound ran out: the run has moved on.
             if (self->done_ || step != self->step_) return;
             const auto& page = self->pages_[index];
             logLine(selftest::probeDoneLine(page, error));
             auto record = selftest::makeRecord(page, {text, error});
             selftest::checkRecord(record);
             if (!error && record.contains("error"))
               logFailure("selftest: " + page + ": " + record["error"].get<std::string>());
             self->outcome_.records.push_back(std::move(record));
             self->stage_ = selftest::Stage::Picturing;
             // The picture comes from the view that ran the probe, even if a
             // newer one has taken its place since.
             struct Pending {
               std::shared_ptr<SelfTest> self;
               size_t index;
               unsigned step;
             };
             webkit_web_view_get_snapshot(
                 viewRef.get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
                 [](GObject* source, GAsyncResult* result, gpointer data) {
                   std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
                   auto texture = Ref<GdkTexture>::adopt(
                       webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr));
                   auto& self = *pending->self;
                   if (self.done_ || pending->step != self.step_) return;
                   self.picture(pending->index, texture.get());
                 },
                 new Pending{self, index, step});
           });
}

void SelfTest::picture(size_t index, GdkTexture* texture) {
  auto& record = outcome_.records.back();
  const auto name = pages_[index] + ".png";
  std::optional<std::string> failure;
  if (!texture) {
    failure = "the page gave no picture";
  } else {
    g_autoptr(GBytes) png = gdk_texture_save_to_png_bytes(texture);
    g_autofree char* path = g_build_filename(dir_.c_str(), name.c_str(), nullptr);
    g_autoptr(GError) error = nullptr;
    gsize size = 0;
    const auto* bytes = static_cast<const char*>(g_bytes_get_data(png, &size));
    if (!writeWhole(path, bytes, size, &error)) failure = "couldn't write " + name + ": " + error->message;
  }
  if (failure) {
    logFailure("selftest: " + *failure);
    selftest::addError(record, *failure);
  }
  visit(index + 1);
}

void SelfTest::outOfTime(unsigned step) {
  if (done_ || step != step_) return;
  const auto& page = pages_[index_];
  if (outcome_.records.size() <= index_) outcome_.records.push_back(selftest::makeRecord(page, {}));
  auto why = selftest::boundError(stage_, timing_.pageBound);
  logFailure("selftest: " + page + ": " + why);
  selftest::addError(outcome_.records.back(), why);
  // The page's web process may spin for good; the host gives the next page a
  // process of its own when this one does not answer its flush.
  visit(index_ + 1);
}

void SelfTest::roundTripScript(std::string_view script, const std::string& what, std::function<void(SelfTest&)> next) {
  WebKitWebView* view = casino_->webView();
  if (!view) {
    stop("no web view " + what);
    return;
  }
  auto step = ++step_;
  afterWeak(timing_.pageBound, shared_from_this(), [step, what](SelfTest& self) {
    if (!self.done_ && step == self.step_)
      self.stop("the page did not answer the script " + what + " within " + selftest::secondsText(self.timing_.pageBound));
  });
  evaluate(
      view, script,
      [self = shared_from_this(), step, next = std::move(next)](auto, auto) {
        if (self->done_ || step != self->step_) return;
        ++self->step_;
        next(*self);
      },
      testKey(value_));
}

void SelfTest::checkSaveRoundTrip() {
  value_ = selftest::testValue(static_cast<double>(g_get_real_time()) / G_USEC_PER_SEC);
  roundTripScript(selftest::kWriteScript, "for the save round trip", [](SelfTest& self) {
    afterWeak(self.timing_.saveWait, self.shared_from_this(), [](SelfTest& self) {
      if (self.done_) return;
      self.outcome_.saveRoundTrip = selftest::roundTripHolds(self.casino_->saves().values(), self.value_);
      self.roundTripScript(selftest::kRemoveScript, "to remove the test key", [](SelfTest& self) {
        after(self.timing_.clearWait, [self = self.shared_from_this()] { self->finish(); });
      });
    });
  });
}

void SelfTest::finish() {
  if (done_) return;
  done_ = true;
  outcome_.selftestKeyCleared = selftest::keyCleared(casino_->saves().values());
  auto text = selftest::reportText(outcome_);
  g_autofree char* path = g_build_filename(dir_.c_str(), "report.json", nullptr);
  g_autoptr(GError) error = nullptr;
  // Written in place, not through a temporary: readers look only after the
  // process has ended.
  if (!writeWhole(path, text.data(), text.size(), &error)) {
    outcome_.writeFailure = error->message;
    logFailure(std::string("selftest: couldn't write the report: ") + error->message);
  }
  if (quit_) quit_(selftest::exitStatus(outcome_));
}

void SelfTest::stop(const std::string& why) {
  logFailure("selftest: stopped: " + why);
  outcome_.stoppedBy = why;
  finish();
}

}  // namespace velmar
