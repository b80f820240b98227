// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/timer.h"

#include <glib.h>

#include <cmath>

namespace velmar {

void after(double seconds, std::function<void()> fn) {
  auto* boxed = new std::function<void()>(std::move(fn));
  auto ms = static_cast<guint>(std::max(0.0, std::round(seconds * 1000.0)));
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, ms,
      [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      boxed, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace velmar
