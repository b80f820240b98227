// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/notices.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

constexpr const char* kFull =
    "Your chips can’t be saved right now: the disk is full or refuses the file. They are kept and will be saved as "
    "soon as possible.";
constexpr const char* kSlow =
    "Saving is taking a long time: the disk isn’t answering. Your chips are kept and will be saved as soon as it does.";

TEST(SaveBanner, TellsOfEachTroubleWhileItLastsAndThatItIsOverOnlyAfterTrouble) {
  struct Case {
    SaveTrouble trouble;
    bool toldTrouble;
    Banner expected;
  };
  const std::string again = "Your chips are saved again.";
  const Case cases[] = {
      {{}, false, {"", false, false}},
      {{}, true, {again, true, true}},
      {{.behind = true}, false, {kFull, true, false}},
      // A hung disk is the news, whether or not the last write also failed.
      {{.behind = true, .stalled = true}, true, {kSlow, true, false}},
      {{.stalled = true}, false, {kSlow, true, false}},
      {{.unsavedTables = {"blackjack"}}, false,
       {"Blackjack Royale can’t save its chips this visit. Open the table again to try again.", true, false}},
      {{.behind = true, .unsavedTables = {"roulette", "poker", "baccarat"}}, false,
       {std::string(kFull) + " Roulette Royale, Poker Royale and Baccarat Royale can’t save their chips this visit. "
                             "Open these tables again to try again.",
        true, false}},
      // An id that names no table says nothing rather than a blank name.
      {{.unsavedTables = {"craps"}}, true, {again, true, true}},
  };
  for (const Case& c : cases) {
    Banner got = saveBanner(c.trouble, c.toldTrouble);
    EXPECT_EQ(got.text, c.expected.text);
    EXPECT_EQ(got.revealed, c.expected.revealed) << got.text;
    EXPECT_EQ(got.hideSoon, c.expected.hideSoon) << got.text;
  }
}

}  // namespace
}  // namespace velmar
