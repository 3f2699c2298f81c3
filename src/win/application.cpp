#include "application.h"

#include <ole2.h>

#include <algorithm>
#include <string>

#include "form.h"

namespace win {
namespace {

Application* g_instance = nullptr;

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

bool Application::HiddenWindow::Create() {
  WNDCLASSEXW wc{};
  return CreateNativeWindow(L"MiniKorvelApplication", wc, WS_EX_TOOLWINDOW, L"MiniKorvel", WS_POPUP,
                            0, 0, 0, 0, nullptr);
}

Application::Application() {
  g_instance = this;
  // The user-interface thread is a single-threaded apartment with OLE (drag and drop,
  // clipboard, in-place activation) for the controls hosted in the windows.
  if (SUCCEEDED(OleInitialize(nullptr))) ++oleInits_;
  window_.Create();
}

Application::~Application() {
  // The forms are gone by now: their owners destroy them before the application object.
  while (oleInits_-- > 0) OleUninitialize();
  if (g_instance == this) g_instance = nullptr;
}

Application& Application::Instance() { return *g_instance; }
Application* Application::Current() { return g_instance; }

void Application::Initialize() {
  if (SUCCEEDED(OleInitialize(nullptr))) ++oleInits_;
}

void Application::RegisterForm(Form& form) {
  if (!mainForm_) mainForm_ = &form;
  forms_.push_back(&form);
}

void Application::UnregisterForm(Form& form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
  if (mainForm_ == &form) mainForm_ = nullptr;
}

void Application::AddMessageFilter(MessageFilter& filter) {
  if (std::find(filters_.begin(), filters_.end(), &filter) == filters_.end()) {
    filters_.push_back(&filter);
  }
}

void Application::RemoveMessageFilter(MessageFilter& filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), &filter), filters_.end());
}

bool Application::PreTranslateMessage(MSG& msg) {
  for (MessageFilter* filter : filters_) {
    if (filter->PreTranslateMessage(msg)) return true;
  }
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !msg.hwnd) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  const HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  const bool ours = std::any_of(forms_.begin(), forms_.end(),
                                [top](Form* form) { return form->Handle() == top; });
  if (!ours) return false;
  // The control holding the focus, as a direct child of the form.
  HWND current = GetFocus();
  while (current && GetParent(current) != top) current = GetParent(current);
  const HWND next = GetNextDlgTabItem(top, current, GetKeyState(VK_SHIFT) < 0);
  if (!next) return false;
  ::SetFocus(next);
  if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    SendMessageW(next, EM_SETSEL, 0, -1);
  }
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    if (PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int Application::Run(int showCommand) {
  if (mainForm_ && !terminated_) {
    if (showCommand == SW_SHOWMAXIMIZED) {
      mainForm_->SetWindowState(WindowState::Maximized);
    } else if (showCommand == SW_SHOWMINNOACTIVE) {
      mainForm_->SetWindowState(WindowState::Minimized);
    }
    mainForm_->Show();
  }
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void Application::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

void Application::ShowException(std::string_view message) {
  HWND owner = nullptr;
  if (g_instance && g_instance->mainForm_) owner = g_instance->mainForm_->Handle();
  MessageBoxW(owner, FromUtf8(message).c_str(), L"MiniKorvel", MB_OK | MB_ICONERROR);
}

}  // namespace win
