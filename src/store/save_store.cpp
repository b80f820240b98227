// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/save_store.h"

#include "platform/durable_file.h"
#include "platform/file_writer.h"
#include "platform/log.h"
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
#include <map>
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

// The day a backup belongs to: "saves-YYYY-MM-DD" when its name starts so,
// otherwise the whole name, which then counts as a day of its own.
std::string_view dayOf(std::string_view name) {
  constexpr std::string_view kStem = "saves-";
  constexpr std::size_t kLength = kStem.size() + 10;
  if (name.size() <= kLength || !name.starts_with(kStem) || (name[kLength] != '.' && name[kLength] != '-'))
    return name;
  for (std::size_t i = kStem.size(); i < kLength; ++i) {
    bool dash = i == kStem.size() + 4 || i == kStem.size() + 7;
    if (dash ? name[i] != '-' : !g_ascii_isdigit(name[i])) return name;
  }
  return name.substr(0, kLength);
}

// Every entry whose extension is exactly "json" counts, whoever put it there;
// the newest days sort first, and every file of the 31st day on goes.
void pruneBackups(const std::string& folder) {
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  if (!dir) return;
  std::map<std::string, std::vector<std::string>, std::greater<>> days;
  while (const char* entry = g_dir_read_name(dir)) {
    std::string_view name(entry);
    auto dot = name.rfind('.');
    if (dot != std::string_view::npos && name.substr(dot + 1) == "json")
      days[std::string(dayOf(name))].emplace_back(name);
  }
  g_dir_close(dir);
  // std::string compares bytes as unsigned, which is code point order for UTF-8.
  std::size_t kept = 0;
  for (auto& [day, names] : days) {
    if (++kept <= kBackupsKept) continue;
    for (auto& name : names) {
      std::string path = folder + "/" + name;
      g_remove(path.c_str());
    }
  }
}

// A write that loses a key, or cuts its value to half or less, is one that
// a page in trouble makes: the saves it replaces are kept first.
bool dropsOrCuts(const SaveStore::Values& before, const SaveStore::Values& after) {
  for (auto& [key, value] : before) {
    auto now = after.find(key);
    if (now == after.end() || (!value.empty() && now->second.size() * 2 <= value.size())) return true;
  }
  return false;
}

std::chrono::milliseconds retryDelay(int failures) {
  constexpr std::chrono::milliseconds kDelays[] = {std::chrono::milliseconds(500), std::chrono::milliseconds(1000),
                                                   std::chrono::milliseconds(2000), std::chrono::milliseconds(4000)};
  return failures >= 1 && failures <= 4 ? kDelays[failures - 1] : std::chrono::milliseconds(5000);
}


}  // namespace

// One write asked for: the saves of that moment, and its local day
// (YYYY-MM-DD) and time (HHMMSS), which name the backups.
struct SaveStore::Job {
  std::shared_ptr<const Values> values;
  std::string day;
  std::string time;
  std::int64_t seconds = 0;
  // Saves asked for before, superseded before they reached the disk: a
  // write that drops their keys keeps them too. The newest few only.
  std::vector<std::shared_ptr<const Values>> unlanded;
  void supersede(Job older) {
    older.unlanded.push_back(std::move(older.values));
    older.unlanded.insert(older.unlanded.end(), unlanded.begin(), unlanded.end());
    unlanded = std::move(older.unlanded);
    constexpr std::size_t kKept = 8;
    if (unlanded.size() > kKept) unlanded.erase(unlanded.begin(), unlanded.end() - kKept);
  }
};

// The file work. After start-up only the writing thread touches the files and
// the locked state; the queue is one slot, so a newer write replaces one that
// has not begun.
struct SaveStore::Writer : std::enable_shared_from_this<SaveStore::Writer> {
  Writer(std::string folder, std::string file, std::string backups)
      : folder(std::move(folder)), file(std::move(file)), backups(std::move(backups)) {}

  void run();
  bool write(const Job& job);
  // The day's last copy becomes its first once a second write comes.
  void keepFirstOfDay(const std::string& day);
  // Keeps what saves.json holds now under a dated name; false when no copy
  // could be made, and then the write must not go on.
  bool keepBeforeWrite(const Job& job, const Values& values, bool onDisk, std::string& error);
  bool isKept(const Values& values) const;
  void remember(std::shared_ptr<const Values> values);
  // Health for the main context: arms the stall check, tells the listener.
  void armStallCheck();
  void tellMainContext();
  void tell();
  // Moves a saves file that holds no saves out of the way, under a name that
  // is free. Logs what happened; false when the file had to stay.
  bool setAside(const std::string& reason, std::int64_t seconds);
  bool fail(const std::string& description);

  const std::string folder;
  const std::string file;
  const std::string backups;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::optional<Job> next;
  bool writing = false;
  bool stopping = false;
  // A failed write waits here for its next try, unless a newer one comes.
  std::optional<Job> retry;
  int failures = 0;
  // An automatic try logs nothing: the write it repeats was logged.
  bool quiet = false;
  std::int64_t begunAt = 0;
  bool stallCheckArmed = false;
  std::atomic<std::uint64_t> progress{0};

  // Only the main context's thread touches this.
  std::function<void()> listener;

  std::atomic<bool> behind{false};
  // What saves.json holds, as far as this store knows; the day's last copy
  // and which day it is; saves known to sit in a copy that stays.
  std::shared_ptr<const Values> lastWritten;
  std::shared_ptr<const Values> lastOfDay;
  std::string lastOfDayDay;
  std::vector<std::shared_ptr<const Values>> kept;
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
  // Tests stand a slow disk in from outside the process; nothing else sets it.
  if (const char* delay = g_getenv("VELMAR_TEST_SYNC_DELAY_MS"))
    setSyncDelay(std::chrono::milliseconds(std::max<gint64>(0, g_ascii_strtoll(delay, nullptr, 10))));
  // A failure shows up, and is logged, at the first write.
  g_mkdir_with_parents(backups_.c_str(), 0755);
  removeStaleTemporaries(folder_);
  removeStaleTemporaries(backups_);

  // Loading comes first and on the caller's thread: the pages wait for it.
  std::string problem;
  int code = 0;
  auto contents = readRegularFile(file_, kLargestSavesFile, "saves", problem, code);
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
  writer_->lastWritten = values_;

  thread_ = std::thread([writer = writer_] { writer->run(); });
}

SaveStore::~SaveStore() {
  writer_->listener = nullptr;
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

SaveStore::Health SaveStore::health() const {
  Health health;
  health.behind = fileBehind();
  std::lock_guard lock(writer_->mutex);
  health.stalled = writer_->writing && g_get_monotonic_time() - writer_->begunAt >=
                                           std::chrono::microseconds(kStallAfter).count();
  return health;
}

void SaveStore::onHealthChange(std::function<void()> listener) { writer_->listener = std::move(listener); }

bool SaveStore::settled() const {
  std::lock_guard lock(writer_->mutex);
  return !writer_->next && !writer_->writing;
}

std::uint64_t SaveStore::progress() const { return writer_->progress.load(); }

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

void SaveStore::set(const std::string& key, std::string value) {
  auto at = values_->find(key);
  if (at != values_->end() && at->second == value && !fileBehind()) return;
  auto changed = std::make_shared<Values>(*values_);
  (*changed)[key] = std::move(value);
  values_ = std::move(changed);
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
  std::int64_t now = clock_();
  Job job{values_, "unknown-date", "000000", std::max<std::int64_t>(0, now / G_USEC_PER_SEC)};
  // Floor, not truncation, so that a moment before 1970 still gets its own day.
  std::int64_t seconds = now / G_USEC_PER_SEC - (now % G_USEC_PER_SEC < 0 ? 1 : 0);
  if (GDateTime* moment = g_date_time_new_from_unix_local(seconds)) {
    gchar* day = g_date_time_format(moment, "%Y-%m-%d");
    gchar* time = g_date_time_format(moment, "%H%M%S");
    if (day) job.day = day;
    if (time) job.time = time;
    g_free(day);
    g_free(time);
    g_date_time_unref(moment);
  }
  {
    std::lock_guard lock(writer_->mutex);
    if (writer_->next) job.supersede(std::move(*writer_->next));
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

void SaveStore::Writer::run() {
  blockSignalsOfThisThread();
  std::unique_lock lock(mutex);
  for (;;) {
    auto asked = [&] { return next || stopping; };
    if (retry)
      wake.wait_for(lock, retryDelay(failures), asked);
    else
      wake.wait(lock, asked);
    Job job;
    if (next) {
      job = std::move(*next);
      next.reset();
      if (retry) job.supersede(std::move(*retry));
      retry.reset();
      quiet = false;
    } else if (stopping) {
      return;
    } else if (retry) {
      job = *retry;
      quiet = true;
    } else {
      continue;
    }
    writing = true;
    begunAt = g_get_monotonic_time();
    ++progress;
    armStallCheck();
    const bool wasBehind = behind;
    lock.unlock();
    bool landed = false;
    // Running out of memory is a failed write like any other.
    try {
      landed = write(job);
    } catch (...) {
      fail("out of memory");
    }
    lock.lock();
    writing = false;
    ++progress;
    if (landed) {
      failures = 0;
    } else {
      ++failures;
      if (!next) retry = std::move(job);
    }
    job = {};
    const bool lastedLong = g_get_monotonic_time() - begunAt >= std::chrono::microseconds(kStallAfter).count();
    if (behind != wasBehind || lastedLong) tellMainContext();
    if (!next) idle.notify_all();
  }
}

// The listener and the check run on the main context; each holds the writer,
// which outlives the store when they are still pending.
void SaveStore::Writer::armStallCheck() {
  if (stallCheckArmed) return;
  stallCheckArmed = true;
  auto left = std::chrono::microseconds(kStallAfter).count() - (g_get_monotonic_time() - begunAt);
  GSource* source = g_timeout_source_new(static_cast<guint>(std::max<std::int64_t>(0, left) / 1000 + 1));
  g_source_set_callback(
      source,
      +[](gpointer data) -> gboolean {
        auto& self = **static_cast<std::shared_ptr<Writer>*>(data);
        {
          std::lock_guard lock(self.mutex);
          self.stallCheckArmed = false;
          if (!self.writing) return G_SOURCE_REMOVE;
          // A newer write began since: its own stall is still ahead.
          if (g_get_monotonic_time() - self.begunAt < std::chrono::microseconds(kStallAfter).count()) {
            self.armStallCheck();
            return G_SOURCE_REMOVE;
          }
        }
        self.tell();
        return G_SOURCE_REMOVE;
      },
      new std::shared_ptr<Writer>(shared_from_this()), +[](gpointer data) { delete static_cast<std::shared_ptr<Writer>*>(data); });
  g_source_attach(source, g_main_context_default());
  g_source_unref(source);
}

void SaveStore::Writer::tellMainContext() {
  // Not g_main_context_invoke: from a thread that does not own the context it
  // may run the function right here.
  GSource* source = g_idle_source_new();
  g_source_set_callback(
      source,
      +[](gpointer data) -> gboolean {
        (*static_cast<std::shared_ptr<Writer>*>(data))->tell();
        return G_SOURCE_REMOVE;
      },
      new std::shared_ptr<Writer>(shared_from_this()), +[](gpointer data) { delete static_cast<std::shared_ptr<Writer>*>(data); });
  g_source_attach(source, g_main_context_default());
  g_source_unref(source);
}

void SaveStore::Writer::tell() {
  if (listener) listener();
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

bool SaveStore::Writer::fail(const std::string& description) {
  // The saves stay in memory and the thread tries again on its own, so the
  // file cannot stay behind for good.
  behind = true;
  if (!quiet) logFailure(line("couldn't write saves.json: " + description));
  return false;
}

void SaveStore::Writer::keepFirstOfDay(const std::string& day) {
  const std::string last = backups + "/saves-" + day + ".json";
  const std::string first = backups + "/saves-" + day + "-first.json";
  if (!present(last) || present(first)) return;
  // A link costs no room on a full disk; where there are none, the last copy
  // moves, as this write makes a new one.
  if (link(last.c_str(), first.c_str()) != 0 && g_rename(last.c_str(), first.c_str()) != 0) return;
  if (lastOfDayDay == day && lastOfDay) remember(lastOfDay);
}

bool SaveStore::Writer::isKept(const Values& values) const {
  return std::any_of(kept.begin(), kept.end(), [&](auto& copy) { return *copy == values; });
}

void SaveStore::Writer::remember(std::shared_ptr<const Values> values) {
  kept.push_back(std::move(values));
  if (kept.size() > 8) kept.erase(kept.begin());
}

bool SaveStore::Writer::keepBeforeWrite(const Job& job, const Values& values, bool onDisk, std::string& error) {
  const std::string stem = backups + "/saves-" + job.day + "-" + job.time;
  auto nameFor = [&](int n) { return (n == 0 ? stem : stem + "-" + std::to_string(n)) + ".json"; };
  int n = 0;
  for (; onDisk && n < 1000; ++n) {
    std::string name = nameFor(n);
    if (link(file.c_str(), name.c_str()) == 0) {
      if (auto problem = syncFolder(backups)) {
        error = *problem;
        return false;
      }
      return true;
    }
    if (errno != EEXIST) break;
  }
  // Saves that never reached the disk, no saves.json to link (removed by
  // hand) or no links here: the copy is written from memory.
  while (n < 1000 && present(nameFor(n))) ++n;
  std::string name = nameFor(n);
  StagedFile copy(backups, name.substr(backups.size() + 1));
  if (!copy.stage(encodeSaves(values)) || !copy.sync() || !copy.commit()) {
    error = copy.error();
    return false;
  }
  if (auto problem = syncFolder(backups)) {
    error = *problem;
    return false;
  }
  return true;
}

bool SaveStore::Writer::write(const Job& job) {
  if (fileLocked && present(file) && !setAside(lockedReason, job.seconds))
    return fail("the unreadable saves.json is still in the way and is kept");
  fileLocked = false;

  std::string bytes;
  try {
    bytes = encodeSaves(*job.values);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    return fail(e.what());
  }

  // Yesterday's last copy is written no more.
  if (!lastOfDayDay.empty() && lastOfDayDay != job.day && lastOfDay && !isKept(*lastOfDay)) remember(lastOfDay);
  keepFirstOfDay(job.day);
  std::vector<std::shared_ptr<const Values>> replaced = job.unlanded;
  if (lastWritten) replaced.push_back(lastWritten);
  for (auto& values : replaced) {
    if (!dropsOrCuts(*values, *job.values) || isKept(*values)) continue;
    std::string error;
    if (!keepBeforeWrite(job, *values, values == lastWritten, error))
      return fail("no copy could be kept of the saves it would replace (" + error + ")");
    remember(values);
  }

  StagedFile saves(folder, kSavesName);
  if (!saves.stage(bytes)) return fail(saves.error());
  // Today's copy is staged alongside the saves file, so that both reach the
  // disk together. A copy that cannot be made is no reason to stop.
  const std::string lastName = "saves-" + job.day + ".json";
  StagedFile copy(backups, lastName);
  bool copied = copy.stage(bytes);
  if (!saves.sync()) return fail(saves.error());
  if (copied) copied = copy.sync();
  if (!saves.commit()) return fail(saves.error());
  lastWritten = job.values;
  // Both renames come before either folder sync so that one journal commit
  // can carry them. Should the sync fail, the copy already holds the bytes
  // that saves.json most likely holds as well; the write still counts as failed.
  if (copied && copy.commit()) {
    lastOfDay = job.values;
    lastOfDayDay = job.day;
  }
  pruneBackups(backups);
  if (auto error = syncFolder(folder)) return fail(*error);
  syncFolder(backups);
  behind = false;
  return true;
}

}  // namespace velmar
