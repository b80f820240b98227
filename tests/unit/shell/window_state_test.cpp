// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window_state.h"

#include "platform/file_writer.h"
#include "shell/resources.h"
#include "support/fifo_rescue.h"
#include "support/log_capture.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>

namespace velmar {
namespace {

using Fields = std::tuple<int, int, bool, bool>;

std::optional<Fields> loaded(const std::string& file) {
  auto s = WindowState::load(file);
  return s ? std::optional(Fields{s->width, s->height, s->maximized, s->fullscreen}) : std::nullopt;
}

TEST(WindowState, ASavedSizeAndModeComeBackAndOnlyNonsenseIsIgnoredAloud) {
  test::TempDir dir;
  test::LogCapture log;
  const std::string file = dir / "state/velmar-casino/window.ini";
  EXPECT_EQ(loaded(file), std::nullopt) << "the first run has no file";
  {
    FileWriter writer(file, "window size");
    WindowState{1280, 720, true, false}.save(writer);
  }
  EXPECT_EQ(loaded(file), (Fields{1280, 720, true, false}));
  EXPECT_TRUE(log.lines().empty());

  // file text, what it restores, whether it is logged
  const std::tuple<const char*, std::optional<Fields>, int> cases[] = {
      {"[VelmarCasinoMain]\nwidth=300\nheight=200\nfullscreen=true\n", Fields{900, 600, false, true}, 0},
      {"[VelmarCasinoMain]\nwidth=wide\nheight=-4\nmaximized=perhaps\n", Fields{1440, 900, false, false}, 1},
      {"[Elsewhere]\nwidth=1000\nheight=700\n", std::nullopt, 0},
      {"not a key file at all\n", std::nullopt, 1},
  };
  for (const auto& [text, state, logged] : cases) {
    log.clear();
    test::writeFile(file, text);
    EXPECT_EQ(loaded(file), state) << text;
    EXPECT_EQ(log.count("ignoring the saved window size"), logged) << text;
  }
}

TEST(WindowState, AFifoOrAFolderInPlaceIsSetAsideWithoutBlocking) {
  for (bool fifo : {true, false}) {
    test::TempDir dir;
    test::LogCapture log;
    const std::string file = dir / "window.ini";
    ASSERT_EQ(fifo ? mkfifo(file.c_str(), 0600) : g_mkdir(file.c_str(), 0700), 0);
    {
      test::FifoRescue rescue(file);
      EXPECT_EQ(loaded(file), std::nullopt) << fifo;
    }
    EXPECT_FALSE(test::exists(file)) << fifo;
    EXPECT_EQ(log.count("window.ini is not a regular file, moved to window-unreadable-"), 1) << fifo;
  }
}

TEST(ResourceFolder, IsShareVelmarCasinoBesideTheExecutablesFolder) {
  test::TempDir dir;
  g_mkdir_with_parents((dir / "bin").c_str(), 0700);
  EXPECT_EQ(resourceFolderFor(dir / "bin/velmar-casino"), std::nullopt);
  g_mkdir_with_parents((dir / "share/velmar-casino").c_str(), 0700);
  EXPECT_EQ(resourceFolderFor(dir / "bin/velmar-casino"), dir / "share/velmar-casino");
  EXPECT_EQ(resourceFolderFor("velmar-casino"), std::nullopt);
}

}  // namespace
}  // namespace velmar
