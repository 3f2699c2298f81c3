// The program's icon in the notification area. It has a hidden top-level window of its own for
// the notifications (NOTIFYICON_VERSION_4) and for "TaskbarCreated", which the shell broadcasts
// to top-level windows when the notification area is recreated; a message-only window would
// never hear it. The icon is added again then, as long as it is meant to be visible.
#pragma once

#include <windows.h>

#include <shellapi.h>  // after windows.h

#include <functional>
#include <string>
#include <string_view>

#include "base_window.h"
#include "handles.h"

namespace win {

class PopupMenu;

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();  // removes the icon
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetIcon(UniqueIcon icon);
  // Adds the icon to the notification area, or removes it. A failure to add (no notification
  // area yet) is not reported: the icon comes when the area is created.
  void SetVisible(bool visible);
  bool Visible() const { return visible_; }
  // The tip; the notification area takes at most 127 characters of it.
  void SetHint(std::wstring_view hint);
  // Opened at the cursor by the right button.
  void SetPopupMenu(PopupMenu* menu) { menu_ = menu; }
  // A left-button click (or the keyboard's selection) on the icon.
  std::function<void()> onClick;

  HWND WindowHandle() const { return window_.Handle(); }

 private:
  class NotifyWindow : public BaseWindow {
   public:
    explicit NotifyWindow(TrayIcon& owner) : owner_(owner) {}
    bool Create();

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

   private:
    TrayIcon& owner_;
  };

  NOTIFYICONDATAW Data(UINT flags) const;
  void Add();
  void Remove();

  NotifyWindow window_{*this};
  UniqueIcon icon_;
  std::wstring hint_;
  PopupMenu* menu_ = nullptr;
  bool visible_ = false;
  UINT taskbarCreated_ = 0;
};

}  // namespace win
