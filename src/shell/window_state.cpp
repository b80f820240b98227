// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window_state.h"

#include "platform/file_writer.h"
#include "platform/log.h"

#include <glib.h>

#include <algorithm>

namespace velmar {

namespace {

constexpr const char* kGroup = "VelmarCasinoMain";
// Four short values; anything larger is not ours.
constexpr off_t kLargestFile = 1024 * 1024;

struct KeyFile {
  GKeyFile* keys = g_key_file_new();
  ~KeyFile() { g_key_file_unref(keys); }
};

}  // namespace

std::string WindowState::defaultFile() {
  g_autofree char* p = g_build_filename(g_get_user_state_dir(), "velmar-casino", "window.ini", nullptr);
  return p;
}

std::optional<WindowState> WindowState::load(const std::string& file) {
  auto text = readKeptFile(file, kLargestFile, "window size");
  if (!text) return std::nullopt;
  KeyFile f;
  g_autoptr(GError) error = nullptr;
  if (!g_key_file_load_from_data(f.keys, text->data(), text->size(), G_KEY_FILE_NONE, &error)) {
    logFailure("Velmar Casino: ignoring the saved window size in " + file + ": " + error->message);
    return std::nullopt;
  }
  if (!g_key_file_has_group(f.keys, kGroup)) return std::nullopt;

  WindowState state;
  g_autoptr(GError) widthError = nullptr;
  g_autoptr(GError) heightError = nullptr;
  int width = g_key_file_get_integer(f.keys, kGroup, "width", &widthError);
  int height = g_key_file_get_integer(f.keys, kGroup, "height", &heightError);
  if (!widthError && !heightError && width > 0 && height > 0) {
    state.width = std::max(width, kMinWidth);
    state.height = std::max(height, kMinHeight);
  } else {
    logFailure("Velmar Casino: ignoring the saved window size in " + file + ": not a pair of positive numbers");
  }
  // A flag that is absent or not a boolean reads as off.
  state.maximized = g_key_file_get_boolean(f.keys, kGroup, "maximized", nullptr);
  state.fullscreen = g_key_file_get_boolean(f.keys, kGroup, "fullscreen", nullptr);
  return state;
}

void WindowState::save(FileWriter& file) const {
  KeyFile f;
  g_key_file_set_integer(f.keys, kGroup, "width", width);
  g_key_file_set_integer(f.keys, kGroup, "height", height);
  g_key_file_set_boolean(f.keys, kGroup, "maximized", maximized);
  g_key_file_set_boolean(f.keys, kGroup, "fullscreen", fullscreen);
  gsize length = 0;
  g_autofree char* text = g_key_file_to_data(f.keys, &length, nullptr);
  file.write(std::string(text, length));
}

}  // namespace velmar
