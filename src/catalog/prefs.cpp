// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/prefs.h"

#include "platform/file_writer.h"

#include <glib.h>

#include <cmath>
#include <memory>

namespace velmar::Prefs {

namespace {

constexpr const char* kGroup = "Preferences";
// Three short values; anything larger is not ours.
constexpr off_t kLargestFile = 1024 * 1024;

struct KeyFileDeleter {
  void operator()(GKeyFile* f) const { g_key_file_unref(f); }
};

struct Store {
  explicit Store(std::string file) : path(file), writer(std::move(file), "preferences") {}
  std::string path;
  std::unique_ptr<GKeyFile, KeyFileDeleter> keys;
  // Last, so that it goes first and waits for its writes while the rest stands.
  FileWriter writer;
};

std::string defaultPath() {
  g_autofree char* p = g_build_filename(g_get_user_config_dir(), "velmar-casino", "preferences.ini", nullptr);
  return p;
}

std::unique_ptr<Store>& slot() {
  static std::unique_ptr<Store> store;
  return store;
}

Store& d() {
  auto& s = slot();
  if (!s) s = std::make_unique<Store>(defaultPath());
  if (!s->keys) {
    s->keys.reset(g_key_file_new());
    // A missing file is the first launch; anything unreadable reads as defaults.
    if (auto text = readKeptFile(s->path, kLargestFile, "preferences"))
      g_key_file_load_from_data(s->keys.get(), text->data(), text->size(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
  }
  return *s;
}

// The values are current at once; the file follows on the writer's thread.
void save(Store& s) {
  gsize length = 0;
  g_autofree char* text = g_key_file_to_data(s.keys.get(), &length, nullptr);
  s.writer.write(std::string(text, length));
}

}  // namespace

double pageZoom() {
  auto& s = d();
  double zoom = g_key_file_get_double(s.keys.get(), kGroup, "pageZoom", nullptr);
  // A zoom the engine cannot use (NaN, infinity) reads like no zoom at all.
  return zoom == 0 || !std::isfinite(zoom) ? 1.0 : zoom;
}

void setPageZoom(double zoom) {
  auto& s = d();
  g_key_file_set_double(s.keys.get(), kGroup, "pageZoom", zoom);
  save(s);
}

std::optional<std::string> lastPage() {
  auto& s = d();
  g_autofree char* value = g_key_file_get_string(s.keys.get(), kGroup, "lastPage", nullptr);
  if (!value) return std::nullopt;
  return std::string(value);
}

void setLastPage(const std::optional<std::string>& page) {
  auto& s = d();
  // Every launch and every reload names the page the file already holds: a
  // write, synced to disk, on the way to the first page for nothing.
  if (lastPage() == page) return;
  if (page)
    g_key_file_set_string(s.keys.get(), kGroup, "lastPage", page->c_str());
  else
    g_key_file_remove_key(s.keys.get(), kGroup, "lastPage", nullptr);
  save(s);
}

bool reopenLastTable() {
  auto& s = d();
  g_autoptr(GError) error = nullptr;
  gboolean value = g_key_file_get_boolean(s.keys.get(), kGroup, "reopenLastTable", &error);
  return error ? true : value;
}

void setReopenLastTable(bool reopen) {
  auto& s = d();
  g_key_file_set_boolean(s.keys.get(), kGroup, "reopenLastTable", reopen);
  save(s);
}

bool settle(std::chrono::milliseconds bound) {
  auto& s = slot();
  return !s || s->writer.settle(bound);
}

std::string file() { return d().path; }

void useFile(const std::string& path) {
  auto& s = slot();
  // The writes asked of the old file end first.
  s.reset();
  s = std::make_unique<Store>(path);
}

}  // namespace velmar::Prefs
