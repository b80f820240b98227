// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include "platform/durable_file.h"

#include <glib/gstdio.h>

namespace velmar::test {
namespace {

using Writing = SavesTest;
using Changes = SavesTest;
using Values = SaveStore::Values;

TEST_F(Writing, EveryRealChangeReachesTheFileAndTheSeedInTheirExactWrittenForms) {
  // Fixed local noon, so the day's copy has a known name in any time zone.
  now = localMoment(2023, 11, 14);
  const std::string copy = backups() + "/saves-2023-11-14.json";
  SaveStore store = open();
  const Values stored = {{"b", "x/y\xE2\x80\xA8"}, {"a", "\xC3\xA9 \"q\" \\ \n\t\x01\x7F \xF0\x9F\x98\x80"}, {"", ""}};
  store.replaceAll(stored);
  store.settle();
  const std::string written =
      "{\n"
      "  \"\": \"\",\n"
      "  \"a\": \"\xC3\xA9 \\\"q\\\" \\\\ \\n\\t\\u0001\x7F \xF0\x9F\x98\x80\",\n"
      "  \"b\": \"x\\/y\xE2\x80\xA8\"\n"
      "}";
  EXPECT_EQ(readFile(saves()), written);
  EXPECT_EQ(readFile(copy), written);
  // The seed goes into script source, which ends a line at U+2028 and U+2029.
  EXPECT_EQ(store.seedJSON(),
            "{\"\":\"\",\"a\":\"\xC3\xA9 \\\"q\\\" \\\\ \\n\\t\\u0001\x7F \xF0\x9F\x98\x80\",\"b\":\"x\\/y\\u2028\"}");
  EXPECT_EQ(open().values(), stored);
  EXPECT_TRUE(log.lines().empty());

  g_unlink(saves().c_str());
  g_unlink(copy.c_str());
  store.replaceAll(stored);
  store.settle();
  store.remove("missing");
  store.settle();
  EXPECT_FALSE(exists(saves())) << "an unchanged save touches no file";
  EXPECT_FALSE(exists(copy)) << "and makes no copy";

  store.replaceAll({{"a", "1"}, {"b", "2"}});
  store.settle();
  EXPECT_EQ(readFile(saves()), "{\n  \"a\": \"1\",\n  \"b\": \"2\"\n}") << "keys missing from the new map are dropped";
  store.remove("a");
  store.settle();
  store.remove("b");
  store.settle();
  EXPECT_EQ(readFile(saves()), "{}");
  EXPECT_EQ(readFile(copy), "{}");
  EXPECT_EQ(store.seedJSON(), "{}");
}

// A read-only folder stops a write before anything is staged (see
// read_only_folder_test.cpp); this write fails later, at the rename.
TEST_F(Writing, AFailedRenameLeavesNoTemporaryNorCopyAndTheNextCallCatchesTheFileUp) {
  SaveStore store = open();
  // A non-empty folder in the file's place makes the rename fail, even for root.
  g_mkdir_with_parents((saves() + "/blocker").c_str(), 0755);

  store.replaceAll({{"chips", "250"}});
  store.settle();
  EXPECT_EQ(log.count("Velmar Casino: couldn't write saves.json: "), 1);
  EXPECT_TRUE(store.fileBehind());
  EXPECT_EQ(store.values(), (Values{{"chips", "250"}}));
  EXPECT_TRUE(entries(backups()).empty()) << "a failed write makes no copy";
  EXPECT_EQ(entries(folder()), (std::vector<std::string>{"backups", "saves.json"})) << "no temporary is left";

  g_rmdir((saves() + "/blocker").c_str());
  g_rmdir(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  store.settle();
  EXPECT_FALSE(store.fileBehind());
  EXPECT_EQ(readFile(saves()), "{\n  \"chips\": \"250\"\n}");
  EXPECT_EQ(entries(backups()).size(), 1u);

  // Caught up: equal content is skipped again.
  g_unlink(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  store.settle();
  EXPECT_FALSE(exists(saves()));
  EXPECT_EQ(log.count("couldn't write saves.json: "), 1);
}

// The disk's pace is the writing thread's alone: callers see their values at
// once, a burst ends in its newest state, and the store waits for its last
// write when it goes.
TEST_F(Writing, OnASlowDiskTheNewestSavesWinAndTheStoreWaitsForThemWhenItGoes) {
  setSyncDelay(std::chrono::milliseconds(20));
  {
    SaveStore store = open();
    for (int i = 1; i <= 50; ++i) store.replaceAll({{"chips", std::to_string(i)}});
    EXPECT_EQ(store.values().at("chips"), "50");
    // A write takes four syncs, so the first is still under way.
    EXPECT_FALSE(store.settle(std::chrono::milliseconds(1)));
    EXPECT_EQ(log.count("saves.json is still being written after 1 ms"), 1);
    EXPECT_TRUE(store.settle());
    EXPECT_EQ(readFile(saves()), "{\n  \"chips\": \"50\"\n}");
    store.remove("chips");
  }
  setSyncDelay(std::chrono::microseconds(0));
  EXPECT_EQ(readFile(saves()), "{}");
  // The day's last copy sorts after the day's others.
  EXPECT_EQ(readFile(backups() + "/" + entries(backups()).back()), "{}");
}


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
