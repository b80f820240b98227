// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The saves as "saves.json" holds them: one JSON object whose members are all
// strings. Anything else (no object, a number or an object as a member value,
// trailing text, broken UTF-8) is no saves file at all and gives nothing.
std::optional<std::map<std::string, std::string>> decodeSaves(std::string_view bytes);

// The written form, byte for byte what prettyJSON gives for the same map:
// pretty, sorted by key, raw UTF-8 (bytes that are not UTF-8 as U+FFFD), "/"
// as "\/".
std::string encodeSaves(const std::map<std::string, std::string>& values);

// compactJSON's form with U+2028 and U+2029 escaped as well, since script
// source ends a line at them.
std::string encodeSeed(const std::map<std::string, std::string>& values);

}  // namespace velmar
