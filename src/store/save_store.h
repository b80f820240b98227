// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace velmar {

class StagedFile;

// The native copy of the pages' localStorage: a map of text to text, written
// through to "saves.json" in the save folder on every change, with a dated
// backup copy per day.
class SaveStore {
 public:
  using Values = std::map<std::string, std::string>;
  // Microseconds since 1970-01-01 UTC, like g_get_real_time(); the backup date
  // is that moment in the local time zone.
  using Clock = std::function<std::int64_t()>;

  // base is the folder the save folder "Velmar Casino" goes into; the default
  // is g_get_user_data_dir(). The default clock is the real one.
  explicit SaveStore(std::string base = defaultBase(), Clock clock = {});

  SaveStore(const SaveStore&) = delete;
  SaveStore& operator=(const SaveStore&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& file() const { return file_; }
  const std::string& backups() const { return backups_; }
  const Values& values() const { return values_; }

  // Makes the saves exactly the given map and writes them when they changed,
  // or when the file is behind after a failed write.
  void replaceAll(Values values);
  // Removes one key and writes, when it was there (or the file is behind).
  void remove(const std::string& key);
  // The saves as compact JSON, keys sorted, U+2028 and U+2029 escaped: safe
  // to put into script source as an object literal.
  std::string seedJSON() const;

  // True after a failed write, until a write succeeds.
  bool fileBehind() const { return fileBehind_; }

  static std::string defaultBase();

 private:
  void load();
  // Moves a saves file that holds no saves out of the way, under a name that
  // is free. Logs what happened; false when the file had to stay.
  bool setAside(const std::string& reason);
  void write();
  void writeCatchingAll();
  void failWrite(const std::string& description);
  // Today's copy is staged by write() alongside the saves file, so that both
  // reach the disk together, and committed here once the saves file is in place.
  void backupOncePerDay(StagedFile& copy, bool staged);
  std::string backupName() const;

  std::string folder_;
  std::string file_;
  std::string backups_;
  Values values_;
  Clock clock_;
  bool fileBehind_ = false;
  // A saves file that could neither be read nor set aside is never
  // overwritten; each write tries again to set it aside first.
  bool fileLocked_ = false;
  std::string lockedReason_;
};

}  // namespace velmar
