// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/prefs.h"
#include "catalog/tables.h"

#include "platform/durable_file.h"
#include "support/fifo_rescue.h"
#include "support/log_capture.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <tuple>

namespace velmar {
namespace {

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override { Prefs::useFile(dir / "config/velmar-casino/preferences.ini"); }
  // What another process would read: the same file, read afresh.
  void reread() { Prefs::useFile(Prefs::file()); }
  test::TempDir dir;
};

TEST_F(PrefsTest, FirstLaunchReadsTheDefaultsAndEveryChangeSurvivesARestart) {
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  EXPECT_EQ(Prefs::lastPage(), std::nullopt);
  EXPECT_TRUE(Prefs::reopenLastTable());
  EXPECT_FALSE(test::exists(Prefs::file())) << "reading writes nothing";

  Prefs::setPageZoom(1.25);
  Prefs::setLastPage("odd\nname é.html");
  Prefs::setReopenLastTable(false);
  reread();
  EXPECT_EQ(Prefs::pageZoom(), 1.25);
  EXPECT_EQ(Prefs::lastPage(), "odd\nname é.html");
  EXPECT_FALSE(Prefs::reopenLastTable());
}

TEST_F(PrefsTest, UnusableValuesAndFilesReadAsDefaultsAndOtherValuesStand) {
  // GLib reads "nan" and "inf" as numbers, which the engine cannot zoom to.
  const std::tuple<const char*, double, bool> cases[] = {
      {"pageZoom=0", 1.0, true},     {"pageZoom=wide", 1.0, true},          {"pageZoom=nan", 1.0, true},
      {"pageZoom=inf", 1.0, true},   {"pageZoom=-inf", 1.0, true},          {"pageZoom=3", 3.0, true},
      {"pageZoom=0.67", 0.67, true}, {"reopenLastTable=sometimes", 1.0, true}, {"reopenLastTable=false", 1.0, false},
      {"\x01\x02 not a key file [[[", 1.0, true}};
  Prefs::useFile(dir / "preferences.ini");
  for (auto [line, zoom, reopen] : cases) {
    test::writeFile(Prefs::file(), std::string("[Preferences]\n") + line + "\n");
    reread();
    EXPECT_EQ(Prefs::pageZoom(), zoom) << line;
    EXPECT_EQ(Prefs::reopenLastTable(), reopen) << line;
  }
  // The next change replaces the unreadable file.
  Prefs::setLastPage("poker-3d.html");
  reread();
  EXPECT_EQ(Prefs::lastPage(), "poker-3d.html");
}

TEST_F(PrefsTest, AnythingButASmallRegularFileIsSetAsideWithoutBlockingAndDefaultsApply) {
  // what is in place of the file, how to make it, the file type it must keep once aside
  const std::tuple<const char*, std::function<void(const std::string&)>, mode_t> cases[] = {
      {"a FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, S_IFIFO},
      {"a folder", [](const std::string& p) { ASSERT_EQ(g_mkdir(p.c_str(), 0700), 0); }, S_IFDIR},
      {"a link", [](const std::string& p) { ASSERT_EQ(symlink("/etc/hostname", p.c_str()), 0); }, S_IFLNK},
      {"2 MiB",
       [](const std::string& p) { test::writeFile(p, "[Preferences]\npageZoom=2\n" + std::string(2 << 20, '#')); },
       S_IFREG},
  };
  for (const auto& [what, make, type] : cases) {
    test::TempDir home;
    const std::string folder = home / "velmar-casino";
    g_mkdir(folder.c_str(), 0700);
    const std::string file = folder + "/preferences.ini";
    make(file);
    test::LogCapture log;
    Prefs::useFile(file);
    {
      test::FifoRescue rescue(file);
      EXPECT_EQ(Prefs::pageZoom(), 1.0) << what;
      EXPECT_TRUE(Prefs::reopenLastTable()) << what;
    }
    std::vector<std::string> aside;
    for (auto& name : test::entries(folder))
      if (name.starts_with("preferences-unreadable-")) aside.push_back(name);
    ASSERT_EQ(aside.size(), 1u) << what;
    EXPECT_TRUE(aside[0].ends_with(".ini")) << aside[0];
    GStatBuf info;
    ASSERT_EQ(g_lstat((folder + "/" + aside[0]).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & S_IFMT, type) << what;
    EXPECT_EQ(log.count("preferences.ini "), 1) << what;
    EXPECT_EQ(log.count(", moved to " + aside[0]), 1) << what;

    // The next change makes a file of our own in its place.
    Prefs::setPageZoom(1.1);
    ASSERT_TRUE(Prefs::settle());
    reread();
    EXPECT_EQ(Prefs::pageZoom(), 1.1) << what;
    ASSERT_EQ(g_lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << what;
  }
}

TEST_F(PrefsTest, ChangesAreCurrentAtOnceAndReachTheDiskLaterNewestLast) {
  // A disk slow enough that a write done on the caller's thread would be
  // over before the caller looks.
  setSyncDelay(std::chrono::seconds(1));
  Prefs::setPageZoom(1.25);
  EXPECT_EQ(Prefs::pageZoom(), 1.25);
  EXPECT_FALSE(test::exists(Prefs::file())) << "the caller waited for the disk";
  for (const char* page : {"roulette-3d.html", "poker-3d.html", "velmar-casino.html"}) Prefs::setLastPage(page);
  Prefs::setReopenLastTable(false);
  EXPECT_EQ(Prefs::lastPage(), "velmar-casino.html");
  EXPECT_TRUE(Prefs::settle(std::chrono::seconds(60)));
  setSyncDelay(std::chrono::microseconds(0));
  const std::string onDisk = test::readFile(Prefs::file());
  EXPECT_NE(onDisk.find("pageZoom=1.25"), std::string::npos) << onDisk;
  EXPECT_NE(onDisk.find("lastPage=velmar-casino.html"), std::string::npos) << onDisk;
  EXPECT_NE(onDisk.find("reopenLastTable=false"), std::string::npos) << onDisk;
}

TEST(Tables, PagesAreKnownByTheLastPathComponentUnderThePrivateSchemeOnly) {
  // address, the table it shows, whether it is one of our pages
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"velmar://casino/roulette-3d.html", "roulette", true}, {"velmar://casino/poker-3d.html?x=1#top", "poker", true},
      {"velmar://elsewhere/blackjack-3d.html", "blackjack", true}, {"velmar://casino/sub/blackjack-3d.html", "blackjack", true},
      {"velmar://casino/velmar-casino.html", "none", true}, {"https://example.org/baccarat-3d.html", "baccarat", false},
      // Neither the file name nor the scheme is compared with folded case.
      {"velmar://casino/Roulette-3D.html", "none", false}, {"VELMAR://casino/roulette-3d.html", "roulette", false},
      {"velmar://casino/", "none", false}, {"roulette-3d.html", "none", false}, {"", "none", false}};
  for (auto [address, table, known] : cases) {
    const Table* t = Tables::table(address);
    EXPECT_EQ(t ? t->id : "none", table) << address;
    EXPECT_EQ(Tables::isKnownPage(address), known) << address;
  }
}

TEST(Tables, APageAddressAddsOneComponentAndItsPathIsDecodedOnce) {
  // A remembered name is one component: it cannot climb or add a folder.
  EXPECT_EQ(Tables::url("../x.html"), "velmar://casino/..%2Fx.html");
  EXPECT_EQ(Tables::pathOf("velmar://casino/a%2520b.html?q#f"), "/a%20b.html");
}

}  // namespace
}  // namespace velmar
