// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace velmar {

// One plain line to the system log (the journal and stderr), domain "velmar-casino".
void logLine(std::string_view line);
// The same for a failure, at warning level.
void logFailure(std::string_view line);

}  // namespace velmar
