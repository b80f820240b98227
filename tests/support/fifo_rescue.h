// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace velmar::test {

// Code that opens a FIFO for reading and blocks there would hang the test
// run for good. Unless it is gone first, this opens the FIFO's other end
// after a while and closes it again, so that such a reader sees an empty file
// and its test fails instead of hanging.
class FifoRescue {
 public:
  explicit FifoRescue(std::string path, std::chrono::seconds after = std::chrono::seconds(20))
      : thread_([this, path = std::move(path), after] {
          std::unique_lock lock(mutex_);
          if (done_.wait_for(lock, after, [this] { return finished_; })) return;
          int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (fd >= 0) close(fd);
        }) {}
  ~FifoRescue() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  FifoRescue(const FifoRescue&) = delete;
  FifoRescue& operator=(const FifoRescue&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace velmar::test
