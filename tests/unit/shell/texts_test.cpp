// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/notices.h"
#include "shell/release_notes.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(SaveBanner, TellsOfEachTroubleWhileItLastsAndThatItIsOverOnlyAfterTrouble) {
  const std::string full =
      "Your chips can’t be saved right now: the disk is full or refuses the file. They are kept and will be saved "
      "as soon as possible.";
  const std::string slow =
      "Saving is taking a long time: the disk isn’t answering. Your chips are kept and will be saved as soon as it "
      "does.";
  const std::string again = "Your chips are saved again.";
  const std::tuple<SaveTrouble, bool, std::string, bool> cases[] = {
      {{}, false, "", false},
      {{}, true, again, true},
      {{.behind = true}, false, full, false},
      // A hung disk is the news, whether or not the last write also failed.
      {{.behind = true, .stalled = true}, true, slow, false},
      {{.unsavedTables = {"blackjack"}}, false,
       "Blackjack Royale can’t save its chips this visit. Open the table again to try again.", false},
      {{.behind = true, .unsavedTables = {"roulette", "poker", "baccarat"}}, false,
       full + " Roulette Royale, Poker Royale and Baccarat Royale can’t save their chips this visit. Open these "
              "tables again to try again.",
       false},
      // An id that names no table says nothing rather than a blank name.
      {{.unsavedTables = {"craps"}}, true, again, true},
  };
  for (const auto& [trouble, told, text, hideSoon] : cases) {
    Banner got = saveBanner(trouble, told);
    EXPECT_EQ(got.text, text);
    EXPECT_EQ(got.revealed, !text.empty()) << text;
    EXPECT_EQ(got.hideSoon, hideSoon) << text;
  }
}

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
