// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/unprivileged.h"

#include <ftw.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <exception>

namespace velmar::test {

namespace {

constexpr uid_t kNobody = 65534;

int handOver(const char* path, const struct stat*, int, struct FTW*) {
  return lchown(path, kNobody, kNobody) == 0 ? 0 : -1;
}

void writeAll(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

std::string childResult(const std::string& tree, const std::function<std::string()>& scenario) {
  if (geteuid() == 0) {
    if (nftw(tree.c_str(), handOver, 16, FTW_PHYS) != 0) return "could not hand the folder over to nobody\n";
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
      return "could not drop to nobody\n";
  }
  if (access(tree.c_str(), R_OK | W_OK | X_OK) != 0)
    return "the folder is out of the unprivileged user's reach: " + std::string(strerror(errno)) + "\n";
  try {
    return scenario();
  } catch (const std::exception& e) {
    return std::string("exception: ") + e.what() + "\n";
  } catch (...) {
    return "unknown exception\n";
  }
}

}  // namespace

std::string runWithoutPrivileges(const std::string& tree, const std::function<std::string()>& scenario) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "pipe failed\n";
  pid_t pid = fork();
  if (pid < 0) return "fork failed\n";
  if (pid == 0) {
    close(pipeFds[0]);
    // A marker after the faults proves the child got to the end.
    writeAll(pipeFds[1], childResult(tree, scenario) + "\x01");
    _exit(0);
  }
  close(pipeFds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (out.empty() || out.back() != '\x01') {
    if (WIFSIGNALED(status)) return out + "the child died of signal " + std::to_string(WTERMSIG(status)) + "\n";
    return out + "the child ended without reporting\n";
  }
  out.pop_back();
  return out;
}

}  // namespace velmar::test
