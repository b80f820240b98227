#pragma once

#include <functional>
#include <memory>

namespace velmar {

// Runs fn once on the default main context after the given seconds. Returns
// the GLib source id, which cancel() takes.
unsigned after(double seconds, std::function<void()> fn);
void cancel(unsigned sourceId);

// The same, holding owner weakly: nothing happens when the owner is gone by then.
template <class T, class Fn>
unsigned afterWeak(double seconds, const std::shared_ptr<T>& owner, Fn fn) {
  return after(seconds, [weak = std::weak_ptr<T>(owner), fn = std::move(fn)]() mutable {
    if (auto strong = weak.lock()) fn(*strong);
  });
}

// Wraps a completion so that only its first call runs it; every copy shares
// the one flag.
inline std::function<void()> once(std::function<void()> fn) {
  auto slot = std::make_shared<std::function<void()>>(std::move(fn));
  return [slot] {
    if (!*slot) return;
    auto run = std::move(*slot);
    *slot = nullptr;
    run();
  };
}

}  // namespace velmar
