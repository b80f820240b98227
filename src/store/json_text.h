// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace velmar {

// The written form of the saves file, also used by the self-test's report:
// pretty-printed with two-space indentation, members sorted by key, characters
// outside ASCII as raw UTF-8 (bytes that are not UTF-8 become U+FFFD), and the
// forward slash written as "\/".
std::string prettyJSON(const nlohmann::json& value);

// The same escaping in compact form, no whitespace between tokens.
std::string compactJSON(const nlohmann::json& value);

}  // namespace velmar
