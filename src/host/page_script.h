// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmar {

// The bridge every page runs before its own scripts: it restores
// localStorage from the seed and checks that the storage holds it, posts
// what the page changed since (see SaveMessage) on every change and once at
// the start, and offers window.__vlCasino.flush() and freeze(key). Whatever
// the page itself posts to the handler goes through the same check and
// encoding. It also tells the page when the casino's evening began, under
// eveningKey in its session storage.
namespace PageScript {

inline constexpr std::string_view handlerName = "casino";
// The key the pages read the evening's start from (EVENING_KEY in the kit).
inline constexpr std::string_view eveningKey = "velmar-casino.evening";

// The bridge as the program carries it (bridge/page.js): a function of the
// JSON text {handler, eveningKey, evening, seed}.
const std::string& source();

// The script a page is given: the bridge called with the seed, the compact
// JSON of the saves, and the evening's start in milliseconds since the epoch.
std::string make(std::string_view seed, std::int64_t evening);

}  // namespace PageScript

}  // namespace velmar
