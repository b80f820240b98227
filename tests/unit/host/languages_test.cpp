// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/languages.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using Tags = std::vector<std::string>;

TEST(WebLanguages, LocaleNamesBecomeTagsInOrderOnceEach) {
  // What GLib gives for LANGUAGE=de_AT:fr with LANG=en_GB.UTF-8, say.
  const char* chosen[] = {"de_AT.UTF-8", "de_AT", "de", "fr_FR@euro", "fr", "de", "C", nullptr};
  EXPECT_EQ(webLanguages(chosen), (Tags{"de-AT", "de", "fr-FR", "fr"}));
  // Only the C locale (or nothing) is no language: the engine keeps its own.
  const char* plain[] = {"C.UTF-8", "POSIX", ".UTF-8", nullptr};
  EXPECT_EQ(webLanguages(plain), Tags{});
  EXPECT_EQ(webLanguages(nullptr), Tags{});
}

}  // namespace
}  // namespace velmar
