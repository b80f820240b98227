// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include "store/saves_format.h"

#include <map>
#include <set>

namespace velmar::test {
namespace {

using Retention = SavesTest;

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

}  // namespace
}  // namespace velmar::test
