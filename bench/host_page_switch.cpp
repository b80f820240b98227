// SPDX-License-Identifier: GPL-3.0-or-later
// Page switch against the engine's floor, measured in the same run: open() of
// a table while the lobby is shown, until the table's new web view has
// finished loading (the time) and has drawn its first frame (paint_ms),
// against a bare web view related to the current one shown in its place, and
// against a bare web view navigating in place. TableReady times open() of a
// table until the page says it is ready for a bet, beside its load, its first
// frame, its scene and the placeholder's first frame. Run under a display:
// xvfb-run -a bench/bench_host_page_switch. The pages are the test fixtures
// unless VELMAR_BENCH_WEB names a web folder.

#include "catalog/prefs.h"
#include "content/scheme_handler.h"
#include "host/casino.h"
#include "host/decisions.h"
#include "platform/gobject_ptr.h"

#include <benchmark/benchmark.h>
#include <glib/gstdio.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace {

using namespace velmar;

void waitFor(const std::function<bool()>& cond) {
  while (!cond()) g_main_context_iteration(nullptr, TRUE);
}

using Clock = std::chrono::steady_clock;

// Two animation frames after the document starts, the first frame has been
// drawn: the page says so to the benchmark (bench_bare_window does the same).
constexpr const char* kPaintScript =
    "requestAnimationFrame(() => requestAnimationFrame(() => "
    "window.webkit.messageHandlers.benchPaint.postMessage(0)));";

// Records when a view's page first painted, for every view whose user content
// manager it was added to.
void watchPaint(WebKitUserContentManager* manager, std::optional<Clock::time_point>* painted) {
  g_autoptr(WebKitUserScript) script = webkit_user_script_new(
      kPaintScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_content_manager_register_script_message_handler(manager, "benchPaint", nullptr);
  g_signal_connect(manager, "script-message-received::benchPaint",
                   G_CALLBACK(+[](WebKitUserContentManager*, JSCValue*, gpointer at) {
                     auto* when = static_cast<std::optional<Clock::time_point>*>(at);
                     if (!*when) *when = Clock::now();
                   }),
                   painted);
}

double msSince(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double, std::milli>(end - start).count();
}

std::string webFolder() {
  if (const char* dir = g_getenv("VELMAR_BENCH_WEB")) return dir;
  g_autofree char* here = g_path_get_dirname(__FILE__);
  return std::string(here) + "/../tests/fixtures/site/web";
}

std::string scratch() {
  static std::string dir = [] {
    g_autofree char* d = g_dir_make_tmp("velmar-bench-XXXXXX", nullptr);
    Prefs::useFile(std::string(d) + "/preferences.ini");
    return std::string(d);
  }();
  return dir;
}

struct Window {
  GtkWindow* window;
  AdwBin* bin;
  Window() {
    adw_init();
    window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_default_size(window, 1280, 800);
    bin = ADW_BIN(adw_bin_new());
    gtk_window_set_child(window, GTK_WIDGET(bin));
    gtk_window_present(window);
  }
  ~Window() { gtk_window_destroy(window); }
};

// When a table's 3D scene is up: the page marks its body with data-stage.
constexpr const char* kSceneScript =
    "addEventListener('DOMContentLoaded', () => {"
    "  const post = () => window.webkit.messageHandlers.benchScene.postMessage(0);"
    "  if (document.body.dataset.stage) return post();"
    "  new MutationObserver((_, o) => { if (document.body.dataset.stage) { o.disconnect(); post(); } })"
    "    .observe(document.body, { attributes: true });"
    "});";

// The first widget of that name under root, or null.
GtkWidget* findNamed(GtkWidget* root, const char* name) {
  if (g_strcmp0(gtk_widget_get_name(root), name) == 0) return root;
  for (GtkWidget* child = gtk_widget_get_first_child(root); child; child = gtk_widget_get_next_sibling(child))
    if (GtkWidget* hit = findNamed(child, name)) return hit;
  return nullptr;
}

void stampOnMessage(WebKitUserContentManager* manager, const char* handler, const char* source,
                    std::optional<Clock::time_point>* at) {
  g_autoptr(WebKitUserScript) script = webkit_user_script_new(source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                              WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_content_manager_register_script_message_handler(manager, handler, nullptr);
  g_signal_connect(manager, (std::string("script-message-received::") + handler).c_str(),
                   G_CALLBACK(+[](WebKitUserContentManager*, JSCValue*, gpointer data) {
                     auto* when = static_cast<std::optional<Clock::time_point>*>(data);
                     if (!*when) *when = Clock::now();
                   }),
                   at);
}

// Counts finished loads of whichever view the host shows.
struct Host {
  std::shared_ptr<Casino> casino;
  int finished = 0;
  explicit Host(AdwBin* bin) {
    Casino::Options options;
    options.saveBase = scratch();
    options.openExternal = [](const std::string&) {};
    casino = Casino::create(webFolder(), bin, options);
    casino->onPageChange = [this](const Table*) {
      painted.reset();
      scene.reset();
      loaded.reset();
      watchPaint(webkit_web_view_get_user_content_manager(casino->webView()), &painted);
      stampOnMessage(webkit_web_view_get_user_content_manager(casino->webView()), "benchScene", kSceneScript, &scene);
      g_signal_connect(casino->webView(), "load-changed", G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent e, gpointer self) {
                         auto* host = static_cast<Host*>(self);
                         // Only the page asked for counts, not a blank page it replaced.
                         if (e == WEBKIT_LOAD_FINISHED && g_strcmp0(webkit_web_view_get_uri(v), host->target.c_str()) == 0) {
                           ++host->finished;
                           if (!host->loaded) host->loaded = Clock::now();
                         }
                       }),
                       this);
    };
  }
  void show(const std::string& file) {
    int before = finished;
    target = Tables::url(file);
    casino->open(target);
    waitFor([&] { return finished > before; });
  }
  // Waits until the next page's view is prepared, as it is when a player
  // takes more than a moment between pages.
  void settle() {
    waitFor([&] { return casino->preparedView() && !webkit_web_view_is_loading(casino->preparedView()); });
  }
  // Waits until the shown page has drawn its first frame; returns when it did.
  Clock::time_point paint() {
    waitFor([&] { return painted.has_value(); });
    return *painted;
  }
  std::string target;
  std::optional<Clock::time_point> painted, scene, loaded;
};

void PageSwitch(benchmark::State& state) {
  Window w;
  Host host(w.bin);
  host.show(std::string(Tables::lobbyFile));
  host.show("roulette-3d.html");  // warm up the process and the spare
  host.show(std::string(Tables::lobbyFile));
  host.settle();
  double paintMs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    host.show("roulette-3d.html");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    paintMs += msSince(start, host.paint());
    state.PauseTiming();
    host.show(std::string(Tables::lobbyFile));
    host.settle();
    state.ResumeTiming();
  }
  state.counters["paint_ms"] = paintMs / static_cast<double>(state.iterations());
}
void FlushOnly(benchmark::State& state) {
  Window w;
  Host host(w.bin);
  host.show(std::string(Tables::lobbyFile));
  for (auto _ : state) {
    bool done = false;
    host.casino->flush([&] { done = true; });
    waitFor([&] { return done; });
  }
}
BENCHMARK(FlushOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK(PageSwitch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

void InPlaceNavigation(benchmark::State& state) {
  Window w;
  auto context = Ref<WebKitWebContext>::adopt(webkit_web_context_new());
  SchemeHandler::registerWith(std::make_shared<const SchemeHandler>(webFolder()), context.get());
  auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(), "network-session",
                                            webkit_network_session_get_default(), nullptr));
  adw_bin_set_child(w.bin, GTK_WIDGET(view));
  int finished = 0;
  g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent e, gpointer count) {
                     if (e == WEBKIT_LOAD_FINISHED) ++*static_cast<int*>(count);
                   }),
                   &finished);
  auto show = [&](const std::string& file) {
    int before = finished;
    webkit_web_view_load_uri(view, Tables::url(file).c_str());
    waitFor([&] { return finished > before; });
  };
  show(std::string(Tables::lobbyFile));
  show("roulette-3d.html");
  show(std::string(Tables::lobbyFile));
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    show("roulette-3d.html");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    state.PauseTiming();
    show(std::string(Tables::lobbyFile));
    state.ResumeTiming();
  }
}
BENCHMARK(InPlaceNavigation)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// The engine's own price for a new view sharing the web process, without the
// host: shown in the window (1) or loading unseen (0). Showing a new view is
// what costs most here: under Xvfb with software rendering, mapping it takes
// several times as long as the whole load.
void BareRelatedView(benchmark::State& state) {
  Window w;
  auto context = Ref<WebKitWebContext>::adopt(webkit_web_context_new());
  SchemeHandler::registerWith(std::make_shared<const SchemeHandler>(webFolder()), context.get());
  auto manager = Ref<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
  std::optional<Clock::time_point> painted;
  watchPaint(manager.get(), &painted);
  auto current = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(), "network-session",
                                            webkit_network_session_get_default(), "user-content-manager", manager.get(), nullptr))));
  int finished = 0;
  auto show = [&](const std::string& file, bool fresh) {
    painted.reset();
    if (fresh) {
      current = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", current.get(),
                                                                                          "user-content-manager", manager.get(), nullptr))));
      if (state.range(0)) adw_bin_set_child(w.bin, GTK_WIDGET(current.get()));
      g_signal_connect(current.get(), "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent e, gpointer count) {
                         if (e == WEBKIT_LOAD_FINISHED) ++*static_cast<int*>(count);
                       }), &finished);
    }
    int before = finished;
    webkit_web_view_load_uri(current.get(), Tables::url(file).c_str());
    waitFor([&] { return finished > before; });
  };
  show(std::string(Tables::lobbyFile), true);
  double paintMs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    show("roulette-3d.html", true);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    // An unseen view draws no frames.
    if (state.range(0)) {
      waitFor([&] { return painted.has_value(); });
      paintMs += msSince(start, *painted);
    }
  }
  if (state.range(0)) state.counters["paint_ms"] = paintMs / static_cast<double>(state.iterations());
}
BENCHMARK(BareRelatedView)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// From open() of the table to the page's word that it takes a bet (the
// time), with its load (load_ms), first frame (paint_ms), scene (scene_ms),
// and, in the runs where it came, the placeholder's first frame after its
// delay was up (placeholder_late_ms, in placeholder_runs of them).
void TableReady(benchmark::State& state) {
  const std::string table = "roulette-3d.html";
  // The fixtures' tables have no kit and no scene.
  if (!g_file_test((webFolder() + "/js/kit/play.js").c_str(), G_FILE_TEST_EXISTS)) {
    state.SkipWithError("VELMAR_BENCH_WEB names no web folder with the tables");
    return;
  }
  Window w;
  Host host(w.bin);
  std::optional<Clock::time_point> ready;
  host.casino->onReady = [&](const Table*) { ready = Clock::now(); };
  auto shown = [&](const std::string& file) {
    ready.reset();
    host.show(file);
    waitFor([&] { return ready.has_value(); });
  };
  shown(std::string(Tables::lobbyFile));
  shown(table);
  shown(std::string(Tables::lobbyFile));
  host.settle();
  double loadMs = 0, paintMs = 0, sceneMs = 0, lateMs = 0;
  int placeholders = 0;
  for (auto _ : state) {
    ready.reset();
    std::optional<Clock::time_point> placeholderDrawn;
    auto start = Clock::now();
    host.target = Tables::url(table);
    host.casino->open(host.target);
    GtkWidget* placeholder = nullptr;
    waitFor([&] {
      if (!placeholder && !ready && (placeholder = findNamed(GTK_WIDGET(w.window), "opening")))
        // Its first frame is the one painted after it went in.
        g_signal_connect(gtk_widget_get_frame_clock(GTK_WIDGET(w.window)), "after-paint",
                         G_CALLBACK(+[](GdkFrameClock* clock, gpointer at) {
                           auto* when = static_cast<std::optional<Clock::time_point>*>(at);
                           if (!*when) *when = Clock::now();
                           g_signal_handlers_disconnect_by_data(clock, at);
                         }),
                         &placeholderDrawn);
      return ready && host.loaded && host.painted && host.scene && (!placeholder || placeholderDrawn);
    });
    state.SetIterationTime(std::chrono::duration<double>(*ready - start).count());
    loadMs += msSince(start, *host.loaded);
    paintMs += msSince(start, *host.painted);
    sceneMs += msSince(start, *host.scene);
    if (placeholderDrawn) {
      ++placeholders;
      lateMs += msSince(start, *placeholderDrawn) - kPlaceholderDelay * 1000;
    }
    state.PauseTiming();
    shown(std::string(Tables::lobbyFile));
    host.settle();
    state.ResumeTiming();
  }
  auto n = static_cast<double>(state.iterations());
  state.counters["load_ms"] = loadMs / n;
  state.counters["paint_ms"] = paintMs / n;
  state.counters["scene_ms"] = sceneMs / n;
  state.counters["placeholder_runs"] = placeholders;
  if (placeholders) state.counters["placeholder_late_ms"] = lateMs / placeholders;
}
BENCHMARK(TableReady)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
