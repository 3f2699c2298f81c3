// Owned handles. A UniqueHandle closes what it holds when it goes; a raw handle (HWND, HMENU,
// ...) is always a borrowed one. Windows created by BaseWindow are owned by their object.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

struct MenuTraits {
  using Handle = HMENU;
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct IconTraits {
  using Handle = HICON;
  static void Close(HICON icon) { DestroyIcon(icon); }
};
template <class GdiHandle>
struct GdiTraits {
  using Handle = GdiHandle;
  static void Close(GdiHandle object) { DeleteObject(object); }
};
struct KernelTraits {
  using Handle = HANDLE;
  static void Close(HANDLE handle) { CloseHandle(handle); }
};

using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;

}  // namespace win
