// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace velmar {

// One owner per save folder, whatever the session bus: an exclusive lock on
// ".lock" in the folder, held for as long as this object lives. The kernel
// drops it when the process ends, however it ends, so a killed copy leaves
// nothing stale behind.
class FolderLock {
 public:
  enum class State {
    Held,           // this process owns the folder
    HeldElsewhere,  // another process does; holderPid and holderHost say which, when it wrote them
    Unavailable,    // the lock file cannot be used at all (logged); nobody can be kept out
  };

  // Creates the folder when it is missing, then tries once, without waiting.
  explicit FolderLock(std::string folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  State state() const { return state_; }
  const std::string& path() const { return path_; }
  std::optional<long> holderPid() const { return holderPid_; }
  const std::string& holderHost() const { return holderHost_; }

  // The save folder SaveStore uses under base.
  static std::string saveFolder(const std::string& base);

 private:
  std::string path_;
  int fd_ = -1;
  State state_ = State::Unavailable;
  std::optional<long> holderPid_;
  std::string holderHost_;
};

}  // namespace velmar
