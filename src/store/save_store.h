// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace velmar {

// The native copy of the pages' localStorage: a map of text to text, written
// through to "saves.json" in the save folder on every change, with dated
// copies in "backups/":
//   saves-YYYY-MM-DD.json         the day's last saves
//   saves-YYYY-MM-DD-first.json   the day's first saves, once a second write came
//   saves-YYYY-MM-DD-HHMMSS.json  the saves as they were before a write that
//                                 dropped a key or cut its value to half or less
// so that no single write, whatever it holds, leaves a key without a copy of
// its previous value. Any "*.json" there that decodes as saves is a copy; a
// name starting "saves-YYYY-MM-DD" belongs to that day. The newest 30 days
// stay (a name without a day counts as a day of its own).
//
// The values are current at once; the files are written by a thread of the
// store's own, so that a slow disk never holds up the pages. Writes reach the
// disk in the order they were asked for, and when several wait, only the
// newest is written. A failed write is tried again by that thread after
// 0.5 s, 1, 2, 4, then every 5 s, until one lands or a newer one is asked for.
class SaveStore {
 public:
  using Values = std::map<std::string, std::string>;
  // Microseconds since 1970-01-01 UTC, like g_get_real_time(); the backup date
  // is that moment in the local time zone.
  using Clock = std::function<std::int64_t()>;

  // base is the folder the save folder "Velmar Casino" goes into; the default
  // is g_get_user_data_dir(). The default clock is the real one.
  explicit SaveStore(std::string base = defaultBase(), Clock clock = {});
  // Waits for the last write, as settle() does.
  ~SaveStore();

  SaveStore(const SaveStore&) = delete;
  SaveStore& operator=(const SaveStore&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& file() const { return file_; }
  const std::string& backups() const { return backups_; }
  const Values& values() const { return *values_; }

  // Makes the saves exactly the given map and writes them when they changed,
  // or when the file is behind after a failed write.
  void replaceAll(Values values);
  // Removes one key and writes, when it was there (or the file is behind).
  void remove(const std::string& key);
  // Gives one key the value and writes, when it changed (or the file is behind).
  void set(const std::string& key, std::string value);

  // What a page did to its keys since it was given them.
  struct Changes {
    Values set;
    std::vector<std::string> removed;
  };
  using MayChange = std::function<bool(const std::string& key)>;
  struct Applied {
    // The keys left as they were because mayChange refused them.
    std::vector<std::string> refused;
    bool changed = false;
  };
  // The saves after changes to the keys mayChange allows, a set winning over
  // a removal of the same key. Touches no store, so any thread may call it.
  static Values withChanges(const Values& base, const Changes& changes, const MayChange& mayChange, Applied& applied);
  // Applies changes here, and writes when they changed something (or the
  // file is behind).
  Applied apply(const Changes& changes, const MayChange& mayChange);
  // For saves worked out on another thread: the saves they start from, and
  // taking the result when the saves are still those. False, and nothing
  // taken, when the saves have changed since.
  std::shared_ptr<const Values> snapshot() const { return values_; }
  bool replaceFrom(const std::shared_ptr<const Values>& base, Values values, bool changed);
  // The saves as compact JSON, keys sorted, U+2028 and U+2029 escaped: safe
  // to put into script source as an object literal.
  std::string seedJSON() const;

  // True after a failed write, until a write succeeds; a write still under
  // way counts once it has ended (settle() waits for that).
  bool fileBehind() const;

  // How the writes are doing, for the player: behind as fileBehind(), and
  // stalled while one write has been under way for kStallAfter or longer.
  struct Health {
    bool behind = false;
    bool stalled = false;
    bool operator==(const Health&) const = default;
  };
  Health health() const;
  static constexpr std::chrono::milliseconds kStallAfter{5000};
  // Called on the default main context whenever health() may have changed.
  // The store's owner sets it on that context's thread.
  void onHealthChange(std::function<void()> listener);

  // True when every write asked for has ended (landed or failed); it does not
  // wait. progress() counts the writes begun and ended, so that a caller that
  // polls can tell a slow disk from a hung one.
  bool settled() const;
  std::uint64_t progress() const;

  // Waits until every write asked for so far has ended, for at most `bound`.
  // False, and logged, when the bound was reached first.
  bool settle(std::chrono::milliseconds bound = kSettleBound);
  static constexpr std::chrono::milliseconds kSettleBound{3000};

  static std::string defaultBase();

 private:
  struct Job;
  struct Writer;
  void ask();

  std::string folder_;
  std::string file_;
  std::string backups_;
  // Shared with the write waiting or under way, which must not copy them.
  std::shared_ptr<const Values> values_;
  Clock clock_;
  // Shared with the thread, which may outlive the store when quitting could
  // not wait for it.
  std::shared_ptr<Writer> writer_;
  std::thread thread_;
};

}  // namespace velmar
