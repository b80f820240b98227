// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/resources.h"

#include <glib.h>

namespace velmar {

std::optional<std::string> resourceFolderFor(const std::string& executable) {
  if (executable.empty() || !g_path_is_absolute(executable.c_str())) return std::nullopt;
  g_autofree char* bin = g_path_get_dirname(executable.c_str());
  g_autofree char* prefix = g_path_get_dirname(bin);
  g_autofree char* folder = g_build_filename(prefix, "share", "velmar-casino", nullptr);
  if (!g_file_test(folder, G_FILE_TEST_IS_DIR)) return std::nullopt;
  return std::string(folder);
}

std::optional<std::string> resourceFolder() {
  g_autofree char* executable = g_file_read_link("/proc/self/exe", nullptr);
  if (!executable) return std::nullopt;
  return resourceFolderFor(executable);
}

}  // namespace velmar
