#include "application.h"

#include <ole2.h>

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

void Application::Initialize() {
  if (SUCCEEDED(OleInitialize(nullptr))) ++oleInits_;
}

void Application::RegisterForm(Form& form) {
  if (!mainForm_) mainForm_ = &form;
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
