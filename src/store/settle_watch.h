// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>

namespace velmar {

// Waiting for the saves' last write without blocking: a timer polls the
// store and hands what it sees to poll(). The wait ends when the writes have
// settled, or when for kGiveUpAfter none began and none ended: a hung disk
// that quitting must not wait on for ever. A slow one, still making
// progress, is waited for however long it takes.
class SettleWatch {
 public:
  enum class State {
    waiting,
    // Waiting for longer than kTellAfter: the player should see it.
    waitingLong,
    settled,
    hung,
  };
  static constexpr std::chrono::milliseconds kTellAfter{500};
  static constexpr std::chrono::milliseconds kGiveUpAfter{30000};

  // Monotonic microseconds when the wait began, and the store's progress then.
  SettleWatch(std::int64_t now, std::uint64_t progress) : begun_(now), movedAt_(now), progress_(progress) {}

  State poll(std::int64_t now, bool settled, std::uint64_t progress) {
    if (settled) return State::settled;
    if (progress != progress_) {
      progress_ = progress;
      movedAt_ = now;
    }
    if (now - movedAt_ >= std::chrono::microseconds(kGiveUpAfter).count()) return State::hung;
    return now - begun_ >= std::chrono::microseconds(kTellAfter).count() ? State::waitingLong : State::waiting;
  }

 private:
  std::int64_t begun_;
  std::int64_t movedAt_;
  std::uint64_t progress_;
};

}  // namespace velmar
