// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/resource_text.h"

namespace velmar {

std::string resourceText(GResource* bundle, const char* path) {
  g_autoptr(GError) error = nullptr;
  g_autoptr(GBytes) bytes = g_resource_lookup_data(bundle, path, G_RESOURCE_LOOKUP_FLAGS_NONE, &error);
  if (!bytes) g_error("Velmar Casino: %s is missing from the program: %s", path, error->message);
  gsize size = 0;
  auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  return std::string(data, size);
}

}  // namespace velmar
