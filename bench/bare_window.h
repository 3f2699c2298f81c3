// The smallest host of the WebBrowser control: a plain top-level window, the control created
// with CoCreateInstance, in-place activated over the whole client area and sent to one address.
// Nothing of the program's own (no skin, menus, tray icon, search field): the yardstick the
// program's figures are compared with. The caller initialises OLE on its thread.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <oleidl.h>

#include <string>

namespace bench {

// The client site, in-place site and in-place frame in one object, as the control needs from
// its container to activate in place; it lives as long as the window.
class BareSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit BareSite(HWND window) : window_(window) {}

  // IUnknown; the object is owned by the window, the count is not used for its lifetime.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (shared by the site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                RECT* position, RECT* clip, OLEINPLACEFRAMEINFO* info) override {
    *frame = this;
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND window_;
};

// The window and its control. Create, Show, then Navigate; the control goes with the window.
class BareBrowserWindow {
 public:
  static constexpr wchar_t kClassName[] = L"MiniKorvelBenchBareBrowser";

  BareBrowserWindow() = default;
  ~BareBrowserWindow() {
    if (window_) DestroyWindow(window_);
  }
  BareBrowserWindow(const BareBrowserWindow&) = delete;
  BareBrowserWindow& operator=(const BareBrowserWindow&) = delete;

  // A captioned window whose client area is clientWidth x clientHeight, centred on the screen,
  // with the control filling it. False when the window or the control cannot be made.
  bool Create(int clientWidth, int clientHeight) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = CreateWindowExW(0, kClassName, L"Bare WebBrowser", style, x, y, width, height,
                              nullptr, nullptr, instance, this);
    if (!window_) return false;

    site_ = new BareSite(window_);
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object_)))) {
      return false;
    }
    object_->SetClientSite(site_);
    RECT client{};
    GetClientRect(window_, &client);
    object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, window_, &client);
    object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_));
    return browser_ != nullptr;
  }

  HWND Handle() const { return window_; }

  // Ends the thread's message loop when the window is destroyed.
  bool quitOnDestroy = false;

  void Navigate(const std::wstring& address) {
    if (!browser_) return;
    BSTR url = SysAllocString(address.c_str());
    VARIANT none;
    VariantInit(&none);
    browser_->Navigate(url, &none, &none, &none, &none);
    SysFreeString(url);
  }

  // The local page beside the program's folder, as the program's own first page:
  // <folder of this executable>\..\Res\loading.html.
  static std::wstring LocalPage() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.rfind(L'\\') + 1);
    return folder + L"..\\Res\\loading.html";
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<BareBrowserWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_DESTROY && self) {
      self->CloseControl();
      self->window_ = nullptr;
      if (self->quitOnDestroy) PostQuitMessage(0);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  void CloseControl() {
    if (browser_) browser_->Release();
    browser_ = nullptr;
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
      object_ = nullptr;
    }
    delete site_;
    site_ = nullptr;
  }

  HWND window_ = nullptr;
  BareSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

}  // namespace bench
