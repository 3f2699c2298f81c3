#include "base_window.h"

#include <exception>

#include "application.h"

namespace win {

BaseWindow::~BaseWindow() {
  if (hwnd_) {
    // Detach first so that the messages of the destruction no longer reach a half-destroyed
    // object.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

bool BaseWindow::CreateNativeWindow(const wchar_t* className, const WNDCLASSEXW& classTemplate,
                                    DWORD exStyle, const wchar_t* caption, DWORD style, int x,
                                    int y, int width, int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc = classTemplate;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &BaseWindow::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, owner, nullptr,
                         instance, this) != nullptr;
}

LRESULT BaseWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK BaseWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  BaseWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<BaseWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  // No exception may unwind through the system's frames: a failure inside a handler is
  // reported in the standard error box and the message counts as handled, with result 0.
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& failure) {
    Application::ShowException(failure.what());
  } catch (...) {
    Application::ShowException("Unknown failure");
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace win
