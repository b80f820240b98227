// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/save_store.h"

#include "platform/log.h"
#include "store/durable_file.h"
#include "store/saves_format.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace velmar {

namespace {

constexpr std::string_view kPrefix = "Velmar Casino: ";
constexpr const char* kSavesName = "saves.json";
constexpr std::size_t kBackupsKept = 30;

std::string line(std::string_view text) { return std::string(kPrefix) + std::string(text); }

// Only a folder that says the name is not there counts as absence: when the
// folder cannot be searched, the file may well be there, and must be kept.
bool present(const std::string& path) {
  GStatBuf info;
  if (g_lstat(path.c_str(), &info) == 0) return true;
  return errno != ENOENT && errno != ENOTDIR;
}

// The whole file, read without ever blocking: a FIFO or a device in its place
// would otherwise hold start-up for good. Anything but a regular file is
// refused, as are files that cannot be opened; errnoOut tells which.
std::optional<std::string> readRegularFile(const std::string& path, std::string& problem, int& errnoOut) {
  errnoOut = 0;
  int fd = g_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) {
    errnoOut = errno;
    problem = std::string("could not be read (") + g_strerror(errnoOut) + ")";
    return std::nullopt;
  }
  std::string bytes;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    problem = "is not a regular file";
    close(fd);
    return std::nullopt;
  }
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      bytes.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      problem = std::string("could not be read (") + g_strerror(errno) + ")";
      close(fd);
      return std::nullopt;
    }
  }
  close(fd);
  return bytes;
}

// Every entry whose extension is exactly "json" counts, whoever put it there;
// the newest dates sort first, and everything from the 31st on goes.
void pruneBackups(const std::string& folder) {
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  if (!dir) return;
  std::vector<std::string> names;
  while (const char* entry = g_dir_read_name(dir)) {
    std::string_view name(entry);
    auto dot = name.rfind('.');
    if (dot != std::string_view::npos && name.substr(dot + 1) == "json") names.emplace_back(name);
  }
  g_dir_close(dir);
  if (names.size() <= kBackupsKept) return;
  // std::string compares bytes as unsigned, which is code point order for UTF-8.
  std::stable_sort(names.begin(), names.end(), std::greater<>());
  for (std::size_t i = kBackupsKept; i < names.size(); ++i) {
    std::string path = folder + "/" + names[i];
    g_remove(path.c_str());
  }
}

}  // namespace

std::string SaveStore::defaultBase() { return g_get_user_data_dir(); }

SaveStore::SaveStore(std::string base, Clock clock)
    : folder_(base + "/Velmar Casino"),
      file_(folder_ + "/" + kSavesName),
      backups_(folder_ + "/backups"),
      clock_(clock ? std::move(clock) : Clock(g_get_real_time)) {
  // A failure shows up, and is logged, at the first write.
  g_mkdir_with_parents(backups_.c_str(), 0755);
  removeStaleTemporaries(folder_);
  removeStaleTemporaries(backups_);
  load();
}

void SaveStore::load() {
  std::string problem;
  int code = 0;
  auto contents = readRegularFile(file_, problem, code);
  if (!contents) {
    // No file is the first start. Any other failure means bytes we cannot see
    // but must not lose, so they go aside like undecodable ones.
    if (code != ENOENT && code != ENOTDIR) setAside(problem);
    return;
  }
  auto decoded = decodeSaves(*contents);
  contents.reset();
  if (decoded)
    values_ = std::move(*decoded);
  else
    setAside("was unreadable");
}

bool SaveStore::setAside(const std::string& reason) {
  // Whole seconds, as the unreadable copies have always been named; a second
  // bad start within the same second counts up a suffix instead of failing.
  const std::string stem = "saves-unreadable-" + std::to_string(std::max<std::int64_t>(0, clock_() / G_USEC_PER_SEC));
  std::string error;
  auto name = moveToFreeName(
      folder_, kSavesName,
      [&](int n) { return n == 0 ? stem + ".json" : stem + "-" + std::to_string(n) + ".json"; }, error);
  if (!name) {
    // Only the first refusal is logged here; each write that it blocks logs
    // its own failure.
    if (!fileLocked_)
      logFailure(line("saves.json " + reason + " and could not be moved aside (" + error +
                      "); it is left in place and will not be overwritten"));
    fileLocked_ = true;
    lockedReason_ = reason;
    return false;
  }
  syncFolder(folder_);
  logFailure(line("saves.json " + reason + ", moved to " + *name));
  fileLocked_ = false;
  return true;
}

void SaveStore::replaceAll(Values values) {
  if (values == values_ && !fileBehind_) return;
  values_ = std::move(values);
  writeCatchingAll();
}

void SaveStore::remove(const std::string& key) {
  auto entry = values_.find(key);
  if (entry == values_.end() && !fileBehind_) return;
  if (entry != values_.end()) values_.erase(entry);
  writeCatchingAll();
}

void SaveStore::writeCatchingAll() {
  // The callers are engine callbacks, where an exception would end the
  // application; running out of memory here is a failed write like any other.
  try {
    write();
  } catch (...) {
    fileBehind_ = true;
    logFailure("Velmar Casino: couldn't write saves.json: out of memory");
  }
}

std::string SaveStore::seedJSON() const {
  try {
    return encodeSeed(values_);
  } catch (const std::exception&) {
    return "{}";
  }
}

void SaveStore::failWrite(const std::string& description) {
  // The saves stay in memory; until a write succeeds, even an unchanged
  // replaceAll writes, so the file cannot stay behind for good.
  fileBehind_ = true;
  logFailure(line("couldn't write saves.json: " + description));
}

void SaveStore::write() {
  if (fileLocked_ && present(file_) && !setAside(lockedReason_)) {
    failWrite("the unreadable saves.json is still in the way and is kept");
    return;
  }
  fileLocked_ = false;

  std::string bytes;
  try {
    bytes = encodeSaves(values_);
  } catch (const std::exception& e) {
    failWrite(e.what());
    return;
  }

  StagedFile saves(folder_, kSavesName);
  if (!saves.stage(bytes)) return failWrite(saves.error());
  StagedFile copy(backups_, backupName());
  // A copy that cannot be made is no reason to stop.
  bool copied = copy.stage(bytes);
  if (!saves.sync()) return failWrite(saves.error());
  if (copied) copied = copy.sync();
  if (!saves.commit()) return failWrite(saves.error());
  // Both renames come before either folder sync so that one journal commit
  // can carry them. Should the sync fail, the copy already holds the bytes
  // that saves.json most likely holds as well; the write still counts as failed.
  backupOncePerDay(copy, copied);
  if (auto error = syncFolder(folder_)) return failWrite(*error);
  syncFolder(backups_);
  fileBehind_ = false;
}

std::string SaveStore::backupName() const {
  std::int64_t now = clock_();
  // Floor, not truncation, so that a moment before 1970 still gets its own day.
  std::int64_t seconds = now / G_USEC_PER_SEC - (now % G_USEC_PER_SEC < 0 ? 1 : 0);
  GDateTime* moment = g_date_time_new_from_unix_local(seconds);
  if (!moment) return "saves-unknown-date.json";
  gchar* date = g_date_time_format(moment, "%Y-%m-%d");
  std::string name = std::string("saves-") + (date ? date : "unknown-date") + ".json";
  g_free(date);
  g_date_time_unref(moment);
  return name;
}

void SaveStore::backupOncePerDay(StagedFile& copy, bool staged) {
  // A copy that failed is ignored; the pruning runs all the same.
  if (staged) copy.commit();
  pruneBackups(backups_);
}

}  // namespace velmar
