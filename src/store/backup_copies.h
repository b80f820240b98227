// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// One value a key had in a backup file.
struct BackupCopy {
  std::string file;
  // The file's modification time, in seconds since 1970-01-01 UTC.
  std::int64_t modified = 0;
  std::string value;
};

// The values a key had on one day, newest first, each only once.
struct BackupDay {
  // "YYYY-MM-DD", as the file names give it.
  std::string date;
  std::vector<BackupCopy> copies;
};

// Every day whose copies in the backups folder hold the key, newest first.
// A copy is any "*.json" whose name starts "saves-YYYY-MM-DD" and that
// decodes as saves; when several files of a day agree, the newest stands for
// them. A file that cannot be read is skipped with one log line.
std::vector<BackupDay> listBackups(const std::string& folder, std::string_view key);

// The key's value in one backup file; nothing when the file cannot be read
// (logged) or lacks the key.
std::optional<std::string> readBackupValue(const std::string& file, std::string_view key);

// Far more than any saves the pages can hold is a copy no page could use:
// reading it would only hold up the window.
inline constexpr std::int64_t kLargestBackup = 64 * 1024 * 1024;

// The date a backup's name carries, or nothing for a name that is no copy.
std::optional<std::string> backupDate(std::string_view name);

}  // namespace velmar
