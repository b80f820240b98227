// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace velmar {

// One small file that the application keeps (the preferences, the window
// state), replaced atomically and durably by a thread of its own, so that a
// slow disk never holds up the main loop. Writes reach the disk in the order
// they were asked for; when several wait, only the newest is written. The
// thread starts with the first write.
class FileWriter {
 public:
  // what names the file's content in the log ("preferences").
  FileWriter(std::string path, std::string what);
  // Waits for the last write, as settle() does.
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  const std::string& path() const { return path_; }

  // Hands the file's next content to the thread and returns at once. The
  // folder is made (private to the user) when it is missing.
  void write(std::string bytes);

  // Waits until every write asked for so far has ended, for at most `bound`.
  // False, and logged, when the bound was reached first.
  bool settle(std::chrono::milliseconds bound = kSettleBound);
  static constexpr std::chrono::milliseconds kSettleBound{3000};

  // How many writes have reached the disk, failed ones not counted.
  std::uint64_t written() const;

 private:
  struct Queue;
  std::string path_;
  std::string what_;
  // Shared with the thread, which may outlive the writer when quitting could
  // not wait for it.
  std::shared_ptr<Queue> queue_;
  std::thread thread_;
};

// For a thread that writes files: the quit signals belong to the main loop,
// and a file-size limit should fail a write (EFBIG), not end the application.
// Faults stay deliverable, so that a crash is still reported.
void blockSignalsOfThisThread();

// The content of a small file the application keeps, read without blocking
// as readRegularFile() does. A file that is there but cannot be read (not a
// regular file, a link, larger than `largest`, refused) is moved aside within
// its folder to "<stem>-unreadable-<seconds><extension>" with one log line,
// and reads as nothing, as does a missing file.
std::optional<std::string> readKeptFile(const std::string& path, off_t largest, const std::string& what);

}  // namespace velmar
