// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/languages.h"

#include <algorithm>
#include <string_view>

namespace velmar {

std::vector<std::string> webLanguages(const char* const* localeNames) {
  std::vector<std::string> tags;
  for (auto name = localeNames; name && *name; ++name) {
    std::string_view locale(*name);
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") continue;
    std::string tag(locale);
    std::replace(tag.begin(), tag.end(), '_', '-');
    if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
  }
  return tags;
}

}  // namespace velmar
