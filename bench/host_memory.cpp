// SPDX-License-Identifier: GPL-3.0-or-later
// Memory across page switches: the proportional set size of this process and
// every process it started (web, network and their sandbox wrappers) after 10,
// 100 and 200 switches between the lobby and the tables, through the web host
// and, as the engine's own floor, through bare web views each related to the
// one before and shown in its place. Run under a display:
// xvfb-run -a bench/bench_host_memory. Reported as counters.

#include "catalog/prefs.h"
#include "content/scheme_handler.h"
#include "host/casino.h"
#include "platform/gobject_ptr.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace velmar;

void waitFor(const std::function<bool()>& cond) {
  while (!cond()) g_main_context_iteration(nullptr, TRUE);
}

// Parent of every process, from /proc/<pid>/stat.
std::map<int, int> parents() {
  std::map<int, int> out;
  g_autoptr(GDir) dir = g_dir_open("/proc", 0, nullptr);
  while (const char* name = dir ? g_dir_read_name(dir) : nullptr) {
    int pid = std::atoi(name);
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(name) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    int ppid;
    rest >> state >> ppid;
    out[pid] = ppid;
  }
  return out;
}

long pssKiB(int pid) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  long value;
  std::string unit;
  while (rollup >> key) {
    if (key == "Pss:") {
      rollup >> value;
      return value;
    }
    std::getline(rollup, unit);
  }
  return 0;
}

// This process and all its descendants.
long totalPssKiB() {
  auto tree = parents();
  std::vector<int> family{static_cast<int>(getpid())};
  for (size_t i = 0; i < family.size(); ++i)
    for (auto [pid, ppid] : tree)
      if (ppid == family[i]) family.push_back(pid);
  long total = 0;
  for (int pid : family) total += pssKiB(pid);
  return total;
}

// Lets the engine finish tearing down what a page switch retired.
void settle() {
  for (int i = 0; i < 200; ++i) g_main_context_iteration(nullptr, FALSE);
  g_usleep(500'000);
  for (int i = 0; i < 200; ++i) g_main_context_iteration(nullptr, FALSE);
}

std::string webFolder() {
  if (const char* dir = g_getenv("VELMAR_BENCH_WEB")) return dir;
  g_autofree char* here = g_path_get_dirname(__FILE__);
  return std::string(here) + "/../tests/fixtures/site/web";
}

const std::vector<std::string> pages{std::string(Tables::lobbyFile), "roulette-3d.html", "blackjack-3d.html"};

// Runs switchPages(until) up to 10, 100 and 200 switches and reports the memory after each.
void report(benchmark::State& state, const std::function<void(int)>& switchPages) {
  long after10 = 0, after100 = 0, after200 = 0;
  for (auto _ : state) {
    switchPages(10);
    settle();
    after10 = totalPssKiB();
    switchPages(100);
    settle();
    after100 = totalPssKiB();
    switchPages(200);
    settle();
    after200 = totalPssKiB();
  }
  state.counters["pss_after_10_MiB"] = after10 / 1024.0;
  state.counters["pss_after_100_MiB"] = after100 / 1024.0;
  state.counters["pss_after_200_MiB"] = after200 / 1024.0;
  state.counters["growth_percent"] = 100.0 * (after200 - after10) / after10;
  state.counters["growth_100_to_200_percent"] = 100.0 * (after200 - after100) / after100;
}

void PssAfterSwitches(benchmark::State& state) {
  adw_init();
  g_autofree char* scratch = g_dir_make_tmp("velmar-bench-XXXXXX", nullptr);
  Prefs::useFile(std::string(scratch) + "/preferences.ini");
  GtkWindow* window = GTK_WINDOW(gtk_window_new());
  gtk_window_set_default_size(window, 1280, 800);
  AdwBin* bin = ADW_BIN(adw_bin_new());
  gtk_window_set_child(window, GTK_WIDGET(bin));
  gtk_window_present(window);

  std::string web = webFolder();
  Casino::Options options;
  options.saveBase = scratch;
  options.openExternal = [](const std::string&) {};
  auto casino = Casino::create(web, bin, options);
  struct Loads {
    int finished = 0;
    std::string target;
  } loads;
  int& finished = loads.finished;
  std::string& target = loads.target;
  casino->onPageChange = [&](const Table*) {
    g_signal_connect(casino->webView(), "load-changed", G_CALLBACK(+[](WebKitWebView* v, WebKitLoadEvent e, gpointer data) {
                       auto* l = static_cast<Loads*>(data);
                       if (e == WEBKIT_LOAD_FINISHED && g_strcmp0(webkit_web_view_get_uri(v), l->target.c_str()) == 0)
                         ++l->finished;
                     }),
                     &loads);
  };
  int switches = 0;
  auto switchPages = [&](int until) {
    for (; switches < until; ++switches) {
      int before = finished;
      target = Tables::url(pages[switches % pages.size()]);
      casino->open(target);
      waitFor([&] { return finished > before; });
      // The page saves something each time, as a table does.
      casino->saves().replaceAll({{"switch", std::to_string(switches)}});
    }
  };
  report(state, switchPages);
  casino.reset();
  gtk_window_destroy(window);
}
BENCHMARK(PssAfterSwitches)->Iterations(1)->Unit(benchmark::kSecond);

// The same pages through bare views: each new one related to the one before
// and shown in its place, the old one dropped.
void BareRelatedViews(benchmark::State& state) {
  adw_init();
  GtkWindow* window = GTK_WINDOW(gtk_window_new());
  gtk_window_set_default_size(window, 1280, 800);
  AdwBin* bin = ADW_BIN(adw_bin_new());
  gtk_window_set_child(window, GTK_WIDGET(bin));
  gtk_window_present(window);
  auto context = Ref<WebKitWebContext>::adopt(webkit_web_context_new());
  SchemeHandler::registerWith(std::make_shared<const SchemeHandler>(webFolder()), context.get());
  Ref<WebKitWebView> current;
  int finished = 0, switches = 0;
  auto switchPages = [&](int until) {
    for (; switches < until; ++switches) {
      auto* next = current ? g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", current.get(), nullptr)
                           : g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(), "network-session",
                                          webkit_network_session_get_default(), nullptr);
      current = Ref<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(next)));
      adw_bin_set_child(bin, GTK_WIDGET(current.get()));
      g_signal_connect(current.get(), "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent e, gpointer count) {
                         if (e == WEBKIT_LOAD_FINISHED) ++*static_cast<int*>(count);
                       }), &finished);
      int before = finished;
      webkit_web_view_load_uri(current.get(), Tables::url(pages[switches % pages.size()]).c_str());
      waitFor([&] { return finished > before; });
    }
  };
  report(state, switchPages);
  current.reset();
  gtk_window_destroy(window);
}
BENCHMARK(BareRelatedViews)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
