// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include "store/backup_copies.h"
#include "store/saves_format.h"

#include <glib/gstdio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

namespace velmar::test {
namespace {

using Retention = SavesTest;
using Backups = SavesTest;

// Every value each key has in saves.json or in any backup, and the backups' days.
std::map<std::string, std::set<std::string>> held(const std::string& folder, std::set<std::string>& days) {
  std::vector<std::string> files{folder + "/saves.json"};
  for (auto& name : entries(folder + "/backups")) {
    files.push_back(folder + "/backups/" + name);
    days.insert(name.substr(0, 16));
  }
  std::map<std::string, std::set<std::string>> values;
  for (auto& file : files)
    if (auto decoded = decodeSaves(readFile(file)))
      for (auto& [key, value] : *decoded) values[key].insert(value);
  return values;
}

std::string table(int chips, int history) {
  return "{\"chips\":" + std::to_string(chips) + ",\"history\":\"" + std::string(history, 'h') + "\"}";
}

TEST_F(Retention, NoWriteThatDropsOrClearsATableLosesItsPreviousValueAcrossMidnight) {
  const std::vector<std::string> keys = {"roulette-royale.v1", "blackjack-royale.v1", "baccarat-royale.v1",
                                         "poker-royale.v1", "velmar.settings"};
  g_mkdir_with_parents(folder().c_str(), 0755);
  writeFile(saves(), "{\"roulette-royale.v1\": \"515\"}");
  now = localMoment(2024, 6, 1, 21);
  SaveStore store = open();
  SaveStore::Values before = store.values();
  std::set<std::string> days;
  // What pages at play or in trouble post: all gone, one table gone, one
  // cleared, play going on, a table back at its start.
  for (int step = 0; step < 48; ++step) {
    SaveStore::Values next = before;
    const std::string& key = keys[step % keys.size()];
    switch (step % 6) {
      case 0: next.clear(); break;
      case 1: next.erase(keys[(step + 2) % keys.size()]); [[fallthrough]];
      case 2: next[key] = table(500 + step, step * 37 % 400); break;
      case 3: next[key] = "{}"; break;
      case 4: for (auto& k : keys) next[k] = table(600 + step, step * 11 % 300); break;
      case 5: next[key] = table(500, 0); break;
    }
    // Some steps land within one second, the others cross local midnights.
    now += std::int64_t{step % 3 == 0 ? 0 : 41 * 60} * G_USEC_PER_SEC;
    store.replaceAll(next);
    ASSERT_TRUE(store.settle());
    auto kept = held(folder(), days);
    for (auto& [k, value] : before) {
      auto after = next.find(k);
      bool lost = after == next.end() || after->second.size() * 2 <= value.size();
      EXPECT_TRUE(kept[k].contains(lost ? value : after->second)) << "step " << step << ": " << k << " = " << value;
    }
    before = next;
  }
  EXPECT_EQ(days, (std::set<std::string>{"saves-2024-06-01", "saves-2024-06-02"}));
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(Retention, ThirtyDaysStayWhateverNumberOfCopiesEachHolds) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  // A copy of the old naming, one a day, belongs to its day like any other.
  writeFile(backups() + "/saves-2024-01-03.json", "{}");
  SaveStore store = open();
  for (int day = 0; day < 36; ++day) {
    now = localMoment(2024, 1, 1) + std::int64_t{day} * 24 * 3600 * G_USEC_PER_SEC;
    // Play, a table reset, more play.
    for (auto values : {SaveStore::Values{{"a", table(day, 50)}, {"b", table(day, 50)}},
                        SaveStore::Values{{"a", table(day, 60)}}, SaveStore::Values{{"a", table(day, 70)}}}) {
      store.replaceAll(values);
      store.settle();
      now += std::int64_t{3600} * G_USEC_PER_SEC;
    }
  }
  std::set<std::string> days;
  held(folder(), days);
  EXPECT_EQ(days.size(), 30u);
  EXPECT_EQ(*days.begin(), "saves-2024-01-07");
  EXPECT_GE(entries(backups()).size(), 60u) << "each day keeps more than its last copy";
}


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

constexpr const char* kKey = "roulette-royale.v1";

class BackupListing : public ::testing::Test {
 protected:
  std::string folder() const { return dir.path(); }
  // A copy written at the given second of the epoch.
  void copy(const std::string& name, const std::string& bytes, std::int64_t modified) {
    std::string path = dir / name;
    writeFile(path, bytes);
    struct timespec times[2] = {{modified, 0}, {modified, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  // What the listing gives, as "date: value@time value@time".
  std::vector<std::string> listing() {
    std::vector<std::string> out;
    for (const BackupDay& day : listBackups(folder(), kKey)) {
      std::string line = day.date + ":";
      for (const BackupCopy& c : day.copies) line += " " + c.value + "@" + std::to_string(c.modified);
      out.push_back(line);
    }
    return out;
  }

  TempDir dir;
  LogCapture log;
};

TEST_F(BackupListing, DaysComeNewestFirstWithEachDistinctValueOfTheirFilesAndNoneWithoutTheKey) {
  copy("saves-2026-12-05.json", R"({"roulette-royale.v1": "evening", "other": "x"})", 2000);
  copy("saves-2026-12-05-first.json", R"({"roulette-royale.v1": "morning"})", 1000);
  copy("saves-2026-12-05-before-reset.json", R"({"roulette-royale.v1": "evening"})", 1500);
  copy("saves-2026-12-04.json", R"({"blackjack-royale.v1": "only blackjack"})", 900);
  copy("saves-2026-12-03.json", R"({"roulette-royale.v1": "same"})", 800);
  copy("saves-2026-12-03-first.json", R"({"roulette-royale.v1": "same"})", 700);
  copy("saves-2026-11-30.json", R"({"roulette-royale.v1": "november"})", 100);
  // Names that are no dated copy are passed over without a word.
  copy("saves-unknown-date.json", R"({"roulette-royale.v1": "undated"})", 3000);
  copy("saves-2026-13-01.json", R"({"roulette-royale.v1": "no month"})", 3000);
  copy("saves-2026-12-055.json", R"({"roulette-royale.v1": "no day"})", 3000);
  copy("notes.json", R"({"roulette-royale.v1": "notes"})", 3000);
  copy("saves-2026-12-06.txt", R"({"roulette-royale.v1": "text"})", 3000);

  EXPECT_EQ(listing(), (std::vector<std::string>{"2026-12-05: evening@2000 morning@1000", "2026-12-03: same@800",
                                                 "2026-11-30: november@100"}));
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(BackupListing, AFileThatCannotBeReadIsSkippedWithOneLineAndLeftAsItIs) {
  copy("saves-2026-12-01.json", R"({"roulette-royale.v1": "good"})", 100);
  copy("saves-2026-12-02.json", "{\"roulette-royale.v1\": 515}", 200);
  copy("saves-2026-12-03.json", "{\"roulette-royale.v1\": \"cut short", 300);
  ASSERT_EQ(g_mkdir((dir / "saves-2026-12-04.json").c_str(), 0755), 0);
  ASSERT_EQ(symlink((dir / "saves-2026-12-01.json").c_str(), (dir / "saves-2026-12-05.json").c_str()), 0);
  // A FIFO nobody writes to would hold a blocking read for good.
  ASSERT_EQ(mkfifo((dir / "saves-2026-12-06.json").c_str(), 0644), 0);
  // Sparse, so the test costs no disk; past the bound it is never read.
  int fd = g_open((dir / "saves-2026-12-07.json").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 256 * 1024 * 1024), 0);
  close(fd);

  EXPECT_EQ(listing(), (std::vector<std::string>{"2026-12-01: good@100"}));
  for (int day = 2; day <= 7; ++day)
    EXPECT_EQ(log.count("saves-2026-12-0" + std::to_string(day) + ".json"), 1) << day;
  EXPECT_EQ(log.lines().size(), 6u);
  EXPECT_EQ(readFile(dir / "saves-2026-12-03.json"), "{\"roulette-royale.v1\": \"cut short");
  GStatBuf info;
  ASSERT_EQ(g_lstat((dir / "saves-2026-12-06.json").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(g_lstat((dir / "saves-2026-12-05.json").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(BackupListing, OneChosenCopyGivesTheKeysValueOrNothing) {
  copy("saves-2026-12-05.json", R"({"roulette-royale.v1": "{\"bankroll\":51500}"})", 100);
  copy("saves-2026-12-06.json", "not saves", 100);
  EXPECT_EQ(readBackupValue(dir / "saves-2026-12-05.json", kKey), "{\"bankroll\":51500}");
  EXPECT_EQ(readBackupValue(dir / "saves-2026-12-05.json", "poker-royale.v1"), std::nullopt);
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(readBackupValue(dir / "saves-2026-12-06.json", kKey), std::nullopt);
  EXPECT_EQ(readBackupValue(dir / "saves-2026-12-09.json", kKey), std::nullopt);
  EXPECT_EQ(log.lines().size(), 2u);
}

}  // namespace
}  // namespace velmar::test
