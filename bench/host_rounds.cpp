// SPDX-License-Identifier: GPL-3.0-or-later
// One round at each table, at each of the player's speeds, in 3D and on the
// flat drawing (the page address carrying ?flat): from the deal or spin key
// to the settled result (the time, result_ms), to the next bet offered
// (ready_ms), and the frame pacing in between from the page's own
// requestAnimationFrame timestamps: frames a round, the median and 95th
// percentile of the frame interval, and the frames over 50 ms. Run under a
// display with VELMAR_BENCH_WEB naming the staged web folder:
// xvfb-run -a dbus-run-session -- bench/bench_host_rounds. The window is the
// application's default size; VELMAR_BENCH_ROUNDS sets the rounds of each.

#include "catalog/prefs.h"
#include "catalog/tables.h"
#include "host/casino.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace velmar;
using nlohmann::json;

void waitFor(const std::function<bool()>& cond) {
  while (!cond()) g_main_context_iteration(nullptr, TRUE);
}

std::string webFolder() {
  const char* dir = g_getenv("VELMAR_BENCH_WEB");
  return dir ? dir : "";
}

std::string scratch() {
  static std::string dir = [] {
    g_autofree char* d = g_dir_make_tmp("velmar-bench-XXXXXX", nullptr);
    Prefs::useFile(std::string(d) + "/preferences.ini");
    return std::string(d);
  }();
  return dir;
}

// The application's window at its default size (window_state.h), less its
// header bar.
constexpr int kWidth = 1440, kHeight = 900 - 47;

// Runs `body` as an async function in the page; its value as JSON.
json run(WebKitWebView* view, const std::string& body) {
  struct Outcome {
    bool done = false;
    std::string text;
  };
  auto out = std::make_shared<Outcome>();
  webkit_web_view_call_async_javascript_function(
      view, body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Outcome>> held(static_cast<std::shared_ptr<Outcome>*>(data));
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
        if (value) {
          g_autofree char* text = jsc_value_is_undefined(value) ? nullptr : jsc_value_to_json(value, 0);
          (*held)->text = text ? text : "null";
          g_object_unref(value);
        } else {
          (*held)->text = json(std::string("error: ") + (error ? error->message : "unknown")).dump();
          g_clear_error(&error);
        }
        (*held)->done = true;
      },
      new std::shared_ptr<Outcome>(out));
  waitFor([&] { return out->done; });
  return json::parse(out->text, nullptr, false);
}

// How a player plays a round at each table: the bet placed when none is,
// the deal's key, and the move made whenever the round waits for one (the
// call, standing, no insurance) as the table's tests play it.
struct Round {
  const char *name, *file, *key, *deal, *dealKey, *bet, *move;
};
const Round kRounds[] = {
    {"roulette", "roulette-3d.html", "roulette-royale.v1", "[data-action=spin]", "s", "click(5, '[data-spot=\"red\"]')", ""},
    {"blackjack", "blackjack-3d.html", "blackjack-royale.v1", "[data-action=deal]", "Enter", "click(5, '#spot')",
     "const phase = s.game.round?.phase;"
     "if (phase === 'insurance' && offered('[data-action=no-insure]')) press('n');"
     "else if (phase === 'player' && offered('[data-action=stand]')) press('s');"},
    {"baccarat", "baccarat-3d.html", "baccarat-royale.v1", "[data-action=deal]", "Enter", "click(5, '.bc-spot.banker')", ""},
    {"poker", "poker-3d.html", "poker-royale.v1", "[data-action=deal]", "Enter", "click(5, '#spot-ante')",
     "if (s.game.round && offered('[data-action=call]')) press('k');"},
};
const char* const kSpeeds[] = {"normal", "fast", "instant"};

// One round, timed in the page. The frames are counted from the key to the
// next bet offered; the page is asked every 10 ms, which its frames barely feel.
constexpr const char* kRoundScript = R"JS(
  const $ = (s) => document.querySelector(s);
  const click = (...targets) => targets.forEach((t) => $(typeof t === 'number' ? `.chip[data-value="${t}"]` : t).click());
  const press = (key) => (document.activeElement ?? document.body)
    .dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
  const offered = (s) => { const b = $(s); return !!b && b.getAttribute('aria-disabled') !== 'true' && !b.closest('[hidden]'); };
  const state = () => JSON.parse(localStorage.getItem(@KEY@));
  // A round that never ends says where it stood after two minutes.
  const until = (cond, every = 10) => new Promise((done, fail) => {
    const end = performance.now() + 120000;
    const ask = () => {
      let v; try { v = cond(); } catch {}
      if (v) done(v);
      else if (performance.now() > end) fail(new Error(`stuck: ${$('.message')?.textContent} bet ${$('.meter.bet .value').textContent} ${localStorage.getItem(@KEY@)?.slice(0, 300)}`));
      else setTimeout(ask, every);
    };
    ask();
  });
  const { setPace } = await import(new URL('js/kit/pace.js', location.href).href);
  setPace(@SPEED@);
  // The next bet is offered once the deal or the rebet is (which one depends on
  // whether the table keeps the bets on after a round).
  const betting = () => offered(@DEAL@) || offered('[data-action=repeat]');
  // A bet placed while the last round is still shown is refused: it is placed again.
  await until(() => {
    if (!state().game.round && $('.meter.bet .value').textContent.trim() === '0') @BET@;
    return offered(@DEAL@);
  }, 50);
  const rounds = () => state().stats.rounds ?? 0, before = rounds();
  const frames = [];
  let counting = true;
  const tick = (t) => { frames.push(t); if (counting) requestAnimationFrame(tick); };
  await new Promise((r) => requestAnimationFrame((t) => { frames.push(t); r(); }));
  requestAnimationFrame(tick);
  const start = performance.now();
  press(@DEAL_KEY@);
  let result = 0;
  const ready = await until(() => {
    const s = state();
    @MOVE@;
    if (!result && (s.stats.rounds ?? 0) > before && !s.game.round) result = performance.now();
    return result && betting() && performance.now();
  });
  counting = false;
  const seen = frames.filter((t) => t >= start - 17 && t <= ready);
  const intervals = seen.slice(1).map((t, i) => t - seen[i]);
  return { result: result - start, ready: ready - start, intervals, message: $('.message').textContent };
)JS";

std::string replaced(std::string text, const std::string& what, const std::string& with) {
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  auto at = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
  return v[at];
}

// The table's page, open in the window, kept for the next speed of the same
// table and drawing.
struct Open {
  std::string address;
  GtkWindow* window = nullptr;
  std::shared_ptr<Casino> casino;
  ~Open() { close(); }
  void close() {
    if (!window) return;
    casino.reset();
    gtk_window_destroy(window);
    window = nullptr;
    waitFor([] { return !g_main_context_pending(nullptr); });
  }
  // Empty when the page came up with the drawing asked for, else what it has.
  std::string show(const Round& round, bool flat) {
    std::string wanted = Tables::url(round.file) + (flat ? "?flat" : "");
    if (wanted == address) return "";
    close();
    address = wanted;
    adw_init();
    window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_default_size(window, kWidth, kHeight);
    auto* bin = ADW_BIN(adw_bin_new());
    gtk_window_set_child(window, GTK_WIDGET(bin));
    gtk_window_present(window);
    Casino::Options options;
    options.saveBase = scratch();
    options.openExternal = [](const std::string&) {};
    casino = Casino::create(webFolder(), bin, options);
    // Chips enough for every round, and quiet.
    casino->saves().replaceAll(
        {{round.key, R"({"version":1,"bankroll":100000000,"settings":{"muted":true},"stats":{},"history":[],"game":{}})"},
         {"velmar-casino.player", R"({"muted":true})"}});
    return settle(flat, [&] {
      casino->open(wanted);
      return true;
    });
  }
  // Runs `start`, waits for the page it brings (if it says one comes) to be
  // ready, then for its drawing; empty when that drawing is the one asked for.
  std::string settle(bool flat, const std::function<bool()>& start) {
    bool ready = false;
    casino->onReady = [&](const Table*) { ready = true; };
    bool coming = start();
    waitFor([&] { return ready || !coming; });
    casino->onReady = nullptr;
    // The scene is up once the page marks which drawing it has (pending till then).
    const std::string want = flat ? "2d" : "webgl";
    for (;;) {
      json stage = run(casino->webView(), "return document.body.dataset.stage ?? null;");
      if (stage == "webgl" || stage == "2d") return stage == want ? "" : "the stage is " + stage.get<std::string>();
      g_usleep(100'000);
    }
  }
};
Open shown;

// Runs the main loop for `us` microseconds, or until the host has put a new
// view in place of `view` (after its process ended; with no view, the whole
// time); whether it has.
bool replacedWithin(WebKitWebView* view, gint64 us) {
  gint64 end = g_get_monotonic_time() + us;
  while ((!view || shown.casino->webView() == view) && g_get_monotonic_time() < end)
    g_main_context_iteration(nullptr, FALSE);
  return shown.casino->webView() != view;
}

void PlayRound(benchmark::State& state, const Round& round, const char* speed, bool flat) {
  if (!g_file_test((webFolder() + "/js/kit/play.js").c_str(), G_FILE_TEST_EXISTS)) {
    state.SkipWithError("VELMAR_BENCH_WEB names no web folder with the tables");
    return;
  }
  bool fresh = shown.address != Tables::url(round.file) + (flat ? "?flat" : "");
  if (auto trouble = shown.show(round, flat); !trouble.empty()) {
    state.SkipWithError(trouble.c_str());
    return;
  }
  std::string script = replaced(replaced(replaced(replaced(replaced(replaced(kRoundScript, "@KEY@", json(round.key).dump()),
                                                                    "@SPEED@", json(speed).dump()),
                                                           "@DEAL_KEY@", json(round.dealKey).dump()),
                                                  "@DEAL@", json(round.deal).dump()),
                                         "@BET@", round.bet),
                                "@MOVE@", round.move);
  // The view is asked for each round: the host makes a new one when the web
  // process ends. A first round on a fresh page warms its shaders and its code.
  if (fresh) run(shown.casino->webView(), script);
  std::vector<double> intervals, results;
  double readyMs = 0;
  for (auto _ : state) {
    WebKitWebView* view = shown.casino->webView();
    json r = run(view, script);
    // The software renderer has crashed the page's process now and then; the
    // host reopens the page, and the round is played again there. The first
    // page reopened has been seen to lose its process as well, so the host is
    // given a few seconds before the page's drawing is waited for.
    if (!r.is_object() && replacedWithin(view, 2 * G_USEC_PER_SEC)) {
      replacedWithin(nullptr, 3 * G_USEC_PER_SEC);
      if (shown.settle(flat, [] { return false; }).empty()) {
        g_printerr("%s round: the page's process ended; playing it again\n", round.name);
        run(shown.casino->webView(), script);  // the warming round
        r = run(shown.casino->webView(), script);
      }
    }
    if (!r.is_object()) {
      state.SkipWithError(r.dump().c_str());
      break;
    }
    results.push_back(r["result"].get<double>());
    readyMs += r["ready"].get<double>();
    for (const auto& i : r["intervals"]) intervals.push_back(i.get<double>());
    state.SetIterationTime(r["result"].get<double>() / 1000);
  }
  auto n = static_cast<double>(std::max<size_t>(1, results.size()));
  state.counters["result_ms"] = percentile(results, 0.5);
  state.counters["ready_ms"] = readyMs / n;
  state.counters["frames"] = static_cast<double>(intervals.size()) / n;
  state.counters["frame_p50_ms"] = percentile(intervals, 0.5);
  state.counters["frame_p95_ms"] = percentile(intervals, 0.95);
  state.counters["over_50ms"] = static_cast<double>(std::count_if(intervals.begin(), intervals.end(),
                                                                  [](double i) { return i > 50; })) / n;
}

int rounds() {
  const char* n = g_getenv("VELMAR_BENCH_ROUNDS");
  return n ? std::max(1, std::atoi(n)) : 2;
}

}  // namespace

int main(int argc, char** argv) {
  scratch();
  for (bool flat : {false, true})
    for (const Round& r : kRounds)
      for (const char* speed : kSpeeds)
        benchmark::RegisterBenchmark((std::string("Round/") + r.name + "/" + speed + (flat ? "/flat" : "")).c_str(),
                                     [&r, speed, flat](benchmark::State& s) { PlayRound(s, r, speed, flat); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(rounds());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  shown.close();
  benchmark::Shutdown();
}
