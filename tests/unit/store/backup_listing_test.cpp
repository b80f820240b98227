// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/backup_copies.h"
#include "support/log_capture.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar::test {
namespace {

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
