// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/notices.h"

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

}  // namespace
}  // namespace velmar
