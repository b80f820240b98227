// SPDX-License-Identifier: GPL-3.0-or-later
// The text of a save message, as a page's bridge (or a hostile page) may post
// it: reading it never crashes, what it keeps is valid UTF-8 and exactly the
// data's entries as an independent JSON reader sees them, and whatever it
// says, a page never changes a key it does not own.
#include "catalog/tables.h"
#include "host/decisions.h"
#include "host/save_message.h"
#include "require.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// UTF-8 that may hold U+0000, which g_utf8_validate does not accept.
bool validText(const std::string& text) {
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (!g_utf8_validate_len(text.data() + start, end - start, nullptr)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string refusal;
  auto message = velmar::parseSaveText(text, refusal);
  REQUIRE(message || !refusal.empty());
  if (message) {
    for (const auto& [key, value] : message->changes.set) REQUIRE(validText(key) && validText(value));
    auto json = nlohmann::json::parse(text, nullptr, false);
    REQUIRE(!json.is_discarded() && json["data"].is_object());
    velmar::SaveStore::Values expected;
    for (const auto& [key, value] : json["data"].items()) expected[key] = value.get<std::string>();
    REQUIRE(message->changes.set == expected);
  }

  // Every table's key and one that is no table's, as the lobby and the first
  // table hold them.
  velmar::SaveStore::Values base{{"velmar-casino.settings", "settings"}};
  std::vector<std::string> all{"velmar-casino.settings"};
  for (const auto& table : velmar::Tables::all) {
    base[std::string(table.storeKey)] = std::string(table.id);
    all.emplace_back(table.storeKey);
  }
  for (const velmar::Table* page : {static_cast<const velmar::Table*>(nullptr), &velmar::Tables::all[0]}) {
    auto plan = velmar::planSave(text, page, all, false, base);
    if (!plan.refusal.empty()) continue;
    for (const auto& [key, value] : base) {
      if (velmar::mayChangeKey(page, key)) continue;
      auto kept = plan.values.find(key);
      REQUIRE(kept != plan.values.end() && kept->second == value);
    }
  }
  return 0;
}
