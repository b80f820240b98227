// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace velmar {

// What the player must be told about the saves, shown in the window for as
// long as it lasts: the chips are always held in memory, but while any of
// this is true they may not be on the disk.
struct SaveTrouble {
  // The last write failed (a full disk, a folder that refuses it); the store
  // keeps trying on its own.
  bool behind = false;
  // A write has been under way for a long time without ending (a hung disk).
  bool stalled = false;
  // The ids of the tables whose page could not hold its saves this visit:
  // play there is not saved until the table is opened again.
  std::vector<std::string> unsavedTables;

  bool any() const { return behind || stalled || !unsavedTables.empty(); }
  bool operator==(const SaveTrouble&) const = default;
};

}  // namespace velmar
