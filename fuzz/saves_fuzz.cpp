// SPDX-License-Identifier: GPL-3.0-or-later
// The saves file as read from disk: any bytes must load or be refused without
// a crash, and a file that loads must survive being written back and seeded
// into a page with every entry intact.
#include "store/json_text.h"
#include "store/saves_format.h"
#include "require.h"

#include <cstdint>
#include <string>

using velmar::decodeSaves;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // libFuzzer's inputs stay short, so depth far beyond them is tried once
  // here: a reader that recursed would overflow the stack on these.
  for (std::string unit : {"[", "{\"a\":", "{\"a\":["}) {
    std::string deep;
    for (int i = 0; i < 1'000'000; ++i) deep += unit;
    REQUIRE(!decodeSaves(deep));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto saves = decodeSaves(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!saves) return 0;

  std::string written = velmar::encodeSaves(*saves);
  REQUIRE(decodeSaves(written) == saves);
  // The fast writer promises nlohmann's own output, byte for byte.
  REQUIRE(written == velmar::prettyJSON(nlohmann::json(*saves)));

  auto seed = nlohmann::json::parse(velmar::encodeSeed(*saves), nullptr, false);
  REQUIRE(seed.is_object() && seed.size() == saves->size());
  for (const auto& [key, value] : seed.items())
    REQUIRE(value.is_string() && saves->count(key) && saves->at(key) == value.get_ref<const std::string&>());
  return 0;
}
