// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_writer.h"

#include "platform/durable_file.h"
#include "support/log_capture.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace velmar {
namespace {

TEST(FileWriter, TheCallerGoesOnAtOnceTheNewestOfAQueueWinsAndTheEndWaitsForTheDisk) {
  test::TempDir dir;
  test::LogCapture log;
  const std::string file = dir / "made/for/it/kept.ini";
  // Each write syncs twice (the file, then its folder): some two seconds.
  setSyncDelay(std::chrono::seconds(1));
  {
    FileWriter writer(file, "test values");
    writer.write("1");
    EXPECT_FALSE(test::exists(file)) << "the caller waited for the disk";
    for (int i = 2; i <= 20; ++i) writer.write(std::to_string(i));
    EXPECT_FALSE(writer.settle(std::chrono::milliseconds(1)));
    EXPECT_EQ(log.count("kept.ini is still being written after 1 ms"), 1);
    EXPECT_TRUE(writer.settle(std::chrono::seconds(60)));
    EXPECT_EQ(test::readFile(file), "20");
    // The one under way when the rest came, if any, then only the newest.
    EXPECT_LE(writer.written(), 2u);
    writer.write("last");
  }
  // Gone only once the last write was on disk.
  EXPECT_EQ(test::readFile(file), "last");
  setSyncDelay(std::chrono::microseconds(0));
  GStatBuf info;
  ASSERT_EQ(g_stat((dir / "made").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// The preferences and the window's state share a folder, each with its own
// writer: one starting up must not take the other's file in mid-write for a
// killed process's leftover.
TEST(FileWriter, AWriterStartingBesideAnotherClearsOnlyItsOwnLeftovers) {
  test::TempDir dir;
  test::LogCapture log;
  test::writeFile(dir / ".velmar-first.ini-Ab12Cd.tmp", "killed mid-write");
  test::writeFile(dir / ".velmar-Zz99Yy.tmp", "from an older version");
  setSyncDelay(std::chrono::milliseconds(500));
  {
    FileWriter first(dir / "first.ini", "first values");
    first.write("1");
    // Well inside the first write's syncs.
    g_usleep(100 * 1000);
    EXPECT_FALSE(test::exists(dir / ".velmar-first.ini-Ab12Cd.tmp"));
    FileWriter second(dir / "second.ini", "second values");
    second.write("2");
    EXPECT_TRUE(first.settle(std::chrono::seconds(60)));
    EXPECT_TRUE(second.settle(std::chrono::seconds(60)));
  }
  setSyncDelay(std::chrono::microseconds(0));
  EXPECT_EQ(test::readFile(dir / "first.ini"), "1");
  EXPECT_EQ(test::readFile(dir / "second.ini"), "2");
  EXPECT_FALSE(test::exists(dir / ".velmar-Zz99Yy.tmp"));
  EXPECT_EQ(log.count("couldn't write"), 0);
}

}  // namespace
}  // namespace velmar
