// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/json_text.h"

#include <string_view>

namespace velmar {

namespace {

// nlohmann leaves "/" as it is, but the saves file carries it as "\/". JSON
// text has "/" only inside strings, where "\/" is a valid escape of it, so the
// dumped text can be mended without parsing it again.
std::string escapeSlashes(std::string text) {
  std::size_t slashes = 0;
  for (char c : text)
    if (c == '/') ++slashes;
  if (slashes == 0) return text;
  std::string out;
  out.reserve(text.size() + slashes);
  std::size_t start = 0;
  for (std::size_t i = text.find('/'); i != std::string::npos; i = text.find('/', start)) {
    out.append(text, start, i - start);
    out += "\\/";
    start = i + 1;
  }
  out.append(text, start, std::string::npos);
  return out;
}

std::string dump(const nlohmann::json& value, int indent) {
  // Bytes that are not UTF-8 (a page's lone surrogate may arrive as such) are
  // written as U+FFFD instead of making the whole document fail.
  return escapeSlashes(value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace

std::string prettyJSON(const nlohmann::json& value) { return dump(value, 2); }

std::string compactJSON(const nlohmann::json& value) { return dump(value, -1); }

}  // namespace velmar
