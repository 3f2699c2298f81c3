// One window base for every window of the program. The static window procedure stores the
// object's address at WM_NCCREATE and hands each later message to the object's HandleMessage.
// The object owns its window: destroying the object destroys the window.
#pragma once

#include <windows.h>

namespace win {

class BaseWindow {
 public:
  BaseWindow() = default;
  virtual ~BaseWindow();
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;

  HWND Handle() const { return hwnd_; }

 protected:
  // Registers `className` once per process (later calls reuse the class) and creates the window
  // with this object as its creation parameter. Returns false when either step fails.
  bool CreateNativeWindow(const wchar_t* className, const WNDCLASSEXW& classTemplate, DWORD exStyle,
                          const wchar_t* caption, DWORD style, int x, int y, int width, int height,
                          HWND owner);

  // Handles one message; the default passes it to DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

}  // namespace win
