// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"
#include "support/unprivileged.h"

#include <sys/stat.h>

namespace velmar::test {
namespace {

TEST(ReadOnlySaveFolder, SavesWaitInMemoryAndReachTheDiskOnceWritable) {
  TempDir base;
  std::string faults = runWithoutPrivileges(base.path(), [&] {
    Faults f;
    LogCapture log;
    const std::string folder = base / "Velmar Casino";
    const std::string saves = folder + "/saves.json";
    SaveStore store(base.path(), [] { return localMoment(2024, 5, 1); });
    store.replaceAll({{"chips", "100"}});
    store.settle();
    const std::string first = readFile(saves);

    chmod(folder.c_str(), 0555);
    store.replaceAll({{"chips", "250"}});
    store.settle();
    f.check(log.count("Velmar Casino: couldn't write saves.json: ") == 1, "the failure was not logged once");
    f.check(log.lines().size() == 1, "a failed write logged more than one line");
    f.check(store.values() == SaveStore::Values{{"chips", "250"}}, "the saves were not kept in memory");
    f.check(store.seedJSON() == "{\"chips\":\"250\"}", "the seed lost the new saves");
    f.check(readFile(saves) == first, "the saves file was damaged");
    store.replaceAll({{"chips", "250"}});
    store.settle();
    store.remove("nothing");
    store.settle();
    f.check(log.count("couldn't write saves.json: ") == 3, "each retried write was not logged once");
    f.check(entries(folder) == std::vector<std::string>{"backups", "saves.json"}, "something was left behind");

    chmod(folder.c_str(), 0755);
    store.replaceAll({{"chips", "250"}});
    store.settle();
    f.check(log.count("couldn't write saves.json: ") == 3, "the write that worked logged a failure");
    f.check(!store.fileBehind(), "the file is still behind");
    f.check(readFile(saves) == "{\n  \"chips\": \"250\"\n}", "the saves did not reach the disk");
    f.check(readFile(folder + "/backups/saves-2024-05-01.json") == readFile(saves), "no copy of the late write");

    // A read-only backup folder costs the copy and nothing else.
    chmod((folder + "/backups").c_str(), 0555);
    store.replaceAll({{"chips", "300"}});
    store.settle();
    f.check(readFile(saves).find("300") != std::string::npos, "the save failed with the backup folder");
    f.check(log.lines().size() == 3, "the missing copy was logged");
    chmod((folder + "/backups").c_str(), 0755);
    return f.text();
  });
  EXPECT_EQ(faults, "");
}

}  // namespace
}  // namespace velmar::test
