// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace velmar::test {

// Collects the lines logged in the "velmar-casino" domain while it lives, so
// that tests can check what the system wrote to the log.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  // How many lines contain the given text.
  int count(const std::string& text) const;
  void clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  // The save store logs from its own thread.
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  unsigned handler_ = 0;
};

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
// The names in a folder, sorted; none for a folder that cannot be read.
std::vector<std::string> entries(const std::string& folder);

}  // namespace velmar::test
