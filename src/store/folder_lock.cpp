// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/folder_lock.h"

#include "platform/log.h"

#include <glib.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmar {

namespace {

// The holder's words: "pid\nhost\n". A holder that has not written them yet,
// or a file someone edited, gives what can be read of them.
void readHolder(int fd, std::optional<long>& pid, std::string& host) {
  char text[512];
  ssize_t length = pread(fd, text, sizeof text - 1, 0);
  if (length <= 0) return;
  text[length] = '\0';
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end != text && *end == '\n' && number > 0) {
    pid = number;
    const char* name = end + 1;
    const char* stop = std::strchr(name, '\n');
    if (stop && stop > name) host.assign(name, stop);
  }
}

}  // namespace

std::string FolderLock::saveFolder(const std::string& base) { return base + "/Velmar Casino"; }

FolderLock::FolderLock(std::string folder) : path_(std::move(folder) + "/.lock") {
  g_autofree char* dir = g_path_get_dirname(path_.c_str());
  g_mkdir_with_parents(dir, 0700);
  // Close-on-exec: the web engine's helper processes must not keep the folder
  // locked after we are gone. Non-blocking and no symlinks, so that a FIFO or
  // a link put in its place cannot hold start-up or lead elsewhere.
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    logFailure("Velmar Casino: cannot use the lock file " + path_ + " (" +
               (fd_ < 0 ? std::strerror(errno) : "not a regular file") +
               "); another copy over the same folder would not be kept out");
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    return;
  }
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    if (error == EWOULDBLOCK) {
      state_ = State::HeldElsewhere;
      readHolder(fd_, holderPid_, holderHost_);
    } else {
      logFailure("Velmar Casino: cannot lock " + path_ + " (" + std::strerror(error) +
                 "); another copy over the same folder would not be kept out");
    }
    close(fd_);
    fd_ = -1;
    return;
  }
  state_ = State::Held;
  std::string holder = std::to_string(getpid()) + "\n" + g_get_host_name() + "\n";
  if (ftruncate(fd_, 0) != 0 || pwrite(fd_, holder.data(), holder.size(), 0) != static_cast<ssize_t>(holder.size()))
    logLine("Velmar Casino: could not note this process in " + path_ + "; the lock holds all the same");
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace velmar
