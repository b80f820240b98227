// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/prefs.h"

#include "platform/log.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cmath>
#include <memory>

namespace velmar::Prefs {

namespace {

constexpr const char* kGroup = "Preferences";

struct KeyFileDeleter {
  void operator()(GKeyFile* f) const { g_key_file_unref(f); }
};

struct Store {
  std::string path;
  std::unique_ptr<GKeyFile, KeyFileDeleter> keys;
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
  if (!s) {
    s = std::make_unique<Store>();
    s->path = defaultPath();
  }
  if (!s->keys) {
    s->keys.reset(g_key_file_new());
    // A missing file is the first launch; anything unreadable reads as defaults.
    g_key_file_load_from_file(s->keys.get(), s->path.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr);
  }
  return *s;
}

void save(Store& s) {
  g_autofree char* dir = g_path_get_dirname(s.path.c_str());
  g_mkdir_with_parents(dir, 0700);
  g_autoptr(GError) error = nullptr;
  if (!g_key_file_save_to_file(s.keys.get(), s.path.c_str(), &error))
    logFailure(std::string("Velmar Casino: couldn't write preferences: ") + error->message);
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

std::string file() { return d().path; }

void useFile(const std::string& path) {
  auto& s = slot();
  s = std::make_unique<Store>();
  s->path = path;
}

}  // namespace velmar::Prefs
