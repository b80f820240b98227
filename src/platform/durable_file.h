// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <sys/types.h>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// One file replaced atomically and durably: the bytes go to a temporary file
// in the target's own folder, reach the disk, and only then take the target's
// name. Until commit() the target is untouched; a StagedFile that goes away
// uncommitted removes its temporary file.
//
// The steps are separate so that two files can share the file system's work:
// staging both before syncing either lets one journal commit carry both.
class StagedFile {
 public:
  StagedFile(std::string folder, std::string name);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Creates the temporary file and writes the bytes into it.
  bool stage(std::string_view bytes);
  // Makes the temporary file's content durable.
  bool sync();
  // Gives the temporary file the target's name.
  bool commit();

  // What went wrong, in words, after a step returned false.
  const std::string& error() const { return error_; }

 private:
  bool fail(const char* step);

  std::string folder_;
  std::string name_;
  std::string temporary_;
  std::string error_;
  int fd_ = -1;
};

// Stands in for a slow disk in benchmarks: every sync first waits this long.
void setSyncDelay(std::chrono::microseconds delay);

// Makes the renames and removals inside a folder durable. Returns the
// description of the failure, or nothing.
std::optional<std::string> syncFolder(const std::string& folder);

// Temporary files are hidden and end in ".tmp", so that they never look like
// saves or backups to the store or the user.
bool isTemporaryName(std::string_view name);

// Removes the temporaries a killed process left in the folder: all of them, or
// only those of one target where other writers share the folder.
void removeStaleTemporaries(const std::string& folder, std::optional<std::string_view> target = std::nullopt);

// The whole file, read without ever blocking: a FIFO or a device in its place
// would otherwise hold start-up for good. Anything but a regular file of at
// most `largest` bytes is refused, as are files that cannot be opened;
// problem says why in words that follow the file's name ("is not a regular
// file"; a larger file is "too large to hold <what>"), and errnoOut is the
// errno of a failed open (ENOENT: there is no file), else 0. A link is not
// followed: the next write would quietly put a file of our own in its place.
std::optional<std::string> readRegularFile(const std::string& path, off_t largest, std::string_view what,
                                           std::string& problem, int& errnoOut);

// Renames folder/name to the first free name that nameFor(0), nameFor(1), ...
// gives, never replacing an existing file. Returns the name used; on failure
// returns nothing and sets error.
std::optional<std::string> moveToFreeName(const std::string& folder, const std::string& name,
                                          const std::function<std::string(int)>& nameFor,
                                          std::string& error);

}  // namespace velmar
