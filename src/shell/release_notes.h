// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// The newest release of an AppStream metainfo file, as the About window
// shows it under "What's New".
struct ReleaseNotes {
  std::string version;
  // The release's description as About-window markup (<p>, <ul>, <ol>, <li>),
  // each paragraph and list item in the first of the languages that has it
  // (xml:lang), English otherwise.
  std::string markup;
};

// Reads the first <release> of the text; an empty result when the text is
// not well-formed or has no release. languages are in order of preference,
// as g_get_language_names() gives them.
ReleaseNotes readReleaseNotes(std::string_view metainfo, const std::vector<std::string>& languages);

}  // namespace velmar
