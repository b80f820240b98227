// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/folder_lock.h"

#include "support/log_capture.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmar {
namespace {

// A child process that takes the lock, as another copy of the casino would,
// and holds it until it is killed.
pid_t holdInChild(const std::string& folder) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    FolderLock lock(folder);
    char held = lock.state() == FolderLock::State::Held ? 'y' : 'n';
    if (write(ready[1], &held, 1) == 1 && held == 'y') pause();
    _exit(1);
  }
  close(ready[1]);
  char held = 'n';
  if (read(ready[0], &held, 1) != 1 || held != 'y') pid = -1;
  close(ready[0]);
  return pid;
}

void killChild(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

TEST(FolderLock, ASecondOwnerIsKeptOutAndToldWhoHoldsTheFolderUntilTheHolderIsKilled) {
  test::TempDir base;
  std::string folder = FolderLock::saveFolder(base.path());
  pid_t other = holdInChild(folder);
  ASSERT_GT(other, 0);
  {
    FolderLock second(folder);
    EXPECT_EQ(second.state(), FolderLock::State::HeldElsewhere);
    EXPECT_EQ(second.holderPid(), std::optional<long>(other));
    EXPECT_EQ(second.holderHost(), g_get_host_name());
  }
  killChild(other);
  std::optional<FolderLock> next(std::in_place, folder);
  EXPECT_EQ(next->state(), FolderLock::State::Held);
  // A helper the holder starts (the web engine's) outlives it, and the spawn
  // leaves closing descriptors to close-on-exec, as GSubprocess does.
  const char* argv[] = {"sleep", "60", nullptr};
  GPid helper = 0;
  auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_LEAVE_DESCRIPTORS_OPEN);
  ASSERT_TRUE(g_spawn_async(nullptr, const_cast<char**>(argv), nullptr, flags, nullptr, nullptr, &helper, nullptr));
  next.reset();
  EXPECT_EQ(FolderLock(folder).state(), FolderLock::State::Held);
  killChild(helper);
}

}  // namespace
}  // namespace velmar
