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

#include <csignal>
#include <pthread.h>

#include <cerrno>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
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

// Far beyond any saves the pages can hold (their storage takes 5 MiB, which
// escapes and one member a line make some 50 MiB of JSON at the very most); a
// larger file is not read, so that it can neither hold up start-up nor
// exhaust the memory.
constexpr off_t kLargestSavesFile = 256 * 1024 * 1024;

// The whole file, read without ever blocking: a FIFO or a device in its place
// would otherwise hold start-up for good. Anything but a regular file is
// refused, as are files that cannot be opened; errnoOut tells which. A link
// is not followed: the saves would be whatever file it names, and the next
// write would quietly put a file of our own in the link's place.
std::optional<std::string> readRegularFile(const std::string& path, std::string& problem, int& errnoOut) {
  errnoOut = 0;
  int fd = g_open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) {
    errnoOut = errno;
    problem = errnoOut == ELOOP ? std::string("is a symbolic link")
                                : std::string("could not be read (") + g_strerror(errnoOut) + ")";
    return std::nullopt;
  }
  std::string bytes;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    problem = "is not a regular file";
    close(fd);
    return std::nullopt;
  }
  if (info.st_size > kLargestSavesFile) {
    problem = "is too large to hold saves (" + std::to_string(info.st_size) + " bytes)";
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

// The writing thread takes no signals: the quit signals belong to the main
// loop, and a file-size limit should fail a write (EFBIG), not end the
// application. Faults stay deliverable, so that a crash is still reported.
void blockSignalsOfThisThread() {
  sigset_t signals;
  sigfillset(&signals);
  for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS}) sigdelset(&signals, fault);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

}  // namespace

// One write asked for: the saves of that moment, and the names its moment gives.
struct SaveStore::Job {
  std::shared_ptr<const Values> values;
  std::string backupName;
  std::int64_t seconds = 0;
};

// The file work. After start-up only the writing thread touches the files and
// the locked state; the queue is one slot, so a newer write replaces one that
// has not begun.
struct SaveStore::Writer {
  Writer(std::string folder, std::string file, std::string backups)
      : folder(std::move(folder)), file(std::move(file)), backups(std::move(backups)) {}

  void run();
  void write(const Job& job);
  // Moves a saves file that holds no saves out of the way, under a name that
  // is free. Logs what happened; false when the file had to stay.
  bool setAside(const std::string& reason, std::int64_t seconds);
  void fail(const std::string& description);

  const std::string folder;
  const std::string file;
  const std::string backups;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::optional<Job> next;
  bool writing = false;
  bool stopping = false;

  std::atomic<bool> behind{false};
  // A saves file that could neither be read nor set aside is never
  // overwritten; each write tries again to set it aside first.
  bool fileLocked = false;
  std::string lockedReason;
};

std::string SaveStore::defaultBase() { return g_get_user_data_dir(); }

SaveStore::SaveStore(std::string base, Clock clock)
    : folder_(base + "/Velmar Casino"),
      file_(folder_ + "/" + kSavesName),
      backups_(folder_ + "/backups"),
      values_(std::make_shared<const Values>()),
      clock_(clock ? std::move(clock) : Clock(g_get_real_time)),
      writer_(std::make_shared<Writer>(folder_, file_, backups_)) {
  // A failure shows up, and is logged, at the first write.
  g_mkdir_with_parents(backups_.c_str(), 0755);
  removeStaleTemporaries(folder_);
  removeStaleTemporaries(backups_);

  // Loading comes first and on the caller's thread: the pages wait for it.
  std::string problem;
  int code = 0;
  auto contents = readRegularFile(file_, problem, code);
  const std::int64_t seconds = std::max<std::int64_t>(0, clock_() / G_USEC_PER_SEC);
  if (!contents) {
    // No file is the first start. Any other failure means bytes we cannot see
    // but must not lose, so they go aside like undecodable ones.
    if (code != ENOENT && code != ENOTDIR) writer_->setAside(problem, seconds);
  } else if (auto decoded = decodeSaves(*contents)) {
    contents.reset();
    values_ = std::make_shared<const Values>(std::move(*decoded));
  } else {
    writer_->setAside("was unreadable", seconds);
  }

  thread_ = std::thread([writer = writer_] { writer->run(); });
}

SaveStore::~SaveStore() {
  bool settled = settle();
  {
    std::lock_guard lock(writer_->mutex);
    writer_->stopping = true;
  }
  writer_->wake.notify_one();
  // A write that cannot end in time finishes on its own; the thread keeps
  // what it needs alive.
  if (settled)
    thread_.join();
  else
    thread_.detach();
}

bool SaveStore::fileBehind() const { return writer_->behind.load(); }

bool SaveStore::settle(std::chrono::milliseconds bound) {
  std::unique_lock lock(writer_->mutex);
  if (writer_->idle.wait_for(lock, bound, [&] { return !writer_->next && !writer_->writing; })) return true;
  logFailure(line("saves.json is still being written after " + std::to_string(bound.count()) +
                  " ms; going on without waiting for it"));
  return false;
}

void SaveStore::replaceAll(Values values) {
  if (values == *values_ && !fileBehind()) return;
  values_ = std::make_shared<const Values>(std::move(values));
  ask();
}

void SaveStore::remove(const std::string& key) {
  bool there = values_->contains(key);
  if (!there && !fileBehind()) return;
  if (there) {
    auto fewer = std::make_shared<Values>(*values_);
    fewer->erase(key);
    values_ = std::move(fewer);
  }
  ask();
}

SaveStore::Values SaveStore::withChanges(const Values& base, const Changes& changes, const MayChange& mayChange,
                                         Applied& applied) {
  Values out = base;
  auto allowed = [&](const std::string& key) {
    if (mayChange(key)) return true;
    applied.refused.push_back(key);
    return false;
  };
  for (const auto& key : changes.removed)
    if (!changes.set.contains(key) && allowed(key)) applied.changed |= out.erase(key) > 0;
  for (const auto& [key, value] : changes.set) {
    if (!allowed(key)) continue;
    auto [at, added] = out.try_emplace(key, value);
    if (!added && at->second != value) at->second = value;
    else if (!added) continue;
    applied.changed = true;
  }
  return out;
}

SaveStore::Applied SaveStore::apply(const Changes& changes, const MayChange& mayChange) {
  Applied applied;
  auto base = values_;
  Values next = withChanges(*base, changes, mayChange, applied);
  replaceFrom(base, std::move(next), applied.changed);
  return applied;
}

bool SaveStore::replaceFrom(const std::shared_ptr<const Values>& base, Values values, bool changed) {
  if (base != values_) return false;
  if (!changed && !fileBehind()) return true;
  values_ = std::make_shared<const Values>(std::move(values));
  ask();
  return true;
}

void SaveStore::ask() {
  Job job{values_, backupName(), std::max<std::int64_t>(0, clock_() / G_USEC_PER_SEC)};
  {
    std::lock_guard lock(writer_->mutex);
    writer_->next = std::move(job);
  }
  writer_->wake.notify_one();
}

std::string SaveStore::seedJSON() const {
  try {
    return encodeSeed(*values_);
  } catch (const std::exception&) {
    return "{}";
  }
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

void SaveStore::Writer::run() {
  blockSignalsOfThisThread();
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [&] { return next || stopping; });
    if (!next) return;
    Job job = std::move(*next);
    next.reset();
    writing = true;
    lock.unlock();
    // Running out of memory is a failed write like any other.
    try {
      write(job);
    } catch (...) {
      fail("out of memory");
    }
    job = {};
    lock.lock();
    writing = false;
    if (!next) idle.notify_all();
  }
}

bool SaveStore::Writer::setAside(const std::string& reason, std::int64_t seconds) {
  // Whole seconds, as the unreadable copies have always been named; a second
  // bad start within the same second counts up a suffix instead of failing.
  const std::string stem = "saves-unreadable-" + std::to_string(seconds);
  std::string error;
  auto name = moveToFreeName(
      folder, kSavesName,
      [&](int n) { return n == 0 ? stem + ".json" : stem + "-" + std::to_string(n) + ".json"; }, error);
  if (!name) {
    // Only the first refusal is logged here; each write that it blocks logs
    // its own failure.
    if (!fileLocked)
      logFailure(line("saves.json " + reason + " and could not be moved aside (" + error +
                      "); it is left in place and will not be overwritten"));
    fileLocked = true;
    lockedReason = reason;
    return false;
  }
  syncFolder(folder);
  logFailure(line("saves.json " + reason + ", moved to " + *name));
  fileLocked = false;
  return true;
}

void SaveStore::Writer::fail(const std::string& description) {
  // The saves stay in memory; until a write succeeds, even an unchanged
  // replaceAll writes, so the file cannot stay behind for good.
  behind = true;
  logFailure(line("couldn't write saves.json: " + description));
}

void SaveStore::Writer::write(const Job& job) {
  if (fileLocked && present(file) && !setAside(lockedReason, job.seconds)) {
    fail("the unreadable saves.json is still in the way and is kept");
    return;
  }
  fileLocked = false;

  std::string bytes;
  try {
    bytes = encodeSaves(*job.values);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    fail(e.what());
    return;
  }

  StagedFile saves(folder, kSavesName);
  if (!saves.stage(bytes)) return fail(saves.error());
  // Today's copy is staged alongside the saves file, so that both reach the
  // disk together. A copy that cannot be made is no reason to stop.
  StagedFile copy(backups, job.backupName);
  bool copied = copy.stage(bytes);
  if (!saves.sync()) return fail(saves.error());
  if (copied) copied = copy.sync();
  if (!saves.commit()) return fail(saves.error());
  // Both renames come before either folder sync so that one journal commit
  // can carry them. Should the sync fail, the copy already holds the bytes
  // that saves.json most likely holds as well; the write still counts as failed.
  if (copied) copy.commit();
  pruneBackups(backups);
  if (auto error = syncFolder(folder)) return fail(*error);
  syncFolder(backups);
  behind = false;
}

}  // namespace velmar
