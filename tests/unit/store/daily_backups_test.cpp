#include "saves_fixture.h"

#include <glib/gstdio.h>

namespace velmar::test {
namespace {

using Backups = SavesTest;

std::vector<std::string> jsonEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& name : entries(folder))
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0) names.push_back(name);
  return names;
}

// Writes once on each day from `first` to before `end`, counted from 2024-01-01.
void writeOnDays(SaveStore& store, std::int64_t& now, int first, int end) {
  for (int day = first; day < end; ++day) {
    now = localMoment(2024, 1, 1) + std::int64_t{day} * 24 * 3600 * G_USEC_PER_SEC;
    store.replaceAll({{"day", std::to_string(day)}});
  }
}

TEST_F(Backups, OneCopyPerDayHoldingTheDaysLastWrite) {
  now = localMoment(2024, 3, 9, 8);
  SaveStore store = open();
  store.replaceAll({{"chips", "1"}});
  now = localMoment(2024, 3, 9, 20);
  store.replaceAll({{"chips", "2"}});
  EXPECT_EQ(entries(backups()), std::vector<std::string>{"saves-2024-03-09.json"});
  EXPECT_EQ(readFile(backups() + "/saves-2024-03-09.json"), readFile(saves()));
  EXPECT_TRUE(log.lines().empty()) << "backups never log";
}

TEST_F(Backups, WritesEitherSideOfLocalMidnightMakeTwoCopies) {
  now = localMoment(2024, 3, 9, 23, 59, 59) + 999999;
  SaveStore store = open();
  store.replaceAll({{"chips", "before"}});
  now += 1;
  store.replaceAll({{"chips", "after"}});
  EXPECT_EQ(entries(backups()), (std::vector<std::string>{"saves-2024-03-09.json", "saves-2024-03-10.json"}));
  EXPECT_NE(readFile(backups() + "/saves-2024-03-09.json").find("before"), std::string::npos);
  EXPECT_NE(readFile(backups() + "/saves-2024-03-10.json").find("after"), std::string::npos);
}

TEST_F(Backups, TheThirtyFirstDayRemovesTheOldestCopy) {
  SaveStore store = open();
  writeOnDays(store, now, 0, 30);
  ASSERT_EQ(jsonEntries(backups()).size(), 30u);
  writeOnDays(store, now, 30, 31);
  auto names = jsonEntries(backups());
  ASSERT_EQ(names.size(), 30u);
  EXPECT_EQ(names.front(), "saves-2024-01-02.json");
  EXPECT_EQ(names.back(), "saves-2024-01-31.json");
}

TEST_F(Backups, HandPlacedJsonCountsAndGoesFirstOnlyWhenItSortsLow) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  writeFile(backups() + "/0-notes.json", "low");
  writeFile(backups() + "/Archive.json", "low");
  writeFile(backups() + "/zz-keep.json", "high");
  writeFile(backups() + "/.hidden.json", "low");
  SaveStore store = open();
  writeOnDays(store, now, 0, 26);
  EXPECT_EQ(jsonEntries(backups()).size(), 30u) << "four hand-placed files and 26 days";
  EXPECT_TRUE(exists(backups() + "/.hidden.json"));
  EXPECT_TRUE(exists(backups() + "/saves-2024-01-01.json"));

  writeOnDays(store, now, 26, 28);
  auto names = jsonEntries(backups());
  EXPECT_EQ(names.size(), 30u);
  EXPECT_FALSE(exists(backups() + "/.hidden.json")) << "'.' sorts below every backup name";
  EXPECT_FALSE(exists(backups() + "/0-notes.json"));
  EXPECT_TRUE(exists(backups() + "/Archive.json"));
  EXPECT_TRUE(exists(backups() + "/zz-keep.json"));
  EXPECT_TRUE(exists(backups() + "/saves-2024-01-01.json")) << "removed only after the low hand-placed names";

  writeOnDays(store, now, 28, 40);
  EXPECT_FALSE(exists(backups() + "/Archive.json"));
  EXPECT_EQ(readFile(backups() + "/zz-keep.json"), "high") << "a name above every date is never removed";
  names = jsonEntries(backups());
  EXPECT_EQ(names.size(), 30u);
  EXPECT_EQ(names.front(), "saves-2024-01-12.json") << "29 days share the places with the high name";
}

TEST_F(Backups, OnlyTheExactLowerCaseExtensionCounts) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  const std::vector<std::string> others = {"OLD.JSON", "saves-2000-01-01.Json", "notes.txt",
                                           "saves-2000-01-01.json.bak", "json", "a.jsonl"};
  for (const auto& name : others) writeFile(backups() + "/" + name, name);
  SaveStore store = open();
  writeOnDays(store, now, 0, 35);
  EXPECT_EQ(jsonEntries(backups()).size(), 30u);
  for (const auto& name : others) EXPECT_EQ(readFile(backups() + "/" + name), name);
}

TEST_F(Backups, ClockSetBackWritesTodaysCopyAndRemovesItAgain) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  for (int day = 1; day <= 30; ++day) {
    char name[32];
    g_snprintf(name, sizeof name, "saves-2030-06-%02d.json", day);
    writeFile(backups() + "/" + name, "future");
  }
  now = localMoment(2024, 1, 1);
  SaveStore store = open();
  store.replaceAll({{"chips", "1"}});
  EXPECT_NE(readFile(saves()).find("\"1\""), std::string::npos);
  EXPECT_FALSE(exists(backups() + "/saves-2024-01-01.json"));
  EXPECT_EQ(jsonEntries(backups()).size(), 30u);
}

TEST_F(Backups, MissingBackupFolderCostsOnlyTheCopy) {
  {
    SaveStore store = open();
    g_rmdir(backups().c_str());
    store.replaceAll({{"chips", "1"}});
    EXPECT_NE(readFile(saves()).find("\"1\""), std::string::npos);
    EXPECT_FALSE(store.fileBehind());
    EXPECT_FALSE(exists(backups()));
    EXPECT_TRUE(log.lines().empty());
  }
  SaveStore next = open();
  next.replaceAll({{"chips", "2"}});
  EXPECT_EQ(jsonEntries(backups()).size(), 1u);
}

}  // namespace
}  // namespace velmar::test
