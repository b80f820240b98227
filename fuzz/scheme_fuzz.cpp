// SPDX-License-Identifier: GPL-3.0-or-later
// The content server on any address, over a web folder with links that lead
// inside, outside and to a folder outside: nothing outside is ever served.
// resolve() works on the text alone, so it must stay lexically inside; what
// serve() answers with 200 must really lie inside, and be that file's bytes.
#include "content/scheme_handler.h"
#include "require.h"

#include <glib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using velmar::SchemeHandler;

namespace {

std::string realPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? real.get() : "";
}

fs::path top;
std::string root, realRoot;
std::unique_ptr<SchemeHandler> handler;

void write(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << file.filename().string();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_autofree char* made = g_dir_make_tmp("velmar-scheme-fuzz-XXXXXX", nullptr);
  top = made;
  std::atexit([] { fs::remove_all(top); });
  for (const char* name : {"web/index.html", "web/velmar-casino.html", "web/a b.html", "web/100%.html",
                           "web/sub/page.html", "web/sub/deeper/x.js", "secret.txt", "outside/page.html",
                           "web-old/old.html"})
    write(top / name);
  fs::create_symlink("sub/page.html", top / "web/in-link");
  fs::create_symlink("../index.html", top / "web/sub/up-link");
  fs::create_symlink("../secret.txt", top / "web/out-link");
  fs::create_symlink("../outside", top / "web/out-dir");
  fs::create_symlink("loop", top / "web/loop");
  // A reader that waited on a pipe would hang the fuzzer: libFuzzer's timeout reports it.
  mkfifo((top / "web/pipe").c_str(), 0600);
  root = (top / "web").string();
  realRoot = realPath(root);
  handler = std::make_unique<SchemeHandler>(root);
  // Every refusal is logged; the fuzzer makes millions.
  g_log_set_writer_func([](GLogLevelFlags, const GLogField*, gsize, gpointer) { return G_LOG_WRITER_HANDLED; },
                        nullptr, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string address(reinterpret_cast<const char*>(data), size);

  auto target = handler->resolve(address);
  std::string real;
  if (target.status == 200) {
    g_autofree char* canonical = g_canonicalize_filename(target.file.c_str(), "/");
    REQUIRE(target.file == canonical && target.file.starts_with(root + "/") && target.file.size() > root.size() + 1);
    real = realPath(target.file);
  }
  const bool inside = !real.empty() && real.starts_with(realRoot + "/");
  struct stat info {};
  const bool servable = inside && stat(real.c_str(), &info) == 0 && S_ISREG(info.st_mode);

  auto answer = handler->serve(address);
  // Served exactly when the resolved file really lies inside and is a file.
  REQUIRE((answer.status == 200) == servable);
  if (servable) {
    gsize length = 0;
    auto* bytes = static_cast<const char*>(g_bytes_get_data(answer.bytes, &length));
    REQUIRE(std::string(bytes, length) == fs::path(real).filename().string());
  }
  return 0;
}
