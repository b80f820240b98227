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
  const std::pair<const char*, double> zooms[] = {{"0", 1.0},   {"wide", 1.0}, {"nan", 1.0},   {"inf", 1.0},
                                                  {"-inf", 1.0}, {"3", 3.0},    {"0.67", 0.67}};
  for (auto [text, zoom] : zooms) {
    writeRaw(std::string("[Preferences]\npageZoom=") + text + "\n");
    EXPECT_EQ(Prefs::pageZoom(), zoom) << text;
  }
  writeRaw("[Preferences]\nreopenLastTable=sometimes\n");
  EXPECT_TRUE(Prefs::reopenLastTable());
  writeRaw("[Preferences]\nreopenLastTable=false\n");
  EXPECT_FALSE(Prefs::reopenLastTable());

  // An unreadable file reads as defaults and the next change replaces it.
  writeRaw("\x01\x02 not a key file [[[");
  EXPECT_EQ(Prefs::pageZoom(), 1.0);
  EXPECT_TRUE(Prefs::reopenLastTable());
  Prefs::setLastPage("poker-3d.html");
  reread();
  EXPECT_EQ(Prefs::lastPage(), "poker-3d.html");
}

}  // namespace
}  // namespace velmar
