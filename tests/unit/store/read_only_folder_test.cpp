// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"
#include "support/unprivileged.h"

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

TEST(ReadOnlySaveFolder, SavesWaitInMemoryAndLandByThemselvesOnceWritableAndTheListenerHearsBoth) {
  TempDir base;
  std::string faults = runWithoutPrivileges(base.path(), [&] {
    Faults f;
    LogCapture log;
    const std::string folder = base / "Velmar Casino";
    const std::string saves = folder + "/saves.json";
    SaveStore store(base.path(), [] { return localMoment(2024, 5, 1); });
    std::vector<SaveStore::Health> heard;
    store.onHealthChange([&] { heard.push_back(store.health()); });
    store.replaceAll({{"chips", "100"}});
    store.settle();
    const std::string first = readFile(saves);

    chmod(folder.c_str(), 0555);
    store.replaceAll({{"chips", "250"}});
    store.settle();
    f.check(log.count("Velmar Casino: couldn't write saves.json: ") == 1, "the failure was not logged once");
    f.check(log.lines().size() == 1, "a failed write logged more than one line");
    f.check(store.health().behind, "the failed write was not reported");
    f.check(runUntil([&] { return !heard.empty() && heard.back().behind; }), "the listener was not told of the failure");
    f.check(store.values() == SaveStore::Values{{"chips", "250"}}, "the saves were not kept in memory");
    f.check(store.seedJSON() == "{\"chips\":\"250\"}", "the seed lost the new saves");
    f.check(readFile(saves) == first, "the saves file was damaged");
    // Tries of its own keep failing, quietly; each one asked for is logged.
    g_usleep(1200000);
    f.check(log.count("couldn't write saves.json") == 1, "the retries logged");
    store.replaceAll({{"chips", "250"}});
    store.settle();
    store.remove("nothing");
    store.settle();
    f.check(log.count("couldn't write saves.json: ") == 3, "each retried write was not logged once");
    f.check(entries(folder) == std::vector<std::string>{"backups", "saves.json"}, "something was left behind");

    // Nothing more is asked for: the held saves land by themselves.
    chmod(folder.c_str(), 0755);
    f.check(runUntil([&] { return readFile(saves) == "{\n  \"chips\": \"250\"\n}"; }),
            "the held saves did not land once the folder took them");
    f.check(runUntil([&] { return !heard.empty() && !heard.back().behind; }), "the listener was not told it landed");
    f.check(!store.fileBehind(), "the store still says it is behind");
    f.check(log.count("couldn't write saves.json: ") == 3, "the write that worked logged a failure");
    f.check(readFile(folder + "/backups/saves-2024-05-01.json") == readFile(saves), "no copy of the late write");
    f.check(entries(folder) == std::vector<std::string>{"backups", "saves.json"}, "something was left behind");

    // A read-only backup folder costs the copy and nothing else.
    chmod((folder + "/backups").c_str(), 0555);
    store.replaceAll({{"chips", "300"}});
    store.settle();
    f.check(readFile(saves).find("300") != std::string::npos, "the save failed with the backup folder");
    f.check(log.lines().size() == 3, "the missing copy was logged");
    chmod((folder + "/backups").c_str(), 0755);

    // Chips held only in memory, then a page that posts nothing once there is
    // room: a copy keeps them.
    chmod(folder.c_str(), 0555);
    store.replaceAll({{"chips", "530"}});
    store.settle();
    chmod(folder.c_str(), 0755);
    store.replaceAll({});
    store.settle();
    bool copied = false;
    for (auto& name : entries(folder + "/backups"))
      copied = copied || readFile(folder + "/backups/" + name).find("530") != std::string::npos;
    f.check(copied, "the chips held in memory went without a copy");
    return f.text();
  });
  EXPECT_EQ(faults, "");
}

TEST(SaveHealth, AWaitEndsOnlyWhenTheWritesSettleOrMakeNoProgressForLong) {
  using State = SettleWatch::State;
  constexpr std::int64_t s = G_USEC_PER_SEC;
  SettleWatch hung(0, 0), slow(0, 0);
  EXPECT_EQ(hung.poll(0, false, 1), State::waiting);
  EXPECT_EQ(hung.poll(29 * s, false, 1), State::waitingLong);
  EXPECT_EQ(hung.poll(30 * s, false, 1), State::hung);
  // A slow disk that keeps ending writes is waited for however long.
  for (std::uint64_t n = 1; n <= 4; ++n) EXPECT_EQ(slow.poll(n * 25 * s, false, n), State::waitingLong);
  EXPECT_EQ(slow.poll(101 * s, true, 5), State::settled);
}

}  // namespace
}  // namespace velmar::test
