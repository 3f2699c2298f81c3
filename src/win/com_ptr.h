// An owned COM interface pointer: one reference, released when the owner goes. A raw interface
// pointer is always a borrowed one.
#pragma once

#include <objbase.h>

#include <utility>

namespace win {

template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  // Takes over a reference the caller already holds.
  static ComPtr Adopt(Interface* pointer) {
    ComPtr owned;
    owned.pointer_ = pointer;
    return owned;
  }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For out-parameters: releases what is held and hands out the slot.
  Interface** put() {
    reset();
    return &pointer_;
  }
  void reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

  // Another interface of the same object, or an empty pointer.
  template <class Other>
  ComPtr<Other> As() const {
    ComPtr<Other> other;
    if (pointer_) pointer_->QueryInterface(__uuidof(Other), reinterpret_cast<void**>(other.put()));
    return other;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace win
