// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmar {

// The bridge every page runs before its own scripts: it restores
// localStorage from the seed, posts it back on every change and offers
// window.__vlCasino.flush() and freeze(key).
namespace PageScript {

inline constexpr std::string_view handlerName = "casino";

// The script's source around the seed, the compact JSON of the saves.
std::string make(std::string_view seed);

}  // namespace PageScript

}  // namespace velmar
