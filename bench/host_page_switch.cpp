// SPDX-License-Identifier: GPL-3.0-or-later
// Page switch against in-place navigation, measured in the same run: open()
// of a table while the lobby is shown, until the table's new web view has
// finished loading, against a bare web view navigating in place to the same
// table page. Run under a display: xvfb-run -a bench/bench_host_page_switch.
// The pages are the test fixtures unless VELMAR_BENCH_WEB names a web folder.

#include "catalog/prefs.h"
#include "content/scheme_handler.h"
#include "host/casino.h"
#include "platform/gobject_ptr.h"

#include <benchmark/benchmark.h>
#include <glib/gstdio.h>

#include <chrono>
#include <functional>
#include <string>

namespace {

using namespace velmar;

void waitFor(const std::function<bool()>& cond) {
  while (!cond()) g_main_context_iteration(nullptr, TRUE);
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
      g_signal_connect(casino->webView(), "load-changed", G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent e, gpointer self) {
                         auto* host = static_cast<Host*>(self);
                         // Only the page asked for counts, not a blank page it replaced.
                         if (e == WEBKIT_LOAD_FINISHED && g_strcmp0(webkit_web_view_get_uri(v), host->target.c_str()) == 0)
                           ++host->finished;
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
  std::string target;
};

void PageSwitch(benchmark::State& state) {
  Window w;
  Host host(w.bin);
  host.show(std::string(Tables::lobbyFile));
  host.show("roulette-3d.html");  // warm up the process and the spare
  host.show(std::string(Tables::lobbyFile));
  host.settle();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    host.show("roulette-3d.html");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    state.PauseTiming();
    host.show(std::string(Tables::lobbyFile));
    host.settle();
    state.ResumeTiming();
  }
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
  auto current = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(), "network-session",
                                            webkit_network_session_get_default(), nullptr))));
  int finished = 0;
  auto show = [&](const std::string& file, bool fresh) {
    if (fresh) {
      current = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", current.get(), nullptr))));
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
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    show("roulette-3d.html", true);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BareRelatedView)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

BENCHMARK_MAIN();
