// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include "store/saves_format.h"

#include <map>
#include <set>

namespace velmar::test {
namespace {

using Retention = SavesTest;

const std::vector<std::string> kKeys = {"roulette-royale.v1", "blackjack-royale.v1", "baccarat-royale.v1",
                                        "poker-royale.v1", "velmar.settings"};

std::vector<std::string> backupNames(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& name : entries(folder))
    if (name.ends_with(".json")) names.push_back(name);
  return names;
}

// Every value each key has in saves.json or in any backup.
std::map<std::string, std::set<std::string>> held(const std::string& saves, const std::string& backups) {
  std::map<std::string, std::set<std::string>> values;
  std::vector<std::string> files{saves};
  for (auto& name : backupNames(backups)) files.push_back(backups + "/" + name);
  for (auto& file : files)
    if (auto decoded = decodeSaves(readFile(file)))
      for (auto& [key, value] : *decoded) values[key].insert(value);
  return values;
}

std::string table(int chips, int history) {
  return "{\"chips\":" + std::to_string(chips) + ",\"history\":\"" + std::string(history, 'h') + "\"}";
}

TEST_F(Retention, NoWriteThatDropsOrClearsATableLosesItsPreviousValueAcrossMidnight) {
  // A run before this one left the roulette table at 515.
  g_mkdir_with_parents(folder().c_str(), 0755);
  writeFile(saves(), "{\"roulette-royale.v1\": \"" + std::string("515") + "\"}");
  now = localMoment(2024, 6, 1, 21);
  SaveStore store = open();
  SaveStore::Values before = store.values();
  std::set<std::string> days;
  // What pages at play or in trouble post: all gone, one table gone, one
  // cleared, play going on, a table back at its start.
  for (int step = 0; step < 48; ++step) {
    SaveStore::Values next = before;
    const std::string& key = kKeys[step % kKeys.size()];
    switch (step % 6) {
      case 0: next.clear(); break;
      case 1: next.erase(kKeys[(step + 2) % kKeys.size()]); [[fallthrough]];
      case 2: next[key] = table(500 + step, step * 37 % 400); break;
      case 3: next[key] = "{}"; break;
      case 4: for (auto& k : kKeys) next[k] = table(600 + step, step * 11 % 300); break;
      case 5: next[key] = table(500, 0); break;
    }
    // Some steps land within one second, others cross the local midnight.
    now += std::int64_t{step % 3 == 0 ? 0 : 41 * 60} * G_USEC_PER_SEC;
    GDateTime* moment = g_date_time_new_from_unix_local(now / G_USEC_PER_SEC);
    gchar* day = g_date_time_format(moment, "%Y-%m-%d");
    days.insert(day);
    g_free(day);
    g_date_time_unref(moment);

    store.replaceAll(next);
    ASSERT_TRUE(store.settle());
    // A table that lost its key or most of its value keeps that value in a
    // copy; one that changed keeps its new value in saves.json.
    auto kept = held(saves(), backups());
    for (auto& [k, value] : before) {
      auto now = next.find(k);
      if (now == next.end() || now->second.size() * 2 <= value.size())
        EXPECT_TRUE(kept[k].contains(value)) << "step " << step << " lost " << k << " = " << value;
      else
        EXPECT_TRUE(kept[k].contains(now->second)) << "step " << step << " did not write " << k;
    }
    before = next;
  }
  EXPECT_GE(days.size(), 2u) << "the writes did not cross midnight";
  // Every copy is saves, named by one of the days written on.
  for (auto& name : backupNames(backups())) {
    EXPECT_TRUE(decodeSaves(readFile(backups() + "/" + name))) << name;
    ASSERT_GE(name.size(), 16u);
    EXPECT_TRUE(name.starts_with("saves-") && days.contains(name.substr(6, 10))) << name;
  }
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(Retention, ThirtyDaysStayWhateverNumberOfCopiesEachHolds) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  // A copy of the old naming, one a day, belongs to its day like any other.
  writeFile(backups() + "/saves-2024-01-03.json", "{}");
  SaveStore store = open();
  for (int day = 0; day < 36; ++day) {
    now = localMoment(2024, 1, 1) + std::int64_t{day} * 24 * 3600 * G_USEC_PER_SEC;
    // Morning play, a table reset, and more play: three or four copies a day.
    for (auto values : {SaveStore::Values{{"a", table(day, 50)}, {"b", table(day, 50)}},
                        SaveStore::Values{{"a", table(day, 60)}}, SaveStore::Values{{"a", table(day, 70)}}}) {
      store.replaceAll(values);
      store.settle();
      now += std::int64_t{3600} * G_USEC_PER_SEC;
    }
  }
  std::set<std::string> days;
  auto names = backupNames(backups());
  for (auto& name : names) days.insert(name.substr(0, 16));
  EXPECT_EQ(days.size(), 30u);
  EXPECT_EQ(*days.begin(), "saves-2024-01-07");
  EXPECT_GE(names.size(), 60u) << "each day keeps more than its last copy";
  EXPECT_TRUE(std::find(names.begin(), names.end(), "saves-2024-02-05-first.json") != names.end());
}

}  // namespace
}  // namespace velmar::test
