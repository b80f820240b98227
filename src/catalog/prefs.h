// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace velmar {

// The three user preferences, in a key file under the user's config folder.
// A setter's value is current at once; the file is replaced atomically by a
// writer thread, so that no setter waits on the disk.
namespace Prefs {

double pageZoom();
void setPageZoom(double zoom);

std::optional<std::string> lastPage();
void setLastPage(const std::optional<std::string>& page);

bool reopenLastTable();
void setReopenLastTable(bool reopen);

// Waits until every change made so far is on disk, for at most `bound`;
// false, and logged, when the bound was reached first. Quitting calls it.
bool settle(std::chrono::milliseconds bound = std::chrono::milliseconds(3000));

// The file behind them: $XDG_CONFIG_HOME/velmar-casino/preferences.ini unless
// useFile() named another (tests do). useFile() waits for the writes to the
// old file and forgets what was read before.
std::string file();
void useFile(const std::string& path);

}  // namespace Prefs

}  // namespace velmar
