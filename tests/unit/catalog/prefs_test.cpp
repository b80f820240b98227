#include "catalog/prefs.h"

#include "support/log_capture.h"

#include <glib.h>
#include <gtest/gtest.h>

namespace velmar {
namespace {

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override { Prefs::useFile(dir / "config/velmar-casino/preferences.ini"); }
  // What another process would read: the same file, read afresh.
  void reread() { Prefs::useFile(Prefs::file()); }
  void writeRaw(const std::string& text) {
    g_mkdir_with_parents((dir / "config/velmar-casino").c_str(), 0700);
    test::writeFile(Prefs::file(), text);
    reread();
  }
  test::TempDir dir;
};

TEST_F(PrefsTest, FirstLaunchReadsTheDefaultsWithoutWritingAnything) {
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  EXPECT_EQ(Prefs::lastPage(), std::nullopt);
  EXPECT_TRUE(Prefs::reopenLastTable());
  EXPECT_FALSE(test::exists(Prefs::file()));
}

TEST_F(PrefsTest, ChangesPersistAcrossARestart) {
  Prefs::setPageZoom(1.25);
  Prefs::setLastPage("roulette-3d.html");
  Prefs::setReopenLastTable(false);
  reread();
  EXPECT_EQ(Prefs::pageZoom(), 1.25);
  EXPECT_EQ(Prefs::lastPage(), "roulette-3d.html");
  EXPECT_FALSE(Prefs::reopenLastTable());

  Prefs::setLastPage(std::nullopt);
  reread();
  EXPECT_EQ(Prefs::lastPage(), std::nullopt);
}

TEST_F(PrefsTest, ZoomOfZeroOrGarbageReadsAsActualSizeButOtherValuesStandUnchanged) {
  Prefs::setPageZoom(0);
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  Prefs::setPageZoom(3.0);
  reread();
  EXPECT_EQ(Prefs::pageZoom(), 3.0);
  Prefs::setPageZoom(0.67);
  reread();
  EXPECT_EQ(Prefs::pageZoom(), 0.67);
  writeRaw("[Preferences]\npageZoom=wide\n");
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  writeRaw("[Preferences]\npageZoom=nan\n");
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
}

TEST_F(PrefsTest, AReopenValueThatIsNotABooleanReadsAsTrue) {
  writeRaw("[Preferences]\nreopenLastTable=sometimes\n");
  EXPECT_TRUE(Prefs::reopenLastTable());
  writeRaw("[Preferences]\nreopenLastTable=false\n");
  EXPECT_FALSE(Prefs::reopenLastTable());
  // The toggle from the default stores an explicit false.
  writeRaw("");
  Prefs::setReopenLastTable(!Prefs::reopenLastTable());
  reread();
  EXPECT_FALSE(Prefs::reopenLastTable());
}

TEST_F(PrefsTest, AnUnreadableFileReadsAsDefaultsAndIsReplacedByTheNextChange) {
  writeRaw("\x01\x02 not a key file [[[");
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  EXPECT_TRUE(Prefs::reopenLastTable());
  Prefs::setLastPage("poker-3d.html");
  reread();
  EXPECT_EQ(Prefs::lastPage(), "poker-3d.html");
}

TEST_F(PrefsTest, ANameWithNewlinesAndNonAsciiSurvivesTheKeyFile) {
  Prefs::setLastPage("odd\nname é.html");
  reread();
  EXPECT_EQ(Prefs::lastPage(), "odd\nname é.html");
}

}  // namespace
}  // namespace velmar
