// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/log_capture.h"

#include <gio/gio.h>
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmar::test {

LogCapture::LogCapture() {
  handler_ = g_log_set_handler(
      "velmar-casino", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
      [](const char*, GLogLevelFlags, const char* message, gpointer self) {
        auto* capture = static_cast<LogCapture*>(self);
        std::lock_guard lock(capture->mutex_);
        capture->lines_.emplace_back(message);
      },
      this);
}

LogCapture::~LogCapture() { g_log_remove_handler("velmar-casino", handler_); }

int LogCapture::count(const std::string& text) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto& line : lines_)
    if (line.find(text) != std::string::npos) ++n;
  return n;
}

TempDir::TempDir() {
  g_autoptr(GError) error = nullptr;
  g_autofree char* dir = g_dir_make_tmp("velmar-test-XXXXXX", &error);
  if (!dir) throw std::runtime_error(error->message);
  path_ = dir;
}

namespace {
void removeTree(GFile* file) {
  // Tests make folders read-only on purpose; give the owner back the right to empty them.
  g_autofree char* path = g_file_get_path(file);
  g_chmod(path, 0700);
  g_autoptr(GFileEnumerator) children = g_file_enumerate_children(
      file, G_FILE_ATTRIBUTE_STANDARD_NAME, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
  if (children) {
    while (GFileInfo* info = g_file_enumerator_next_file(children, nullptr, nullptr)) {
      g_autoptr(GFile) child = g_file_get_child(file, g_file_info_get_name(info));
      removeTree(child);
      g_object_unref(info);
    }
  }
  g_file_delete(file, nullptr, nullptr);
}
}  // namespace

TempDir::~TempDir() {
  g_autoptr(GFile) root = g_file_new_for_path(path_.c_str());
  removeTree(root);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (GDir* dir = g_dir_open(folder.c_str(), 0, nullptr)) {
    while (const char* name = g_dir_read_name(dir)) names.emplace_back(name);
    g_dir_close(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velmar::test
