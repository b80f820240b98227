// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace velmar {

// The user's languages as the web engine wants them (BCP 47 tags, most wanted
// first), from locale names as g_get_language_names() gives them:
// "de_DE.UTF-8", "de_DE", "de", "C" become "de-DE", "de". The encoding and
// any modifier are dropped, "C" and "POSIX" are no language, and a tag is
// listed once. The engine does not read LANGUAGE by itself, so without this a
// page's navigator.languages says "C" whatever the user chose.
std::vector<std::string> webLanguages(const char* const* localeNames);

}  // namespace velmar
