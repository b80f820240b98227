// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/tables.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// The decisions behind the shell's commands, apart from GTK so that they can
// be checked on their own: which page opens first, what each action looks
// like for the page shown, the zoom steps and the table picker.
namespace Commands {

// The page that start-up opens: the remembered page when the option is on
// and the name is one of our own pages, the lobby otherwise.
std::string firstPage(bool reopenLastTable, const std::optional<std::string>& lastPage);

// Whether an action ("page", "reset-table": the bare name) is enabled for the
// page shown. hostPresent is false only before start-up has created the web
// host. Check marks come from the actions' states, not from here.
bool enabled(std::string_view action, bool hostPresent, const Table* shown);

// The state of the "page" action, which checks the menu item of that target:
// "lobby" for any page that is not a table.
std::string pageState(const Table* shown);

// The address that activating "page" with a target opens, or nothing for a
// target that names neither the lobby nor a table.
std::optional<std::string> pageAddress(std::string_view target);

inline constexpr std::array<double, 7> kZoomSteps{0.67, 0.75, 0.85, 1.0, 1.1, 1.25, 1.5};

// The step a zoom counts as: the first at least zoom - 0.001, else the last.
int zoomPosition(double zoom);
// The zoom one step up (+1) or down (-1) from the given one, held in range.
double steppedZoom(double zoom, int direction);

// The picker segment that shows the given table, or -1 for none.
int pickerIndex(const Table* shown);
// The address a picker segment opens, or nothing outside the catalog.
std::optional<std::string> pickedAddress(int index);
// A table's segment title: its name without " Royale".
std::string segmentTitle(std::string_view name);
// The window subtitle for the page shown, translated.
std::string subtitle(const Table* shown);

// The access key of a menu label: the character after its first "_", in
// lower case, or nothing.
std::string accessKey(std::string_view label);
// The name as a menu label whose access key is its first letter or digit not
// yet in taken (compared in lower case), which then joins taken; the name as
// it is when every one of its characters is taken.
std::string withAccessKey(std::string_view name, std::string& taken);

// One keyboard shortcut of the application: the detailed action it triggers
// and the accelerators that reach it. The shortcuts window (shortcuts.ui)
// lists the same keys with their titles.
struct Shortcut {
  std::string action;
  std::vector<std::string> accels;
};
const std::vector<Shortcut>& shortcuts();

}  // namespace Commands

}  // namespace velmar
