// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

namespace velmar::test {
namespace {

using Changes = SavesTest;
using Values = SaveStore::Values;

TEST_F(Changes, OnlyWhatThePageDidToKeysItMayChangeReachesTheSavesAndTheFile) {
  const Values start{{"mine", "1"}, {"theirs", "2"}, {"old", "3"}};
  const auto mine = [](const std::string& key) { return key != "theirs"; };
  struct Case {
    const char* what;
    SaveStore::Changes changes;
    Values after;
    std::vector<std::string> refused;
  };
  const Case cases[] = {
      {"nothing done keeps every key", {}, start, {}},
      {"a set changes that key alone", {{{"mine", "9"}}, {}}, {{"mine", "9"}, {"theirs", "2"}, {"old", "3"}}, {}},
      {"a new key joins", {{{"new", "n"}}, {}}, {{"mine", "1"}, {"theirs", "2"}, {"old", "3"}, {"new", "n"}}, {}},
      {"a removal removes that key alone", {{}, {"old"}}, {{"mine", "1"}, {"theirs", "2"}}, {}},
      {"another's key is neither set nor removed", {{{"theirs", "x"}, {"mine", "9"}}, {"theirs"}},
       {{"mine", "9"}, {"theirs", "2"}, {"old", "3"}}, {"theirs"}},
      {"a set after a removal wins", {{{"old", "4"}}, {"old"}}, {{"mine", "1"}, {"theirs", "2"}, {"old", "4"}}, {}},
      {"removing every key it may leaves the others", {{}, {"mine", "old", "theirs"}}, {{"theirs", "2"}}, {"theirs"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SaveStore::Applied applied;
    EXPECT_EQ(SaveStore::withChanges(start, c.changes, mine, applied), c.after);
    EXPECT_EQ(applied.refused, c.refused);
    EXPECT_EQ(applied.changed, c.after != start);
  }

  SaveStore store = open();
  store.replaceAll(start);
  store.settle();
  auto applied = store.apply({{{"mine", "5"}, {"theirs", "x"}}, {"old"}}, mine);
  store.settle();
  EXPECT_EQ(store.values(), (Values{{"mine", "5"}, {"theirs", "2"}}));
  EXPECT_EQ(applied.refused, std::vector<std::string>{"theirs"});
  EXPECT_EQ(open().values(), store.values());

  // Saves worked out elsewhere are taken only while the saves are still
  // those they started from.
  auto base = store.snapshot();
  SaveStore::Applied later;
  Values worked = SaveStore::withChanges(*base, {{{"mine", "6"}}, {}}, mine, later);
  store.remove("mine");
  EXPECT_FALSE(store.replaceFrom(base, worked, later.changed));
  EXPECT_EQ(store.values(), (Values{{"theirs", "2"}}));
  base = store.snapshot();
  EXPECT_TRUE(store.replaceFrom(base, worked, true));
  store.settle();
  EXPECT_EQ(open().values(), worked);
}

}  // namespace
}  // namespace velmar::test
