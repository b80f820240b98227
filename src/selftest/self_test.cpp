// SPDX-License-Identifier: GPL-3.0-or-later
#include "selftest/self_test.h"

#include "catalog/tables.h"
#include "platform/gobject_ptr.h"
#include "platform/log.h"
#include "platform/timer.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

namespace velmar {

namespace {

// Runs a script in the view; done gets the string result (when it is one) and
// the error message (when there is one). done is called exactly once.
void evaluate(WebKitWebView* view, std::string_view script,
              std::function<void(std::optional<std::string>, std::optional<std::string>)> done) {
  auto* boxed = new decltype(done)(std::move(done));
  webkit_web_view_evaluate_javascript(
      view, script.data(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<decltype(done)> callback(static_cast<decltype(done)*>(data));
        g_autoptr(GError) error = nullptr;
        auto value = Ref<JSCValue>::adopt(
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
        std::optional<std::string> text;
        if (value && jsc_value_is_string(value.get())) {
          g_autofree char* s = jsc_value_to_string(value.get());
          text = s;
        }
        std::optional<std::string> message;
        if (error) message = error->message;
        (*callback)(std::move(text), std::move(message));
      },
      boxed);
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
  // A folder that cannot be made shows up as missing files; the run goes on.
  g_mkdir_with_parents(dir_.c_str(), 0755);
}

void SelfTest::run() {
  pages_ = selftest::pageList();
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
  if (index == pages_.size()) {
    checkSaveRoundTrip();
    return;
  }
  casino_->open(Tables::url(pages_[index]));
  afterWeak(timing_.settle, shared_from_this(), [index](SelfTest& self) { self.probe(index); });
}

void SelfTest::probe(size_t index) {
  if (done_) return;
  const auto& page = pages_[index];
  WebKitWebView* view = casino_->webView();
  if (!view) {
    logLine("selftest: no web view");
    stop("no web view when probing " + page);
    return;
  }
  logLine(selftest::probingLine(page, uriOf(view), webkit_web_view_is_loading(view)));
  auto viewRef = Ref<WebKitWebView>::retain(view);
  evaluate(view, selftest::kProbeScript,
           [self = shared_from_this(), index, viewRef](std::optional<std::string> text,
                                                       std::optional<std::string> error) {
             const auto& page = self->pages_[index];
             logLine(selftest::probeDoneLine(page, error));
             self->outcome_.records.push_back(selftest::makeRecord(page, {text, error}));
             // The picture comes from the view that ran the probe, even if a
             // newer one has taken its place since.
             struct Pending {
               std::shared_ptr<SelfTest> self;
               size_t index;
             };
             webkit_web_view_get_snapshot(
                 viewRef.get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
                 [](GObject* source, GAsyncResult* result, gpointer data) {
                   std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
                   auto& self = *pending->self;
                   auto texture = Ref<GdkTexture>::adopt(
                       webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr));
                   if (texture) {
                     g_autofree char* path =
                         g_build_filename(self.dir_.c_str(), (self.pages_[pending->index] + ".png").c_str(), nullptr);
                     gdk_texture_save_to_png(texture.get(), path);
                   }
                   self.visit(pending->index + 1);
                 },
                 new Pending{self, index});
           });
}

void SelfTest::checkSaveRoundTrip() {
  value_ = selftest::testValue(static_cast<double>(g_get_real_time()) / G_USEC_PER_SEC);
  WebKitWebView* view = casino_->webView();
  if (!view) {
    stop("no web view for the save round trip");
    return;
  }
  evaluate(view, selftest::writeScript(value_), [self = shared_from_this()](auto, auto) {
    afterWeak(self->timing_.saveWait, self, [](SelfTest& self) {
      if (self.done_) return;
      self.outcome_.saveRoundTrip = selftest::roundTripHolds(self.casino_->saves().values(), self.value_);
      WebKitWebView* view = self.casino_->webView();
      if (!view) {
        self.stop("no web view to remove the test key");
        return;
      }
      evaluate(view, selftest::removeScript(), [self = self.shared_from_this()](auto, auto) {
        after(self->timing_.clearWait, [self] { self->finish(); });
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
  // Written in place, not through a temporary: readers look only after the
  // process has ended.
  if (!g_file_set_contents_full(path, text.data(), static_cast<gssize>(text.size()), G_FILE_SET_CONTENTS_NONE, 0644,
                                nullptr))
    logFailure(std::string("selftest: couldn't write ") + path);
  if (quit_) quit_(selftest::exitStatus(outcome_));
}

void SelfTest::stop(const std::string& why) {
  logFailure("selftest: stopped: " + why);
  outcome_.stoppedBy = why;
  finish();
}

}  // namespace velmar
