// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/release_notes.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

// Laid out as msgfmt writes a translated metainfo file: each translation
// right after its original.
constexpr const char* kMetainfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<component type="desktop-application">
  <description><p>Not a release.</p></description>
  <releases>
    <release version="1.1.0" date="2027-01-01">
      <description>
        <p>Two new
           tables &amp; more.</p>
        <p xml:lang="fr">Deux nouvelles tables.</p>
        <p xml:lang="de">Zwei neue Tische &amp; mehr.</p>
        <ul>
          <li>Faster</li>
          <li xml:lang="de">Schneller</li>
          <li>Only in English</li>
        </ul>
      </description>
    </release>
    <release version="1.0.0" date="2026-12-06">
      <description><p>The first release.</p></description>
    </release>
  </releases>
</component>)";

TEST(ReleaseNotes, TheNewestReleaseInTheBestLanguageEachPartHasEnglishOtherwise) {
  ReleaseNotes german = readReleaseNotes(kMetainfo, {"de_DE.UTF-8", "de_DE", "de", "C"});
  EXPECT_EQ(german.version, "1.1.0");
  EXPECT_EQ(german.markup, "<p>Zwei neue Tische &amp; mehr.</p><ul><li>Schneller</li><li>Only in English</li></ul>");
  // Earlier in the list wins, whatever order the file has.
  EXPECT_EQ(readReleaseNotes(kMetainfo, {"fr", "de", "C"}).markup.substr(0, 29), "<p>Deux nouvelles tables.</p>");
  EXPECT_EQ(readReleaseNotes(kMetainfo, {"it", "C"}).markup,
            "<p>Two new tables &amp; more.</p><ul><li>Faster</li><li>Only in English</li></ul>");
}

TEST(ReleaseNotes, NothingFromABrokenFileOrOneWithoutReleases) {
  for (const char* text : {"", "<component><releases><release version=\"1\">", "<component><name>x</name></component>"})
    EXPECT_EQ(readReleaseNotes(text, {"C"}).markup, "") << text;
}

}  // namespace
}  // namespace velmar
