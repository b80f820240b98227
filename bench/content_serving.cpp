// SPDX-License-Identifier: GPL-3.0-or-later
// A 5 MB file served by the content server against the same file read from
// disk, in one run. The server's part is resolving the address, checking where
// it really leads, reading the file and handing the engine a stream over the
// bytes, which the engine then reads in chunks; the disk baseline reads the
// file whole.

#include "content/scheme_handler.h"

#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <glib/gstdio.h>

#include <string>
#include <vector>

namespace {

struct Folder {
  std::string root;
  std::string file;
  Folder() {
    g_autofree char* dir = g_dir_make_tmp("velmar-bench-XXXXXX", nullptr);
    root = dir;
    file = root + "/big.bin";
    std::string bytes(5 * 1024 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 % 251);
    g_file_set_contents(file.c_str(), bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
  }
  ~Folder() {
    g_unlink(file.c_str());
    g_rmdir(root.c_str());
  }
};

Folder& folder() {
  static Folder f;
  return f;
}

void ReadFromDisk(benchmark::State& state) {
  for (auto _ : state) {
    gchar* contents = nullptr;
    gsize size = 0;
    g_file_get_contents(folder().file.c_str(), &contents, &size, nullptr);
    benchmark::DoNotOptimize(contents);
    g_free(contents);
    state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(size));
  }
}
BENCHMARK(ReadFromDisk)->Unit(benchmark::kMillisecond);

void ServeThroughTheSchemeHandler(benchmark::State& state) {
  velmar::SchemeHandler handler(folder().root);
  std::vector<char> chunk(64 * 1024);
  for (auto _ : state) {
    auto answer = handler.serve("velmar://casino/big.bin");
    g_autoptr(GInputStream) stream = g_memory_input_stream_new_from_bytes(answer.bytes);
    gssize n;
    int64_t total = 0;
    // The engine reads the stream in chunks into buffers of its own.
    while ((n = g_input_stream_read(stream, chunk.data(), chunk.size(), nullptr, nullptr)) > 0) total += n;
    benchmark::DoNotOptimize(chunk.data());
    state.SetBytesProcessed(state.bytes_processed() + total);
  }
}
BENCHMARK(ServeThroughTheSchemeHandler)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
