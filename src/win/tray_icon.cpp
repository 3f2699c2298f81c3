#include "tray_icon.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "popup_menu.h"

namespace win {
namespace {

constexpr UINT kIconId = 1;
constexpr UINT kCallbackMessage = WM_APP + 1;

}  // namespace

bool TrayIcon::NotifyWindow::Create() {
  WNDCLASSEXW wc{};
  return CreateNativeWindow(L"MiniKorvelTrayIcon", wc, WS_EX_TOOLWINDOW, L"", WS_POPUP, 0, 0, 0, 0,
                            nullptr);
}

LRESULT TrayIcon::NotifyWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    switch (LOWORD(lParam)) {
      case NIN_SELECT:
      case NIN_KEYSELECT:
        if (owner_.onClick) owner_.onClick();
        break;
      case WM_CONTEXTMENU:
        if (owner_.menu_) {
          POINT cursor{};
          GetCursorPos(&cursor);
          owner_.menu_->Popup(Handle(), cursor);
        }
        break;
      default:
        break;
    }
    return 0;
  }
  if (message == owner_.taskbarCreated_ && message != 0) {
    if (owner_.visible_) owner_.Add();
    return 0;
  }
  return BaseWindow::HandleMessage(message, wParam, lParam);
}

TrayIcon::TrayIcon() {
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  window_.Create();
}

TrayIcon::~TrayIcon() { Remove(); }

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_.Handle();
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_.get();
  const size_t length = std::min<size_t>(hint_.size(), ARRAYSIZE(data.szTip) - 1);
  std::copy_n(hint_.data(), length, data.szTip);
  return data;
}

void TrayIcon::Add() {
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  // After a recreated notification area the old entry is gone; a stale one is replaced.
  Shell_NotifyIconW(NIM_DELETE, &data);
  if (Shell_NotifyIconW(NIM_ADD, &data)) {
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
  }
}

void TrayIcon::Remove() {
  NOTIFYICONDATAW data = Data(0);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcon::SetIcon(UniqueIcon icon) {
  icon_ = std::move(icon);
  if (visible_) {
    NOTIFYICONDATAW data = Data(NIF_ICON);
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

void TrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    Add();
  } else {
    Remove();
  }
}

void TrayIcon::SetHint(std::wstring_view hint) {
  hint_ = hint;
  if (visible_) {
    NOTIFYICONDATAW data = Data(NIF_TIP | NIF_SHOWTIP);
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

}  // namespace win
