#include "saves_fixture.h"
#include "store/json_text.h"

#include <glib/gstdio.h>

namespace velmar::test {
namespace {

using Writing = SavesTest;
using Values = SaveStore::Values;

const std::string kToday = "/saves-2023-11-14.json";

TEST_F(Writing, EveryChangeReachesTheFileInItsExactWrittenForm) {
  // Fixed local noon, so the day's copy has a known name in any time zone.
  now = localMoment(2023, 11, 14);
  SaveStore store = open();
  store.replaceAll({{"b", "x/y"}, {"a", "\xC3\xA9 \"q\" \\ \n\t\x01\x7F \xF0\x9F\x98\x80"}, {"", ""}});
  const std::string written =
      "{\n"
      "  \"\": \"\",\n"
      "  \"a\": \"\xC3\xA9 \\\"q\\\" \\\\ \\n\\t\\u0001\x7F \xF0\x9F\x98\x80\",\n"
      "  \"b\": \"x\\/y\"\n"
      "}";
  EXPECT_EQ(readFile(saves()), written);
  EXPECT_EQ(readFile(backups() + kToday), written);
  EXPECT_FALSE(store.fileBehind());
  EXPECT_TRUE(log.lines().empty());

  store.replaceAll({{"a", "1"}});
  EXPECT_EQ(readFile(saves()), "{\n  \"a\": \"1\"\n}") << "keys missing from the new map are dropped";
  store.replaceAll({});
  EXPECT_EQ(readFile(saves()), "{}");
  EXPECT_EQ(readFile(backups() + kToday), "{}");
}

TEST_F(Writing, WhateverPagesStoreSurvivesARestartAndNothingThrows) {
  std::string controls;
  for (char c = 0; c < 0x20; ++c) controls += c;
  const Values stored = {
      {"quote\"key", "back\\slash"},
      {"slash/key", "</script><!--"},
      {controls, controls},
      {"emoji \xF0\x9F\x83\x8F", "\xE2\x80\xA8 and \xE2\x80\xA9"},
  };
  SaveStore store = open();
  store.replaceAll(stored);
  EXPECT_EQ(open().values(), stored);

  // What a page's lone surrogate may become on its way here: written as U+FFFD.
  const std::string lone = "\xED\xA0\x80", fffd = "\xEF\xBF\xBD";
  EXPECT_NO_THROW(store.replaceAll({{"k" + lone, "\xFF"}}));
  EXPECT_FALSE(store.fileBehind());
  EXPECT_EQ(open().values(), (Values{{"k" + fffd + fffd + fffd, fffd}}));
}

TEST_F(Writing, OnlyRealChangesWriteAndTheLastRemovalLeavesAnEmptyObject) {
  SaveStore store = open();
  store.replaceAll({{"a", "1"}, {"b", "2"}});
  g_unlink(saves().c_str());
  for (const auto& name : entries(backups())) g_unlink((backups() + "/" + name).c_str());
  store.replaceAll({{"a", "1"}, {"b", "2"}});
  store.remove("missing");
  EXPECT_FALSE(exists(saves())) << "an unchanged save touches no file";
  EXPECT_TRUE(entries(backups()).empty()) << "and makes no copy";

  store.remove("a");
  EXPECT_EQ(readFile(saves()), "{\n  \"b\": \"2\"\n}");
  store.remove("b");
  EXPECT_EQ(readFile(saves()), "{}");
}

TEST_F(Writing, FailedWriteKeepsTheSavesAndTheNextCallCatchesTheFileUp) {
  SaveStore store = open();
  store.replaceAll({{"chips", "100"}});
  const std::string before = readFile(saves());
  // A non-empty folder in the file's place makes the rename fail, even for root.
  g_unlink(saves().c_str());
  g_mkdir_with_parents((saves() + "/blocker").c_str(), 0755);
  for (const auto& name : entries(backups())) g_unlink((backups() + "/" + name).c_str());

  store.replaceAll({{"chips", "250"}});
  EXPECT_EQ(log.count("Velmar Casino: couldn't write saves.json: "), 1);
  EXPECT_TRUE(store.fileBehind());
  EXPECT_EQ(store.values(), (Values{{"chips", "250"}}));
  EXPECT_EQ(store.seedJSON(), "{\"chips\":\"250\"}");
  EXPECT_TRUE(entries(backups()).empty()) << "a failed write makes no copy";
  EXPECT_EQ(entries(folder()), (std::vector<std::string>{"backups", "saves.json"})) << "no temporary is left";

  // Equal content and an absent key still write while the file is behind.
  store.replaceAll({{"chips", "250"}});
  store.remove("missing");
  EXPECT_EQ(log.count("couldn't write saves.json: "), 3);

  g_rmdir((saves() + "/blocker").c_str());
  g_rmdir(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  EXPECT_FALSE(store.fileBehind());
  EXPECT_EQ(readFile(saves()), "{\n  \"chips\": \"250\"\n}");
  EXPECT_EQ(entries(backups()).size(), 1u);
  EXPECT_EQ(log.count("couldn't write saves.json: "), 3);

  // Caught up: equal content is skipped again.
  g_unlink(saves().c_str());
  store.replaceAll({{"chips", "250"}});
  EXPECT_FALSE(exists(saves()));
}

TEST_F(Writing, SeedIsCompactSortedAndEndsNoScriptLine) {
  SaveStore store = open();
  EXPECT_EQ(store.seedJSON(), "{}");
  store.replaceAll({{"b", "line\xE2\x80\xA8para\xE2\x80\xA9"}, {"a", "x/y \"q\"\n\r</script>"}});
  EXPECT_EQ(store.seedJSON(),
            "{\"a\":\"x\\/y \\\"q\\\"\\n\\r<\\/script>\",\"b\":\"line\\u2028para\\u2029\"}");
  EXPECT_NE(readFile(saves()).find("line\xE2\x80\xA8para\xE2\x80\xA9"), std::string::npos)
      << "the file keeps the separators raw";
}

TEST(JsonText, PrettyAndCompactFormsHoldAnyValue) {
  const auto report = nlohmann::json::parse(R"({"pages":[{"file":"a/b.html","ok":true,"ms":12.5}],"n":null,"e":{}})");
  EXPECT_EQ(prettyJSON(report),
            "{\n"
            "  \"e\": {},\n"
            "  \"n\": null,\n"
            "  \"pages\": [\n"
            "    {\n"
            "      \"file\": \"a\\/b.html\",\n"
            "      \"ms\": 12.5,\n"
            "      \"ok\": true\n"
            "    }\n"
            "  ]\n"
            "}");
  EXPECT_EQ(compactJSON(report), R"({"e":{},"n":null,"pages":[{"file":"a\/b.html","ms":12.5,"ok":true}]})");
  EXPECT_EQ(compactJSON("\\/"), "\"\\\\\\/\"") << "an escaped backslash before a slash stays two escapes";
}

}  // namespace
}  // namespace velmar::test
