// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"
#include "support/unprivileged.h"

#include "store/durable_file.h"
#include "store/settle_watch.h"

#include <sys/stat.h>

namespace velmar::test {
namespace {

// Runs the default main context, where the store tells its listener, until
// done() holds or a bound that only stops a hang.
template <class Done>
bool runUntil(Done done) {
  for (int i = 0; i < 3000 && !done(); ++i) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_usleep(20000);
  }
  return done();
}

TEST(SaveHealth, AFailedWriteLandsByItselfOnceTheFolderTakesItAndTheListenerHearsBoth) {
  TempDir base;
  std::string faults = runWithoutPrivileges(base.path(), [&] {
    Faults f;
    LogCapture log;
    const std::string folder = base / "Velmar Casino";
    SaveStore store(base.path(), [] { return localMoment(2024, 5, 1); });
    std::vector<SaveStore::Health> heard;
    store.onHealthChange([&] { heard.push_back(store.health()); });
    store.replaceAll({{"roulette-royale.v1", "500"}});
    store.settle();

    chmod(folder.c_str(), 0555);
    store.replaceAll({{"roulette-royale.v1", "515"}});
    store.settle();
    f.check(store.health().behind, "the failed write was not reported");
    f.check(runUntil([&] { return !heard.empty() && heard.back().behind; }), "the listener was not told of the failure");
    // Tries of its own keep failing, quietly: the one asked for was logged.
    g_usleep(1200000);
    f.check(log.count("couldn't write saves.json") == 1, "the retries logged");

    // Nothing more is asked for: the held saves land by themselves.
    chmod(folder.c_str(), 0755);
    f.check(runUntil([&] { return readFile(folder + "/saves.json").find("515") != std::string::npos; }),
            "the held saves did not land once the folder took them");
    f.check(runUntil([&] { return !heard.empty() && !heard.back().behind; }), "the listener was not told it landed");
    f.check(!store.fileBehind(), "the store still says it is behind");
    f.check(entries(folder) == std::vector<std::string>{"backups", "saves.json"}, "something was left behind");
    return f.text();
  });
  EXPECT_EQ(faults, "");
}

TEST(SaveHealth, AWriteUnderWayForLongIsStalledUntilItEndsAndQuittingSeesItMove) {
  TempDir base;
  SaveStore store(base.path(), [] { return localMoment(2024, 5, 1); });
  std::vector<SaveStore::Health> heard;
  store.onHealthChange([&] { heard.push_back(store.health()); });
  // Four syncs a write: well past the stall time in all.
  setSyncDelay(std::chrono::milliseconds(1500));
  const auto before = store.progress();
  store.replaceAll({{"poker-royale.v1", "900"}});
  EXPECT_TRUE(runUntil([&] { return store.progress() != before; })) << "the write never began";
  EXPECT_FALSE(store.settled());
  EXPECT_TRUE(runUntil([&] { return !heard.empty() && heard.back().stalled; })) << "the stall was not told";
  setSyncDelay(std::chrono::microseconds(0));
  EXPECT_TRUE(runUntil([&] { return store.settled(); }));
  EXPECT_TRUE(runUntil([&] { return !heard.back().stalled; })) << "the end of the stall was not told";
  EXPECT_FALSE(store.health().stalled);
  EXPECT_FALSE(store.health().behind);
  EXPECT_EQ(readFile(store.file()), "{\n  \"poker-royale.v1\": \"900\"\n}");
}

TEST(SaveHealth, AWaitEndsOnlyWhenTheWritesSettleOrMakeNoProgressForLong) {
  using State = SettleWatch::State;
  constexpr std::int64_t kSecond = G_USEC_PER_SEC;
  struct Step {
    std::int64_t at;
    bool settled;
    std::uint64_t progress;
    State expected;
  };
  const std::vector<std::vector<Step>> cases = {
      {{0, false, 1, State::waiting}, {kSecond / 4, true, 2, State::settled}},
      {{0, false, 1, State::waiting}, {kSecond, false, 1, State::waitingLong}, {29 * kSecond, false, 1, State::waitingLong},
       {30 * kSecond, false, 1, State::hung}},
      // A slow disk that keeps ending writes is waited for however long.
      {{0, false, 1, State::waiting}, {25 * kSecond, false, 2, State::waitingLong},
       {50 * kSecond, false, 3, State::waitingLong}, {79 * kSecond, false, 3, State::waitingLong},
       {81 * kSecond, false, 4, State::waitingLong}, {90 * kSecond, true, 5, State::settled}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SettleWatch watch(0, 0);
    for (auto& step : cases[i])
      EXPECT_EQ(watch.poll(step.at, step.settled, step.progress), step.expected) << "case " << i << " at " << step.at;
  }
}

}  // namespace
}  // namespace velmar::test
