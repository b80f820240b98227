// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/durable_file.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar {

namespace {

constexpr std::string_view kTemporaryPrefix = ".velmar-";
constexpr std::string_view kTemporarySuffix = ".tmp";

std::atomic<std::int64_t> syncDelayMicroseconds{0};

void waitAsASlowDiskWould() {
  if (auto delay = syncDelayMicroseconds.load(std::memory_order_relaxed)) g_usleep(static_cast<gulong>(delay));
}

std::string describe(const char* step, int code) {
  return std::string(g_strerror(code)) + " (" + step + ")";
}

}  // namespace

StagedFile::StagedFile(std::string folder, std::string name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

StagedFile::~StagedFile() {
  if (fd_ >= 0) close(fd_);
  if (!temporary_.empty()) g_unlink(temporary_.c_str());
}

bool StagedFile::fail(const char* step) {
  error_ = describe(step, errno);
  return false;
}

bool StagedFile::stage(std::string_view bytes) {
  // The target's name is in the temporary's, so that a writer clearing up after
  // a killed process takes only its own file's leftovers, never another
  // writer's file in the middle of its write.
  std::string pattern =
      folder_ + "/" + std::string(kTemporaryPrefix) + name_ + "-XXXXXX" + std::string(kTemporarySuffix);
  // The mode goes through the umask like any new file's.
  fd_ = g_mkstemp_full(pattern.data(), O_RDWR | O_CLOEXEC, 0666);
  if (fd_ < 0) return fail("creating a temporary file");
  temporary_ = pattern;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("writing");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // Starting the write-back now lets a second staged file's blocks join the
  // journal commit that the first sync() waits for. It is only a hint: sync()
  // is what makes the bytes durable.
  sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
  return true;
}

bool StagedFile::sync() {
  if (fd_ < 0) {
    errno = EBADF;
    return fail("syncing");
  }
  waitAsASlowDiskWould();
  while (fsync(fd_) != 0)
    if (errno != EINTR) return fail("syncing");
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0 && errno != EINTR) return fail("closing");
  return true;
}

bool StagedFile::commit() {
  if (temporary_.empty()) {
    errno = ENOENT;
    return fail("replacing");
  }
  std::string target = folder_ + "/" + name_;
  if (g_rename(temporary_.c_str(), target.c_str()) != 0) return fail("replacing");
  temporary_.clear();
  return true;
}

std::optional<std::string> syncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return describe("opening the folder to sync it", errno);
  int code = 0;
  waitAsASlowDiskWould();
  while (fsync(fd) != 0) {
    if (errno == EINTR) continue;
    code = errno;
    break;
  }
  close(fd);
  // Some file systems cannot sync a folder at all; their renames are as
  // durable as they will ever be.
  if (code == 0 || code == EINVAL || code == ENOTSUP) return std::nullopt;
  return describe("syncing the folder", code);
}

void setSyncDelay(std::chrono::microseconds delay) { syncDelayMicroseconds = delay.count(); }

bool isTemporaryName(std::string_view name) {
  return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() &&
         name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix &&
         name.substr(name.size() - kTemporarySuffix.size()) == kTemporarySuffix;
}

void removeStaleTemporaries(const std::string& folder, std::optional<std::string_view> target) {
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  if (!dir) return;
  // Besides the target's own, the name-less ones of earlier versions.
  const std::string own = std::string(kTemporaryPrefix) + std::string(target.value_or("")) + "-";
  const std::size_t older = kTemporaryPrefix.size() + 6 + kTemporarySuffix.size();
  while (const char* name = g_dir_read_name(dir)) {
    std::string_view n = name;
    if (!isTemporaryName(n)) continue;
    if (target && n.substr(0, own.size()) != own && n.size() != older) continue;
    std::string path = folder + "/" + name;
    g_unlink(path.c_str());
  }
  g_dir_close(dir);
}

std::optional<std::string> readRegularFile(const std::string& path, off_t largest, std::string_view what,
                                           std::string& problem, int& errnoOut) {
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
  if (info.st_size > largest) {
    problem = "is too large to hold " + std::string(what) + " (" + std::to_string(info.st_size) + " bytes)";
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

namespace {

// 0 when moved, otherwise the errno; EEXIST means the target name is taken.
int renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int code = errno;
  if (code != EINVAL && code != ENOSYS && code != ENOTSUP) return code;
  // File systems without RENAME_NOREPLACE: a hard link refuses an existing
  // name just as well.
  if (link(from.c_str(), to.c_str()) == 0) {
    g_unlink(from.c_str());
    return 0;
  }
  code = errno;
  if (code != EPERM && code != ENOTSUP && code != EOPNOTSUPP) return code;
  // Neither works (no hard links, or a folder): check first. Only this
  // process writes its folders, so nothing races the check.
  if (g_file_test(to.c_str(), G_FILE_TEST_EXISTS) || g_file_test(to.c_str(), G_FILE_TEST_IS_SYMLINK))
    return EEXIST;
  return g_rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::optional<std::string> moveToFreeName(const std::string& folder, const std::string& name,
                                          const std::function<std::string(int)>& nameFor,
                                          std::string& error) {
  // A bound keeps a folder that refuses every name from looping for ever.
  constexpr int kAttempts = 10000;
  const std::string from = folder + "/" + name;
  for (int n = 0; n < kAttempts; ++n) {
    std::string candidate = nameFor(n);
    int code = renameWithoutReplacing(from, folder + "/" + candidate);
    if (code == 0) return candidate;
    if (code != EEXIST) {
      error = g_strerror(code);
      return std::nullopt;
    }
  }
  error = "no free name was found";
  return std::nullopt;
}

}  // namespace velmar
