// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"

#include <glib/gstdio.h>

namespace velmar::test {
namespace {

using Writing = SavesTest;
using Values = SaveStore::Values;

TEST_F(Writing, EveryRealChangeReachesTheFileAndTheSeedInTheirExactWrittenForms) {
  // Fixed local noon, so the day's copy has a known name in any time zone.
  now = localMoment(2023, 11, 14);
  const std::string copy = backups() + "/saves-2023-11-14.json";
  SaveStore store = open();
  const Values stored = {{"b", "x/y\xE2\x80\xA8"}, {"a", "\xC3\xA9 \"q\" \\ \n\t\x01\x7F \xF0\x9F\x98\x80"}, {"", ""}};
  store.replaceAll(stored);
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
  store.remove("missing");
  EXPECT_FALSE(exists(saves())) << "an unchanged save touches no file";
  EXPECT_FALSE(exists(copy)) << "and makes no copy";

  store.replaceAll({{"a", "1"}, {"b", "2"}});
  EXPECT_EQ(readFile(saves()), "{\n  \"a\": \"1\",\n  \"b\": \"2\"\n}") << "keys missing from the new map are dropped";
  store.remove("a");
  store.remove("b");
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
  EXPECT_EQ(log.count("Velmar Casino: couldn't write saves.json: "), 1);
  EXPECT_TRUE(store.fileBehind());
  EXPECT_EQ(store.values(), (Values{{"chips", "250"}}));
  EXPECT_TRUE(entries(backups()).empty()) << "a failed write makes no copy";
  EXPECT_EQ(entries(folder()), (std::vector<std::string>{"backups", "saves.json"})) << "no temporary is left";

  g_rmdir((saves() + "/blocker").c_str());
  g_rmdir(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  EXPECT_FALSE(store.fileBehind());
  EXPECT_EQ(readFile(saves()), "{\n  \"chips\": \"250\"\n}");
  EXPECT_EQ(entries(backups()).size(), 1u);

  // Caught up: equal content is skipped again.
  g_unlink(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  EXPECT_FALSE(exists(saves()));
  EXPECT_EQ(log.count("couldn't write saves.json: "), 1);
}

}  // namespace
}  // namespace velmar::test
