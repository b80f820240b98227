// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/save_trouble.h"

#include <optional>
#include <string>

namespace velmar {

// What the window's banner says about the saves, in the player's words.
struct Banner {
  std::string text;
  bool revealed = false;
  // The trouble is over: say so for a moment, then hide.
  bool hideSoon = false;
};

// The banner for the trouble now, given whether the banner was telling of
// trouble until now.
Banner saveBanner(const SaveTrouble& now, bool toldTrouble);

// The sentence for the trouble, empty when there is none.
std::string saveTroubleNotice(const SaveTrouble& trouble);

// Why this copy does not start: another one owns the save folder. pid and
// host name that copy when it wrote them down.
std::string alreadyOpenNotice(std::optional<long> pid, const std::string& host);

}  // namespace velmar
