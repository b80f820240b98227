// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The bankroll a table's saved state holds, in cents of a chip, exactly when
// the page would take it: the text is one JSON object whose "bankroll" is a
// whole number from 0 to 2^53 - 1. Nothing otherwise; never throws.
std::optional<std::int64_t> savedBankroll(std::string_view state);

// Cents as the pages write chips: whole chips alone ("1,000"), cents only
// when there are any ("12.50"), with the locale's separators.
std::string chipsFigure(std::int64_t cents, std::string_view thousands = ",", std::string_view point = ".");

}  // namespace velmar
