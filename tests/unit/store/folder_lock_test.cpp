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

// A child process that holds the lock until it is killed, as another copy of
// the casino would.
class LockHolder {
 public:
  explicit LockHolder(const std::string& folder) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      FolderLock lock(folder);
      char held = lock.state() == FolderLock::State::Held ? 'y' : 'n';
      if (write(ready[1], &held, 1) != 1) _exit(2);
      for (;;) pause();
    }
    close(ready[1]);
    char held = 'n';
    held_ = read(ready[0], &held, 1) == 1 && held == 'y';
    close(ready[0]);
  }
  ~LockHolder() { kill(); }
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid() const { return pid_; }
  bool held() const { return held_; }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

class FolderLockTest : public ::testing::Test {
 protected:
  std::string folder() const { return FolderLock::saveFolder(base.path()); }
  test::TempDir base;
};

TEST_F(FolderLockTest, ASecondOwnerIsKeptOutAndToldWhoHoldsTheFolderUntilTheHolderIsKilled) {
  LockHolder other(folder());
  ASSERT_TRUE(other.held());
  {
    FolderLock second(folder());
    EXPECT_EQ(second.state(), FolderLock::State::HeldElsewhere);
    EXPECT_EQ(second.holderPid(), std::optional<long>(other.pid()));
    EXPECT_EQ(second.holderHost(), g_get_host_name());
  }
  // kill -9 leaves no stale lock behind.
  other.kill();
  FolderLock next(folder());
  EXPECT_EQ(next.state(), FolderLock::State::Held);
  EXPECT_EQ(test::readFile(next.path()), std::to_string(getpid()) + "\n" + g_get_host_name() + "\n");
  // Within one process too, a second owner is refused while the first lives.
  EXPECT_EQ(FolderLock(folder()).state(), FolderLock::State::HeldElsewhere);
}

TEST_F(FolderLockTest, ProgramsStartedByTheHolderDoNotKeepTheFolderLockedAfterIt) {
  std::optional<FolderLock> first(std::in_place, folder());
  ASSERT_EQ(first->state(), FolderLock::State::Held);
  // A helper process the holder starts, like the web engine's, outlives it;
  // like GSubprocess, the spawn leaves closing descriptors to close-on-exec.
  const char* argv[] = {"sleep", "60", nullptr};
  GPid helper = 0;
  auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_LEAVE_DESCRIPTORS_OPEN);
  ASSERT_TRUE(g_spawn_async(nullptr, const_cast<char**>(argv), nullptr, flags, nullptr, nullptr, &helper, nullptr));
  first.reset();
  EXPECT_EQ(FolderLock(folder()).state(), FolderLock::State::Held);
  kill(helper, SIGKILL);
  waitpid(helper, nullptr, 0);
}

}  // namespace
}  // namespace velmar
