// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/gobject_ptr.h"

#include <webkit/webkit.h>

#include <functional>
#include <memory>

namespace velmar {

// What a web view's user content manager holds for the "casino" handler: the
// web host weakly, so a web view never keeps the web host alive, and the one
// web view the manager belongs to, which identifies the sender.
template <class Target>
class WeakHandler {
 public:
  using Receive = void (Target::*)(WebKitWebView* sender, JSCValue* body);

  WeakHandler(std::weak_ptr<Target> target, WebKitWebView* view, Receive receive)
      : target_(std::move(target)), view_(view), receive_(receive) {}

  // Hands the message on when the web host still exists; otherwise drops it.
  void forward(JSCValue* body) const {
    auto target = target_.lock();
    if (!target) return;
    auto view = view_.lock();
    (target.get()->*receive_)(view.get(), body);
  }

 private:
  std::weak_ptr<Target> target_;
  WeakRef<WebKitWebView> view_;
  Receive receive_;
};

}  // namespace velmar
