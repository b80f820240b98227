// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <glib-object.h>

#include <utility>

namespace velmar {

// A strong reference to a GObject: unrefs when it goes, refs when copied.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}

  // Takes over a reference the caller already owns (a "transfer full" return).
  static Ref adopt(T* object) {
    Ref r;
    r.p_ = object;
    return r;
  }
  // Adds a reference of our own (a "transfer none" return, a signal argument).
  static Ref retain(T* object) {
    Ref r;
    r.p_ = object;
    if (object) g_object_ref(object);
    return r;
  }

  Ref(const Ref& other) : p_(other.p_) {
    if (p_) g_object_ref(p_);
  }
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Ref() {
    if (p_) g_object_unref(p_);
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* release() { return std::exchange(p_, nullptr); }
  void reset() { *this = Ref(); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, const T* b) { return a.p_ == b; }

 private:
  T* p_ = nullptr;
};

// A weak reference to a GObject: reads as null once the object is finalized.
template <class T>
class WeakRef {
 public:
  WeakRef() { g_weak_ref_init(&ref_, nullptr); }
  explicit WeakRef(T* object) { g_weak_ref_init(&ref_, object); }
  WeakRef(const WeakRef& other) : WeakRef(other.lock().get()) {}
  WeakRef& operator=(const WeakRef& other) {
    if (this != &other) set(other.lock().get());
    return *this;
  }
  ~WeakRef() { g_weak_ref_clear(&ref_); }

  void set(T* object) { g_weak_ref_set(&ref_, object); }
  // A strong reference for as long as the caller needs it, or null.
  Ref<T> lock() const { return Ref<T>::adopt(static_cast<T*>(g_weak_ref_get(const_cast<GWeakRef*>(&ref_)))); }
  // Whether this refers to exactly that object, without taking a reference.
  bool is(const void* object) const {
    auto strong = lock();
    return object != nullptr && strong.get() == object;
  }

 private:
  GWeakRef ref_;
};

}  // namespace velmar
