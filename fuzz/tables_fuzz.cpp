// SPDX-License-Identifier: GPL-3.0-or-later
// The page-address mapping on any address: no crash, and the functions agree
// with one another, so the page a table is found on is the page its address
// opens.
#include "catalog/tables.h"
#include "require.h"

#include <glib.h>

#include <cstdint>
#include <string>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  const Table* table = Tables::table(input);
  const auto path = Tables::pathOf(input);
  const std::string name = Tables::pageName(input);
  if (!path) REQUIRE(name.empty() && !table);
  if (name != "/") REQUIRE(name.find('/') == std::string::npos && (!path || path->find(name) != std::string::npos));
  if (table) {
    REQUIRE(name == table->file);
    int index = Tables::indexOf(table);
    REQUIRE(index >= 0 && &Tables::all[index] == table);
    const std::string address = Tables::url(table->file);
    REQUIRE(Tables::table(address) == table && Tables::isKnownPage(address));
  }
  if (Tables::isKnownPage(input))
    REQUIRE(Tables::schemeOf(input) == kScheme && (table || name == Tables::lobbyFile));

  // The input as a remembered page name: its address is one component under
  // the base address that decodes back to the name itself.
  if (input.empty() || input == "." || input == ".." || input.find_first_of(std::string("/\0", 2)) != std::string::npos ||
      !g_utf8_validate(input.data(), static_cast<gssize>(input.size()), nullptr))
    return 0;
  const std::string address = Tables::url(input);
  REQUIRE(address.starts_with(kBaseURL) && Tables::schemeOf(address) == kScheme);
  REQUIRE(Tables::pathOf(address) == "/" + input && Tables::pageName(address) == input);
  const Table* named = Tables::table(address);
  REQUIRE(!named || named->file == input);
  return 0;
}
