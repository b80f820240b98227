// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include <glib/gstdio.h>

namespace velmar::test {
namespace {

using Backups = SavesTest;

std::vector<std::string> jsonEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& name : entries(folder))
    if (name.ends_with(".json")) names.push_back(name);
  return names;
}

// Writes once on each day from `first` to before `end`, counted from 2024-01-01.
void writeOnDays(SaveStore& store, std::int64_t& now, int first, int end) {
  for (int day = first; day < end; ++day) {
    now = localMoment(2024, 1, 1) + std::int64_t{day} * 24 * 3600 * G_USEC_PER_SEC;
    store.replaceAll({{"day", std::to_string(day)}});
    store.settle();
  }
}

// Machines and CI often run in UTC, where a copy dated by UTC's day instead
// of the local one would pass unseen.
struct ZoneAwayFromUtc {
  const bool had = g_getenv("TZ") != nullptr;
  const std::string saved = had ? g_getenv("TZ") : "";
  ZoneAwayFromUtc() { g_setenv("TZ", "IST-5:30", TRUE); }
  ~ZoneAwayFromUtc() {
    if (had) g_setenv("TZ", saved.c_str(), TRUE);
    else g_unsetenv("TZ");
  }
};

TEST_F(Backups, EachLocalDayKeepsItsFirstAndLastWriteEvenAMicrosecondBeforeMidnight) {
  ZoneAwayFromUtc zone;
  now = localMoment(2024, 3, 9, 8);
  SaveStore store = open();
  store.replaceAll({{"chips", "morning"}});
  store.settle();
  now = localMoment(2024, 3, 9, 23, 59, 59) + 999999;
  store.replaceAll({{"chips", "before"}});
  store.settle();
  now += 1;
  store.replaceAll({{"chips", "after"}});
  store.settle();
  EXPECT_EQ(entries(backups()), (std::vector<std::string>{"saves-2024-03-09-first.json", "saves-2024-03-09.json",
                                                          "saves-2024-03-10.json"}));
  EXPECT_EQ(readFile(backups() + "/saves-2024-03-09-first.json"), "{\n  \"chips\": \"morning\"\n}");
  EXPECT_EQ(readFile(backups() + "/saves-2024-03-09.json"), "{\n  \"chips\": \"before\"\n}");
  EXPECT_EQ(readFile(backups() + "/saves-2024-03-10.json"), readFile(saves()));
  EXPECT_TRUE(log.lines().empty()) << "backups never log";
}

TEST_F(Backups, TheThirtyNewestJsonNamesStayWhoeverPutThemThereAndWhateverTheClockSays) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  for (const char* name : {".hidden.json", "0-notes.json", "Zoo.json", "zz-keep.json"})
    writeFile(backups() + "/" + name, name);
  // Only the exact lower-case extension counts.
  const char* others[] = {"OLD.JSON", "saves-2000-01-01.Json", "notes.txt", "saves.json.bak", "json", "a.jsonl"};
  for (const char* name : others) writeFile(backups() + "/" + name, name);
  SaveStore store = open();
  writeOnDays(store, now, 0, 26);
  EXPECT_EQ(jsonEntries(backups()).size(), 30u) << "four hand-placed files and 26 days";

  // Names sort by bytes: '.', digits and upper case below the dates, "zz" above.
  writeOnDays(store, now, 26, 28);
  auto names = jsonEntries(backups());
  EXPECT_EQ(names.size(), 30u);
  EXPECT_EQ(names.front(), "Zoo.json") << "the lowest names go first, whoever wrote them";

  writeOnDays(store, now, 28, 40);
  names = jsonEntries(backups());
  EXPECT_EQ(names.size(), 30u);
  EXPECT_EQ(names.front(), "saves-2024-01-12.json") << "29 days share the places with the high name";
  EXPECT_EQ(names.back(), "zz-keep.json");
  for (const char* name : others) EXPECT_EQ(readFile(backups() + "/" + name), name);

  // A clock set back makes today's copy the oldest name, so it goes at once.
  now = localMoment(2023, 1, 1);
  store.replaceAll({{"day", "past"}});
  store.settle();
  EXPECT_EQ(readFile(saves()), "{\n  \"day\": \"past\"\n}");
  EXPECT_EQ(jsonEntries(backups()), names);
}

}  // namespace
}  // namespace velmar::test
