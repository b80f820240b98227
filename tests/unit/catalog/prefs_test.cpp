// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/prefs.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmar
