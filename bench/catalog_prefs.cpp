// SPDX-License-Identifier: GPL-3.0-or-later
// How long the main loop stops for the preferences on a disk whose every sync
// takes 50 ms: a page switch records the page shown and a zoom step the zoom,
// as the shell does, once with the writes on the writer's thread (0) and once
// with each write waited for on the main loop (1), as they once were.

#include "catalog/prefs.h"
#include "platform/durable_file.h"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace velmar;
using Clock = std::chrono::steady_clock;

struct Run {
  bool wait;
  Clock::time_point last = Clock::now();
  double longest = 0;
  double longestSwitch = 0;
  double longestZoom = 0;
  int steps = 0;
};

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void MainLoopStallFromPreferences(benchmark::State& state) {
  setSyncDelay(std::chrono::milliseconds(50));
  for (auto _ : state) {
    g_autofree char* home = g_dir_make_tmp("velmar-bench-XXXXXX", nullptr);
    Prefs::useFile(std::string(home) + "/velmar-casino/preferences.ini");
    Prefs::lastPage();
    Run run{state.range(0) != 0};
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    auto tick = g_timeout_add(1, +[](gpointer data) -> gboolean {
      auto* r = static_cast<Run*>(data);
      auto now = Clock::now();
      r->longest = std::max(r->longest, std::chrono::duration<double>(now - r->last).count());
      r->last = now;
      return G_SOURCE_CONTINUE;
    }, &run);
    // Four times a second, a page switch or a zoom step in turn.
    auto step = g_timeout_add(250, +[](gpointer data) -> gboolean {
      auto* r = static_cast<Run*>(data);
      static constexpr std::array<double, 4> zooms{1.1, 1.25, 1.1, 1.0};
      static constexpr std::array<const char*, 2> pages{"roulette-3d.html", "velmar-casino.html"};
      const int n = r->steps++;
      auto start = Clock::now();
      if (n % 2 == 0) {
        Prefs::setLastPage(pages[(n / 2) % pages.size()]);
        if (r->wait) Prefs::settle();
        r->longestSwitch = std::max(r->longestSwitch, since(start));
      } else {
        Prefs::setPageZoom(zooms[(n / 2) % zooms.size()]);
        if (r->wait) Prefs::settle();
        r->longestZoom = std::max(r->longestZoom, since(start));
      }
      return G_SOURCE_CONTINUE;
    }, &run);
    g_timeout_add_once(3000, +[](gpointer data) { g_main_loop_quit(static_cast<GMainLoop*>(data)); }, loop);
    g_main_loop_run(loop);
    g_source_remove(tick);
    g_source_remove(step);
    g_main_loop_unref(loop);
    Prefs::settle();
    state.counters["longest_stall_ms"] = run.longest * 1e3;
    state.counters["longest_page_switch_ms"] = run.longestSwitch * 1e3;
    state.counters["longest_zoom_step_ms"] = run.longestZoom * 1e3;
    state.counters["steps"] = run.steps;
    std::string command = std::string("rm -rf '") + home + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", home);
  }
  setSyncDelay(std::chrono::microseconds(0));
}
BENCHMARK(MainLoopStallFromPreferences)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
