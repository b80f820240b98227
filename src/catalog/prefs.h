// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace velmar {

// The three user preferences, in a key file under the user's config folder.
// Every setter writes the file at once, atomically.
namespace Prefs {

double pageZoom();
void setPageZoom(double zoom);

std::optional<std::string> lastPage();
void setLastPage(const std::optional<std::string>& page);

bool reopenLastTable();
void setReopenLastTable(bool reopen);

// The file behind them: $XDG_CONFIG_HOME/velmar-casino/preferences.ini unless
// useFile() named another (tests do). useFile() forgets what was read before.
std::string file();
void useFile(const std::string& path);

}  // namespace Prefs

}  // namespace velmar
