#include "form.h"

#include <algorithm>
#include <stdexcept>

#include "application.h"

namespace win {

Form::Form(Application& application, std::wstring_view className)
    : application_(application), className_(className) {}

void Form::CreateParams(win::CreateParams& params) {
  const size_t n = std::min<size_t>(className_.size(), kClassNameLength - 1);
  std::copy_n(className_.data(), n, params.winClassName);
  params.windowClass.style = CS_DBLCLKS;
  params.windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  params.windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

Form::~Form() { application_.UnregisterForm(*this); }

void Form::CreateHandle() {
  win::CreateParams params;
  CreateParams(params);
  // The class name field always ends in at least one zero.
  params.winClassName[kClassNameLength - 1] = L'\0';
  if (!CreateNativeWindow(params.winClassName, params.windowClass, params.exStyle,
                          params.caption.c_str(), params.style & ~WS_VISIBLE, params.x, params.y,
                          params.width, params.height, params.owner)) {
    throw std::runtime_error("The window could not be created");
  }
  application_.RegisterForm(*this);
  try {
    FormCreate();
  } catch (const std::exception& failure) {
    Application::ShowException(failure.what());
  }
}

bool Form::Visible() const { return Handle() && IsWindowVisible(Handle()); }

void Form::Show() {
  if (centerOnFirstShow_) {
    centerOnFirstShow_ = false;
    CenterOnScreen();
  }
  int command = SW_SHOW;
  if (hasPendingState_) {
    switch (pendingState_) {
      case WindowState::Normal:
        command = SW_SHOWNORMAL;
        break;
      case WindowState::Minimized:
        command = SW_SHOWMINNOACTIVE;
        break;
      case WindowState::Maximized:
        command = SW_SHOWMAXIMIZED;
        break;
    }
    hasPendingState_ = false;
  }
  ShowWindow(Handle(), command);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::Hide() { ShowWindow(Handle(), SW_HIDE); }

void Form::SetFocus() {
  if (!Visible() || !IsWindowEnabled(Handle())) {
    throw std::runtime_error("Cannot focus a disabled or invisible window");
  }
  if (GetActiveWindow() == Handle()) return;
  ::SetFocus(activeControl_ && IsWindow(activeControl_) ? activeControl_ : Handle());
}

WindowState Form::GetWindowState() const {
  if (!Visible() && hasPendingState_) return pendingState_;
  if (IsIconic(Handle())) return WindowState::Minimized;
  if (IsZoomed(Handle())) return WindowState::Maximized;
  return WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
  if (!Visible()) {
    hasPendingState_ = true;
    pendingState_ = state;
    return;
  }
  if (state == GetWindowState()) return;
  switch (state) {
    case WindowState::Normal:
      ShowWindow(Handle(), SW_SHOWNORMAL);
      break;
    case WindowState::Minimized:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case WindowState::Maximized:
      ShowWindow(Handle(), SW_SHOWMAXIMIZED);
      break;
  }
}

void Form::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(Handle(), nullptr, left, top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Form::SetSize(int width, int height) {
  SetWindowPos(Handle(), nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Form::SetClientSize(int width, int height) {
  RECT window{}, client{};
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  // Whatever the frame measures now (the system's or a skin's) is kept around the new client.
  SetSize(width + (window.right - window.left) - client.right,
          height + (window.bottom - window.top) - client.bottom);
}

void Form::SetCaption(std::wstring_view caption) {
  SetWindowTextW(Handle(), std::wstring(caption).c_str());
}

std::wstring Form::Caption() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), int(text.size()))));
  return text;
}

void Form::CenterOnScreen() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  HMONITOR monitor = MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  const RECT& work = info.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetBounds(work.left + ((work.right - work.left) - width) / 2,
            work.top + ((work.bottom - work.top) - height) / 2, width, height);
}

void Form::Close() {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (!canClose) return;
  if (application_.MainForm() == this) {
    application_.Terminate();
  } else {
    Hide();
  }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; hook_ && hook_->HookMessage(message, wParam, lParam, result)) {
    return result;
  }
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SIZE:
      FormResize();
      break;
    default:
      break;
  }
  return BaseWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace win
