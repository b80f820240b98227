// SPDX-License-Identifier: GPL-3.0-or-later
// The save store's costs: a durable write (the saves file and today's copy)
// against a plain replacement of the same bytes (temporary file, write, fsync,
// rename) and against the same durable work done plainly, all measured side by
// side so they see the same disk and the same load; how long the main loop
// stops on a save when the disk is slow; and the seed handed to every page load.

#include "platform/durable_file.h"
#include "store/save_store.h"
#include "store/saves_format.h"

#include <benchmark/benchmark.h>
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using velmar::SaveStore;
using Clock = std::chrono::steady_clock;

// Saves of about `bytes` bytes shaped like the pages' own: keys with a version
// suffix, values that are JSON text full of quotes, a few non-ASCII names.
SaveStore::Values savesOf(std::size_t bytes, int variant) {
  SaveStore::Values values;
  const std::string hand = "{\"seat\":\"Jos\xC3\xA9\",\"bank\":1000,\"bets\":[{\"on\":\"red\",\"chips\":25}],\"url\":\"a/b\"}";
  std::size_t total = 0;
  for (int i = 0; total < bytes; ++i) {
    std::string value;
    while (value.size() + hand.size() < 1000 && total + value.size() < bytes) value += hand;
    if (value.empty()) value = "x";
    if (i == 0) value += std::to_string(variant);
    std::string key = "table-" + std::to_string(i) + ".v1";
    total += key.size() + value.size();
    values.emplace(std::move(key), std::move(value));
  }
  return values;
}

struct Folder {
  Folder() {
    const char* where = g_getenv("VELMAR_BENCH_DIR");
    std::string pattern = std::string(where ? where : g_get_tmp_dir()) + "/velmar-bench-XXXXXX";
    path = g_mkdtemp(pattern.data());
  }
  ~Folder() {
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path.c_str());
  }
  std::string path;
};

void replacePlainly(const std::string& folder, const std::string& bytes) {
  std::string temporary = folder + "/plain.tmp";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || fsync(fd) != 0)
    std::abort();
  close(fd);
  if (rename(temporary.c_str(), (folder + "/plain.json").c_str()) != 0) std::abort();
}

void syncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) std::abort();
  close(fd);
}

// The plain replacement of one file.
double plainReplace(const std::string& folder, const std::string& bytes) {
  auto start = Clock::now();
  replacePlainly(folder, bytes);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The least a durable replacement of one file needs: the plain one and a
// sync of its folder, without which the rename may not survive a power cut.
double durableReplace(const std::string& folder, const std::string& bytes) {
  auto start = Clock::now();
  replacePlainly(folder, bytes);
  syncFolder(folder);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The least that a durable write with a durable daily copy needs, done plainly
// one step after the other: two files replaced and both folders synced.
double durableFloor(const std::string& folder, const std::string& bytes) {
  auto start = Clock::now();
  replacePlainly(folder + "/floor", bytes);
  replacePlainly(folder + "/floor/copies", bytes);
  syncFolder(folder + "/floor");
  syncFolder(folder + "/floor/copies");
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void ReplaceAllAgainstPlainWrite(benchmark::State& state) {
  Folder folder;
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const SaveStore::Values a = savesOf(size, 1), b = savesOf(size, 2);
  SaveStore store(folder.path);
  g_mkdir_with_parents((folder.path + "/floor/copies").c_str(), 0755);
  double callerSeconds = 0, storeSeconds = 0, plainSeconds = 0, oneSeconds = 0, floorSeconds = 0;
  long n = 0;
  for (auto _ : state) {
    // The bridge hands over a map it has just built; copying ours is not the store's cost.
    SaveStore::Values next = (n % 2 == 0) ? a : b;
    auto start = Clock::now();
    store.replaceAll(std::move(next));
    callerSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    // The whole write, though the caller goes on at once.
    store.settle();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    storeSeconds += seconds;
    const std::string bytes = velmar::encodeSaves(n % 2 == 0 ? a : b);
    plainSeconds += plainReplace(folder.path, bytes);
    oneSeconds += durableReplace(folder.path, bytes);
    floorSeconds += durableFloor(folder.path, bytes);
    ++n;
  }
  if (store.fileBehind()) state.SkipWithError("a write failed");
  state.counters["caller_ms"] = callerSeconds * 1e3 / static_cast<double>(n);
  state.counters["file_bytes"] = static_cast<double>(velmar::encodeSaves(a).size());
  state.counters["plain_ms"] = plainSeconds * 1e3 / static_cast<double>(n);
  state.counters["one_durable_ms"] = oneSeconds * 1e3 / static_cast<double>(n);
  state.counters["floor_ms"] = floorSeconds * 1e3 / static_cast<double>(n);
  state.counters["ratio"] = storeSeconds / plainSeconds;
  state.counters["to_floor"] = storeSeconds / floorSeconds;
}
BENCHMARK(ReplaceAllAgainstPlainWrite)
    ->Arg(1 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A page saving four times a second on a disk whose every sync takes 50 ms:
// the longest the main loop goes without a turn, with the store writing on its
// own thread (0) and with each write waited for on the main loop (1), as the
// store once wrote.
void MainLoopStallOnASlowDisk(benchmark::State& state) {
  const bool waitOnTheLoop = state.range(0) != 0;
  velmar::setSyncDelay(std::chrono::milliseconds(50));
  struct Run {
    SaveStore* store;
    bool wait;
    GMainLoop* loop;
    Clock::time_point last = Clock::now();
    double longest = 0;
    double longestSave = 0;
    int saves = 0;
  };
  for (auto _ : state) {
    Folder folder;
    SaveStore store(folder.path);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    Run run{&store, waitOnTheLoop, loop};
    auto tick = g_timeout_add(1, +[](gpointer data) -> gboolean {
      auto* r = static_cast<Run*>(data);
      auto now = Clock::now();
      r->longest = std::max(r->longest, std::chrono::duration<double>(now - r->last).count());
      r->last = now;
      return G_SOURCE_CONTINUE;
    }, &run);
    auto save = g_timeout_add(250, +[](gpointer data) -> gboolean {
      auto* r = static_cast<Run*>(data);
      auto saves = savesOf(4 << 10, ++r->saves);
      auto start = Clock::now();
      r->store->replaceAll(std::move(saves));
      if (r->wait) r->store->settle();
      r->longestSave = std::max(r->longestSave, std::chrono::duration<double>(Clock::now() - start).count());
      return G_SOURCE_CONTINUE;
    }, &run);
    g_timeout_add_once(3000, +[](gpointer data) { g_main_loop_quit(static_cast<GMainLoop*>(data)); }, loop);
    g_main_loop_run(loop);
    g_source_remove(tick);
    g_source_remove(save);
    g_main_loop_unref(loop);
    state.counters["longest_stall_ms"] = run.longest * 1e3;
    state.counters["longest_save_ms"] = run.longestSave * 1e3;
    state.counters["saves"] = run.saves;
  }
  velmar::setSyncDelay(std::chrono::microseconds(0));
}
BENCHMARK(MainLoopStallOnASlowDisk)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void SeedOfOneMegabyte(benchmark::State& state) {
  Folder folder;
  SaveStore store(folder.path);
  store.replaceAll(savesOf(1 << 20, 1));
  for (auto _ : state) benchmark::DoNotOptimize(store.seedJSON());
  state.counters["seed_bytes"] = static_cast<double>(store.seedJSON().size());
}
BENCHMARK(SeedOfOneMegabyte)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
