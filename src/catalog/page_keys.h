// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string_view>

namespace velmar {

// One key a table's page answers: the accelerators as GTK writes them (a
// space between two keys for one thing, "1...6" for a range), what it does
// and the group the shortcuts window shows it in, both untranslated (the
// shortcuts window translates its own copy). The pages' help sheets list the
// same keys; onBoard keys act on the focused betting layout, which explains
// them itself.
struct PageKey {
  std::string_view accels;
  std::string_view title;
  std::string_view group;
  bool onBoard = false;
};

namespace Tables {

// The keys of the table with this id, empty for none.
std::span<const PageKey> keys(std::string_view id);

}  // namespace Tables
}  // namespace velmar
