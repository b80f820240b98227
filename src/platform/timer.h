// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

namespace velmar {

// Runs fn once on the default main context after the given seconds.
void after(double seconds, std::function<void()> fn);

// The same, holding owner weakly: nothing happens when the owner is gone by then.
template <class T, class Fn>
void afterWeak(double seconds, const std::shared_ptr<T>& owner, Fn fn) {
  after(seconds, [weak = std::weak_ptr<T>(owner), fn = std::move(fn)]() mutable {
    if (auto strong = weak.lock()) fn(*strong);
  });
}

}  // namespace velmar
