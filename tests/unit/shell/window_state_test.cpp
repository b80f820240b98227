#include "shell/window_state.h"

#include "shell/resources.h"
#include "support/log_capture.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(WindowState, ASavedSizeAndModeComeBackOnTheNextRun) {
  test::TempDir dir;
  std::string file = dir / "state/velmar-casino/window.ini";
  EXPECT_EQ(WindowState::load(file), std::nullopt);

  WindowState{1280, 720, true, false}.save(file);
  auto back = WindowState::load(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 1280);
  EXPECT_EQ(back->height, 720);
  EXPECT_TRUE(back->maximized);
  EXPECT_FALSE(back->fullscreen);
  EXPECT_NE(test::readFile(file).find("[VelmarCasinoMain]"), std::string::npos);
}

TEST(WindowState, ASizeBelowTheMinimumIsRaisedAndNonsenseIsRefusedAloud) {
  test::TempDir dir;
  std::string file = dir / "window.ini";
  test::writeFile(file, "[VelmarCasinoMain]\nwidth=300\nheight=200\n");
  auto small = WindowState::load(file);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width, 900);
  EXPECT_EQ(small->height, 600);

  test::LogCapture log;
  test::writeFile(file, "[VelmarCasinoMain]\nwidth=wide\nheight=-4\nmaximized=perhaps\n");
  auto odd = WindowState::load(file);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->width, 1440);
  EXPECT_EQ(odd->height, 900);
  EXPECT_FALSE(odd->maximized);
  EXPECT_EQ(log.count("ignoring the saved window size"), 1);

  test::writeFile(file, "not a key file at all\n");
  EXPECT_EQ(WindowState::load(file), std::nullopt);
  EXPECT_EQ(log.count("ignoring the saved window size"), 2);
}

TEST(ResourceFolder, IsShareVelmarCasinoBesideTheExecutablesFolder) {
  test::TempDir dir;
  g_mkdir_with_parents((dir / "bin").c_str(), 0700);
  EXPECT_EQ(resourceFolderFor(dir / "bin/velmar-casino"), std::nullopt);
  g_mkdir_with_parents((dir / "share/velmar-casino").c_str(), 0700);
  EXPECT_EQ(resourceFolderFor(dir / "bin/velmar-casino"), dir / "share/velmar-casino");
  EXPECT_EQ(resourceFolderFor("velmar-casino"), std::nullopt);
  EXPECT_EQ(resourceFolderFor(""), std::nullopt);
}

}  // namespace
}  // namespace velmar
