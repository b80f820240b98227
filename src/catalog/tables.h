// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

struct Table {
  std::string_view id;
  std::string_view name;
  std::string_view file;
  std::string_view storeKey;
  std::string_view key;
};

// The private scheme and the base address of every page. They belong to the
// content server, which re-exports them; they live here because the catalog,
// below it, forms the page addresses.
inline constexpr std::string_view kScheme = "velmar";
inline constexpr std::string_view kBaseURL = "velmar://casino/";

namespace Tables {

inline constexpr std::array<Table, 4> all{{
    {"roulette", "Roulette Royale", "roulette-3d.html", "roulette-royale.v1", "1"},
    {"blackjack", "Blackjack Royale", "blackjack-3d.html", "blackjack-royale.v1", "2"},
    {"baccarat", "Baccarat Royale", "baccarat-3d.html", "baccarat-royale.v1", "3"},
    {"poker", "Poker Royale", "poker-3d.html", "poker-royale.v1", "4"},
}};

inline constexpr std::string_view lobbyFile = "velmar-casino.html";

// The base address with the file name appended as one path component.
std::string url(std::string_view file);
std::string lobbyURL();

// The table an address shows, by its path's last component; null for none.
const Table* table(std::string_view address);

// Whether the address is the lobby or a table page under the private scheme.
bool isKnownPage(std::string_view address);

// The decoded last component of an address's path (query and fragment are not
// part of it); empty when the address does not parse or its path is empty.
std::string pageName(std::string_view address);

// The scheme of an address exactly as written, or empty when it has none.
std::string schemeOf(std::string_view address);

// The decoded path of an address, or nullopt when it does not parse.
std::optional<std::string> pathOf(std::string_view address);

// The position of a table in the catalog, or -1 when there is none.
int indexOf(const Table* table);

}  // namespace Tables

}  // namespace velmar
