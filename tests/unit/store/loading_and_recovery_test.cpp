// SPDX-License-Identifier: GPL-3.0-or-later
#include "saves_fixture.h"
#include "support/unprivileged.h"

#include <sys/stat.h>
#include <unistd.h>

namespace velmar::test {
namespace {

using Loading = SavesTest;
using Values = SaveStore::Values;

TEST_F(Loading, FirstStartCreatesBothFoldersAndWritesNothing) {
  SaveStore store = open();
  EXPECT_TRUE(store.values().empty());
  EXPECT_TRUE(g_file_test(backups().c_str(), G_FILE_TEST_IS_DIR));
  EXPECT_EQ(entries(folder()), std::vector<std::string>{"backups"});
  EXPECT_TRUE(entries(backups()).empty());
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(Loading, AnyObjectOfStringsLoadsWhateverItsOrderAndWhitespace) {
  g_mkdir_with_parents(folder().c_str(), 0755);
  const std::pair<std::string, Values> cases[] = {
      {"{}", {}},
      {" \n\t{ \"z\" :\r\n \"\" ,\n\n \"a\":\t\"x\\/y\" }\n ", {{"a", "x/y"}, {"z", ""}}},
      {"{\"\\u00e9\\n\":\"\\ud83d\\ude00 \\\"q\\\"\"}", {{"\xC3\xA9\n", "\xF0\x9F\x98\x80 \"q\""}}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    writeFile(saves(), text);
    SaveStore store = open();
    EXPECT_EQ(store.values(), expected);
    EXPECT_EQ(readFile(saves()), text) << "a readable file is left as it is";
  }
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(Loading, EveryShapeThatIsNotAnObjectOfStringsIsSetAsideWhole) {
  const std::string shapes[] = {
      "", "   \n", "not json", "[]", "[\"a\",\"b\"]", "\"text\"", "42", "null", "{\"a\":\"x\",\"b\":1}",
      "{\"a\":\"x\",\"b\":true}", "{\"a\":null}", "{\"a\":{\"b\":\"c\"}}", "{\"a\":[\"b\"]}", "{\"a\":\"x\"} trailing",
      "{\"a\":\"x\"}{}", "{\"a\":\"x\"", "{\"a\":\"x\",}", "{'a':'x'}", "{\"a\":\"\xFF\"}", "{\"a\":\"\\ud800\"}",
      "{\"a\":\"x\" /* note */}"};
  for (const auto& shape : shapes) {
    SCOPED_TRACE(shape);
    TempDir fresh;
    g_mkdir_with_parents((fresh / "Velmar Casino").c_str(), 0755);
    writeFile(fresh / "Velmar Casino/saves.json", shape);
    log.clear();
    SaveStore store(fresh.path(), clock());
    EXPECT_TRUE(store.values().empty()) << "no member of an unreadable file is loaded";
    EXPECT_FALSE(exists(fresh / "Velmar Casino/saves.json"));
    EXPECT_EQ(readFile(fresh / "Velmar Casino/saves-unreadable-1700000000.json"), shape);
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "Velmar Casino: saves.json was unreadable, moved to saves-unreadable-1700000000.json"});
  }
}

TEST_F(Loading, BadStartsInOneSecondEachKeepTheirBytesUnderAFreeName) {
  g_mkdir_with_parents(folder().c_str(), 0755);
  writeFile(folder() + "/saves-unreadable-1700000000.json", "first");
  writeFile(folder() + "/saves-unreadable-1700000000-1.json", "second");
  writeFile(saves(), "third");
  {
    SaveStore store = open();
    EXPECT_EQ(log.lines(), std::vector<std::string>{
                               "Velmar Casino: saves.json was unreadable, moved to saves-unreadable-1700000000-2.json"});
    store.replaceAll({{"k", "v"}});
    store.settle();
  }
  EXPECT_EQ(readFile(folder() + "/saves-unreadable-1700000000.json"), "first");
  EXPECT_EQ(readFile(folder() + "/saves-unreadable-1700000000-1.json"), "second");
  EXPECT_EQ(readFile(folder() + "/saves-unreadable-1700000000-2.json"), "third");

  // The set-aside copies are the user's: a later start neither reads nor removes them.
  log.clear();
  SaveStore again = open();
  EXPECT_EQ(again.values(), (Values{{"k", "v"}}));
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(entries(folder()).size(), 5u);
}

TEST_F(Loading, SavesFileThatIsNoPlainFileOfSavesNeitherHangsNorLoadsButIsSetAside) {
  // A FIFO would block a plain open for good; a folder cannot be read; a link
  // would make the saves another file's; a huge file would be read whole.
  const std::pair<std::string, std::string> cases[] = {
      {"fifo", "is not a regular file"}, {"folder", "is not a regular file"}, {"link", "is a symbolic link"},
      {"dangling link", "is a symbolic link"}, {"huge", "is too large to hold saves (1073741824 bytes)"}};
  for (const auto& [kind, reason] : cases) {
    SCOPED_TRACE(kind);
    TempDir fresh;
    const std::string file = fresh / "Velmar Casino/saves.json";
    const std::string aside = fresh / "Velmar Casino/saves-unreadable-1700000000.json";
    const std::string elsewhere = fresh / "elsewhere.json";
    g_mkdir_with_parents((fresh / "Velmar Casino").c_str(), 0755);
    if (kind == "fifo") { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); }
    if (kind == "folder") g_mkdir_with_parents((file + "/inside").c_str(), 0755);
    if (kind == "link") writeFile(elsewhere, "{\"theirs\":\"x\"}");
    if (kind == "link" || kind == "dangling link") { ASSERT_EQ(symlink(elsewhere.c_str(), file.c_str()), 0); }
    if (kind == "huge") {
      // Sparse: it takes no room, yet reading it would take a gigabyte.
      writeFile(file, "{}");
      ASSERT_EQ(truncate(file.c_str(), off_t{1} << 30), 0);
    }
    log.clear();
    SaveStore store(fresh.path(), clock());
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Velmar Casino: saves.json " + reason +
                                                    ", moved to saves-unreadable-1700000000.json"});
    EXPECT_TRUE(store.values().empty());
    store.replaceAll({{"k", "v"}});
    store.settle();
    EXPECT_TRUE(g_file_test(file.c_str(), G_FILE_TEST_IS_REGULAR) && !g_file_test(file.c_str(), G_FILE_TEST_IS_SYMLINK));
    if (kind == "folder") { EXPECT_TRUE(g_file_test((aside + "/inside").c_str(), G_FILE_TEST_IS_DIR)); }
    if (kind == "link") {
      EXPECT_EQ(readFile(elsewhere), "{\"theirs\":\"x\"}") << "what the link names is left alone";
      g_autofree char* target = g_file_read_link(aside.c_str(), nullptr);
      EXPECT_STREQ(target, elsewhere.c_str()) << "the link itself is what is set aside";
    }
  }
}

TEST_F(Loading, LeftoverTemporariesGoAtStartAndOtherFilesStay) {
  g_mkdir_with_parents(backups().c_str(), 0755);
  writeFile(folder() + "/.velmar-Ab12Cd.tmp", "{\"half\":\"wri");
  writeFile(backups() + "/.velmar-Zz99Yy.tmp", "");
  writeFile(folder() + "/notes.tmp", "mine");
  writeFile(backups() + "/.velmar-notes.txt", "mine");
  SaveStore store = open();
  EXPECT_EQ(entries(folder()), (std::vector<std::string>{"backups", "notes.tmp"}));
  EXPECT_EQ(entries(backups()), std::vector<std::string>{".velmar-notes.txt"});
}

TEST(LoadingWithoutPrivileges, ForbiddenOrImmovableFilesAreNeverOverwritten) {
  TempDir base;
  std::string faults = runWithoutPrivileges(base.path(), [&] {
    Faults f;
    LogCapture log;
    const std::string folder = base / "Velmar Casino";
    const std::string saves = folder + "/saves.json";
    auto clock = [] { return std::int64_t{1700000000} * G_USEC_PER_SEC; };
    g_mkdir_with_parents((folder + "/backups").c_str(), 0755);

    // A file we may not read is set aside, not replaced.
    writeFile(saves, "{\"chips\":\"100\"}");
    chmod(saves.c_str(), 0);
    {
      SaveStore store(base.path(), clock);
      f.check(store.values().empty(), "a forbidden file loaded something");
      f.check(log.count("saves.json could not be read (") == 1, "the forbidden file was not reported");
      f.check(log.count("moved to saves-unreadable-1700000000.json") == 1, "the forbidden file was not moved");
      f.check(!exists(saves), "the forbidden file is still in the way");
    }

    // A bad file that cannot be moved stays exactly as it is until it can.
    log.clear();
    writeFile(saves, "garbage");
    chmod(folder.c_str(), 0555);
    SaveStore store(base.path(), clock);
    f.check(log.count("could not be moved aside (") == 1, "the failed move was not reported honestly");
    f.check(log.count("moved to") == 0, "a move that did not happen was reported");
    store.replaceAll({{"chips", "5"}});
    store.settle();
    f.check(log.count("couldn't write saves.json: ") == 1, "the blocked write was not logged once");
    f.check(readFile(saves) == "garbage", "the bad file was overwritten");
    f.check(store.values() == SaveStore::Values{{"chips", "5"}}, "the saves were not kept in memory");
    chmod(folder.c_str(), 0755);
    store.replaceAll({{"chips", "5"}});
    store.settle();
    f.check(log.count("was unreadable, moved to saves-unreadable-1700000000-1.json") == 1,
            "the late move was not reported");
    f.check(readFile(folder + "/saves-unreadable-1700000000-1.json") == "garbage", "the bad bytes were lost");
    f.check(readFile(saves).find("\"5\"") != std::string::npos, "the saves did not reach the disk");
    f.check(!store.fileBehind(), "the store still thinks the file is behind");

    // A folder that cannot be searched hides whether the file is there: it
    // must be assumed to be, so no write may replace it once the folder opens.
    log.clear();
    const std::string other = base / "other";
    const std::string hidden = other + "/Velmar Casino";
    g_mkdir_with_parents((hidden + "/backups").c_str(), 0755);
    writeFile(hidden + "/saves.json", "{\"chips\":\"100\"}");
    chmod(hidden.c_str(), 0600);
    SaveStore blind(other, clock);
    blind.replaceAll({{"chips", "7"}});
    blind.settle();
    chmod(hidden.c_str(), 0755);
    blind.replaceAll({{"chips", "7"}});
    blind.settle();
    f.check(readFile(hidden + "/saves-unreadable-1700000000.json") == "{\"chips\":\"100\"}",
            "the file the store could not see was overwritten");
    f.check(readFile(hidden + "/saves.json").find("\"7\"") != std::string::npos, "the late write did not land");
    return f.text();
  });
  EXPECT_EQ(faults, "");
}

}  // namespace
}  // namespace velmar::test
