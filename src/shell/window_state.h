// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace velmar {

class FileWriter;

// The main window's size and mode between runs, kept in a key file group
// named "VelmarCasinoMain".
struct WindowState {
  int width = 1440;
  int height = 900;
  bool maximized = false;
  bool fullscreen = false;

  static constexpr int kMinWidth = 900;
  static constexpr int kMinHeight = 600;

  // $XDG_STATE_HOME/velmar-casino/window.ini
  static std::string defaultFile();

  // The saved state, or nothing when there is none. A size smaller than the
  // window's minimum is raised to it; an unreadable file is logged and
  // ignored, one that is no regular file is moved aside. Never blocks.
  static std::optional<WindowState> load(const std::string& file);
  // Hands the state to the file's writer, which replaces the file atomically
  // on its own thread; a failure is logged there.
  void save(FileWriter& file) const;
};

}  // namespace velmar
