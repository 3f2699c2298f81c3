// A top-level form: a window with a creation-parameter step, a creation handler that runs while
// the window is still invisible, a close query, and the show, hide, focus and window-state
// operations the program's handlers are written in.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base_window.h"

namespace win {

class Application;

// Sees a form's messages before the form does: the skin takes its frame's messages this way.
class MessageHook {
 public:
  // True when the message is dealt with; `result` is then the window procedure's answer.
  virtual bool HookMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 protected:
  ~MessageHook() = default;
};

enum class WindowState { Normal, Minimized, Maximized };

inline constexpr int kClassNameLength = 64;

// What the native window is created from. CreateParams may change any of it.
struct CreateParams {
  std::wstring caption;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  DWORD exStyle = 0;
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  int width = 320;
  int height = 240;
  HWND owner = nullptr;
  wchar_t winClassName[kClassNameLength] = {};
  WNDCLASSEXW windowClass{};
};

class Form : public BaseWindow {
 public:
  Form(Application& application, std::wstring_view className);
  ~Form() override;

  // Creates the native window (invisible) and then runs FormCreate. A failure inside
  // FormCreate is reported in the standard error box; the window exists all the same.
  // Throws std::runtime_error when the window itself cannot be created.
  void CreateHandle();

  bool Visible() const;
  // True while the window is on screen, minimised included.
  bool Showing() const { return Visible(); }
  // Makes the window visible in its window state and brings it to the top of the z-order.
  void Show();
  void Hide();
  // Gives the keyboard focus to the active control, or to the window when it has none, unless
  // the window is already the active one. Throws on an invisible or disabled window.
  void SetFocus();

  WindowState GetWindowState() const;
  void SetWindowState(WindowState state);

  void SetBounds(int left, int top, int width, int height);
  void SetSize(int width, int height);
  void SetClientSize(int width, int height);
  void SetCaption(std::wstring_view caption);
  std::wstring Caption() const;
  void CenterOnScreen();

  // The hook sees every later message first (one hook per form; nullptr removes it).
  void SetMessageHook(MessageHook* hook) { hook_ = hook; }

  // A close request: the close query decides; the main form's close ends the program, any
  // other form's close hides it.
  void Close();

 protected:
  virtual void CreateParams(win::CreateParams& params);
  virtual void FormCreate() {}
  virtual void FormCloseQuery(bool& /*canClose*/) {}
  virtual void FormResize() {}

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  Application& application_;
  HWND activeControl_ = nullptr;
  // Centre the window on the screen's work area when it is first shown.
  bool centerOnFirstShow_ = false;

 private:
  std::wstring className_;
  MessageHook* hook_ = nullptr;
  // A window state set while hidden, applied by the next Show.
  bool hasPendingState_ = false;
  WindowState pendingState_ = WindowState::Normal;
};

}  // namespace win
