// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log.h"

#include <glib.h>

namespace velmar {

void logLine(std::string_view line) {
  g_message("%.*s", static_cast<int>(line.size()), line.data());
}

void logFailure(std::string_view line) {
  g_warning("%.*s", static_cast<int>(line.size()), line.data());
}

}  // namespace velmar
