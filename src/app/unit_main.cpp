#include "unit_main.h"

#include <float.h>

#include <algorithm>
#include <string>

#include "locale_time.h"
#include "single_instance.h"
#include "text.h"
#include "time_text.h"

TFormMain* FormMain = nullptr;
portal::AddressTable PortalAddresses;

namespace {

constexpr wchar_t kCaption[] = L"Lumivar迷你版";
constexpr int kClientWidth = 700;
constexpr int kClientHeight = 425;

// Detaches an input attachment however the code between attach and detach leaves.
class ThreadInputAttachment {
 public:
  ThreadInputAttachment(DWORD from, DWORD to) : from_(from), to_(to) {
    AttachThreadInput(from_, to_, TRUE);
  }
  ~ThreadInputAttachment() { AttachThreadInput(from_, to_, FALSE); }
  ThreadInputAttachment(const ThreadInputAttachment&) = delete;
  ThreadInputAttachment& operator=(const ThreadInputAttachment&) = delete;

 private:
  DWORD from_;
  DWORD to_;
};

}  // namespace

std::u16string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return win::Utf16(path);
    }
    path.resize(path.size() * 2);
  }
}

std::u16string BuildRefreshAddress() {
  return portal::BuildRefreshAddress(PortalAddresses.FrameAddress,
                                     win::ReadUserLongTimeFormat(), win::LocalTimeOfDay());
}

TFormMain::TFormMain(win::Application& application) : Form(application, L"TFormMain") {
  centerOnFirstShow_ = true;
}

void TFormMain::CreateParams(win::CreateParams& params) {
  Form::CreateParams(params);
  static_assert(sizeof params.winClassName == sizeof MainWindowClassName);
  std::copy_n(MainWindowClassName, win::kClassNameLength, params.winClassName);
}

void TFormMain::FormCreate() {
  // 1. Division by zero yields an infinity: the run-time's default with the zero-divide
  //    exception masked; nothing the run-time masks is unmasked.
  _controlfp(_controlfp(0, 0) | _EM_ZERODIVIDE, _MCW_EM);
  // 2. The portal addresses.
  portal::FillAddressTable(PortalAddresses, ExecutablePath());
  // 3. Size and caption.
  SetSize(kClientWidth, kClientHeight);
  SetClientSize(kClientWidth, kClientHeight);
  SetCaption(kCaption);
}

void TFormMain::FormCloseQuery(bool& canClose) {
  if (Showing()) {
    canClose = false;
    Hide();
  } else {
    canClose = true;
  }
}

void TFormMain::FormResize() {
  if (Showing()) SetFocus();
}

void TFormMain::RestoreRequest() {
  if (!Showing()) {
    SetWindowState(win::WindowState::Normal);
    Show();
    SetFocus();
    return;
  }
  if (IsIconic(application_.Handle())) {
    SetWindowState(win::WindowState::Normal);
    ShowWindow(Handle(), SW_RESTORE);
  }
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  ThreadInputAttachment attachment(foregroundThread, GetCurrentThreadId());
  SetForegroundWindow(Handle());
  SetFocus();
  SwitchToThisWindow(Handle(), TRUE);
}

void TFormMain::WMQueryEndSession() { application_.Terminate(); }

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RESTOREREQUEST:
      RestoreRequest();
      return 0;
    case WM_QUERYENDSESSION:
      WMQueryEndSession();
      // Ending is our answer: an answer of 0 would object to the user's log-off or shutdown.
      return TRUE;
    default:
      return Form::HandleMessage(message, wParam, lParam);
  }
}
