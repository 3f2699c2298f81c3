// The embedded WebBrowser control (Internet Explorer engine) behind a small interface: the
// owner navigates and hears of completed documents, navigation errors and new-window requests;
// everything COM stays in here.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <oleidl.h>

#include <functional>
#include <string>

#include "application.h"
#include "base_window.h"
#include "browser_site.h"
#include "com_ptr.h"

namespace win {

class WebBrowser : private BrowserSiteOwner, private MessageFilter {
 public:
  WebBrowser();
  ~WebBrowser();
  WebBrowser(const WebBrowser&) = delete;
  WebBrowser& operator=(const WebBrowser&) = delete;

  // Creates the hosting child window at the given place in `parent` and the control in it,
  // in-place active, without border or scroll bars. Throws std::runtime_error when either
  // cannot be created.
  void Create(HWND parent, int left, int top, int width, int height);

  // A plain navigation of the whole browser: no flags, target frame, posted data or headers.
  // Returns at once; what follows arrives as events.
  void Navigate(const std::u16string& address);

  // The hosting window (a tab stop among the parent's controls).
  HWND Handle() const { return window_.Handle(); }

  // The control itself, for tests that play the engine's part against the host.
  IUnknown* ControlObject() const { return object_.get(); }

  std::function<void(const std::u16string& url)> onDocumentComplete;
  std::function<void()> onNavigateError;
  // Set cancel to keep the engine from opening a window of its own.
  std::function<void(const std::u16string& url, bool& cancel)> onNewWindow3;

 private:
  class HostWindow : public BaseWindow {
   public:
    explicit HostWindow(WebBrowser& owner) : owner_(owner) {}
    bool Create(HWND parent, int left, int top, int width, int height);

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

   private:
    WebBrowser& owner_;
  };

  // BrowserSiteOwner
  HWND SiteWindow() const override { return window_.Handle(); }
  void SitePositionChanged(const RECT& position) override;
  void SiteDocumentComplete(const std::u16string& url) override;
  void SiteNavigateError() override;
  void SiteNewWindow(const std::u16string& url, bool& cancel) override;

  // MessageFilter: keys for the browser's windows go to the engine first, Ctrl+N excepted.
  bool PreTranslateMessage(MSG& msg) override;

  void Activate();
  void Resize();
  void Close();

  HostWindow window_{*this};
  BrowserSite* site_ = nullptr;  // one reference, ours
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObject> inPlace_;
  ComPtr<IOleInPlaceActiveObject> activeObject_;
  ComPtr<IWebBrowser2> browser_;
  ComPtr<IConnectionPoint> events_;
  DWORD eventsCookie_ = 0;
};

}  // namespace win
