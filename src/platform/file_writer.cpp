// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_writer.h"

#include "platform/durable_file.h"
#include "platform/log.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>

namespace velmar {

namespace {

constexpr std::string_view kPrefix = "Velmar Casino: ";

std::string folderOf(const std::string& path) {
  g_autofree char* dir = g_path_get_dirname(path.c_str());
  return dir;
}

std::string nameOf(const std::string& path) {
  g_autofree char* name = g_path_get_basename(path.c_str());
  return name;
}

}  // namespace

void blockSignalsOfThisThread() {
  sigset_t signals;
  sigfillset(&signals);
  for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS}) sigdelset(&signals, fault);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// The locked state shared by the caller and the thread: a queue of one slot,
// so that a newer write replaces one that has not begun.
struct FileWriter::Queue {
  Queue(std::string folder, std::string name, std::string what)
      : folder(std::move(folder)), name(std::move(name)), what(std::move(what)) {}

  void run();
  void write(const std::string& bytes);

  const std::string folder;
  const std::string name;
  const std::string what;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::optional<std::string> next;
  bool writing = false;
  bool stopping = false;
  std::atomic<std::uint64_t> written{0};
};

void FileWriter::Queue::run() {
  blockSignalsOfThisThread();
  removeStaleTemporaries(folder, name);
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [&] { return next || stopping; });
    if (!next) return;
    std::string bytes = std::move(*next);
    next.reset();
    writing = true;
    lock.unlock();
    try {
      write(bytes);
    } catch (...) {
      logFailure(std::string(kPrefix) + "couldn't write " + what + ": out of memory");
    }
    lock.lock();
    writing = false;
    if (!next) idle.notify_all();
  }
}

void FileWriter::Queue::write(const std::string& bytes) {
  auto fail = [&](const std::string& error) {
    logFailure(std::string(kPrefix) + "couldn't write " + what + " to " + folder + "/" + name + ": " + error);
  };
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) return fail(g_strerror(errno));
  StagedFile file(folder, name);
  if (!file.stage(bytes) || !file.sync() || !file.commit()) return fail(file.error());
  if (auto error = syncFolder(folder)) return fail(*error);
  ++written;
}

FileWriter::FileWriter(std::string path, std::string what)
    : path_(std::move(path)),
      what_(std::move(what)),
      queue_(std::make_shared<Queue>(folderOf(path_), nameOf(path_), what_)) {}

FileWriter::~FileWriter() {
  if (!thread_.joinable()) return;
  bool settled = settle();
  {
    std::lock_guard lock(queue_->mutex);
    queue_->stopping = true;
  }
  queue_->wake.notify_one();
  // A write that cannot end in time finishes on its own; the thread keeps
  // what it needs alive.
  if (settled)
    thread_.join();
  else
    thread_.detach();
}

void FileWriter::write(std::string bytes) {
  {
    std::lock_guard lock(queue_->mutex);
    queue_->next = std::move(bytes);
  }
  if (!thread_.joinable())
    thread_ = std::thread([queue = queue_] { queue->run(); });
  else
    queue_->wake.notify_one();
}

bool FileWriter::settle(std::chrono::milliseconds bound) {
  std::unique_lock lock(queue_->mutex);
  if (queue_->idle.wait_for(lock, bound, [&] { return !queue_->next && !queue_->writing; })) return true;
  logFailure(std::string(kPrefix) + queue_->name + " is still being written after " + std::to_string(bound.count()) +
             " ms; going on without waiting for it");
  return false;
}

std::uint64_t FileWriter::written() const { return queue_->written.load(); }

std::optional<std::string> readKeptFile(const std::string& path, off_t largest, const std::string& what) {
  std::string problem;
  int code = 0;
  auto bytes = readRegularFile(path, largest, what, problem, code);
  if (bytes || code == ENOENT || code == ENOTDIR) return bytes;

  const std::string folder = folderOf(path), name = nameOf(path);
  auto dot = name.rfind('.');
  const std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  const std::string stem = name.substr(0, name.size() - extension.size()) + "-unreadable-" +
                           std::to_string(g_get_real_time() / G_USEC_PER_SEC);
  std::string error;
  auto moved = moveToFreeName(
      folder, name, [&](int n) { return (n == 0 ? stem : stem + "-" + std::to_string(n)) + extension; }, error);
  const std::string outcome = moved ? ", moved to " + *moved : " and could not be moved aside (" + error + ")";
  logFailure(std::string(kPrefix) + name + " " + problem + outcome + "; going on with the default " + what);
  return std::nullopt;
}

}  // namespace velmar
