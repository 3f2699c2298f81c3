// Creation and teardown follow the documented order for an embedded OLE control:
//
//  create:  CoCreateInstance(CLSID_WebBrowser) -> IOleObject::SetClientSite (first: the
//           control has OLEMISC_SETCLIENTSITEFIRST and reads its host's settings from the site
//           while it initialises) -> IPersistStreamInit::InitNew -> SetHostNames ->
//           OleSetContainedObject(TRUE) -> Advise DWebBrowserEvents2 -> DoVerb(
//           OLEIVERB_INPLACEACTIVATE) in the hosting window -> first Navigate.
//  destroy: Unadvise (no event may reach a half-destroyed owner) -> InPlaceDeactivate ->
//           IOleObject::Close(OLECLOSE_NOSAVE) -> SetClientSite(nullptr) (breaks the cycle
//           control -> site -> control) -> release every interface -> detach and release the
//           site. This runs at the hosting window's WM_DESTROY, while the control's own
//           windows still exist below it, and always before OLE is uninitialised.
//
// The control lives in a child window of our own rather than directly in the form: the window
// is the tab stop that hands the focus on to the engine, and its destruction is the one moment
// at which the control must go, whoever destroys the form.
#include "web_browser.h"

#include <stdexcept>

namespace win {
namespace {

constexpr wchar_t kHostClass[] = L"MiniKorvelBrowserHost";

// An argument passed as omitted.
VARIANT Omitted() {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_ERROR;
  V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
  return value;
}

}  // namespace

bool WebBrowser::HostWindow::Create(HWND parent, int left, int top, int width, int height) {
  WNDCLASSEXW wc{};
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  return CreateNativeWindow(kHostClass, wc, WS_EX_CONTROLPARENT, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                            left, top, width, height, parent);
}

LRESULT WebBrowser::HostWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      owner_.Resize();
      return 0;
    case WM_SETFOCUS:
      owner_.Activate();
      return 0;
    case WM_DESTROY:
      owner_.Close();
      return 0;
    default:
      return BaseWindow::HandleMessage(message, wParam, lParam);
  }
}

WebBrowser::WebBrowser() = default;

WebBrowser::~WebBrowser() {
  Close();
  if (Application* application = Application::Current()) application->RemoveMessageFilter(*this);
}

void WebBrowser::Create(HWND parent, int left, int top, int width, int height) {
  if (!window_.Create(parent, left, top, width, height)) {
    throw std::runtime_error("The browser's window cannot be created");
  }
  const HWND host = window_.Handle();
  site_ = new BrowserSite(*this);
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(object_.put())))) {
    throw std::runtime_error("The WebBrowser control is not available");
  }
  object_->SetClientSite(site_);
  if (auto persist = object_.As<IPersistStreamInit>()) persist->InitNew();
  object_->SetHostNames(L"MiniKorvel", nullptr);
  OleSetContainedObject(object_.get(), TRUE);

  if (auto points = object_.As<IConnectionPointContainer>()) {
    if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, events_.put())) &&
        FAILED(events_->Advise(static_cast<IDispatch*>(site_), &eventsCookie_))) {
      events_.reset();
    }
  }

  RECT bounds{};
  GetClientRect(host, &bounds);
  object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, host, &bounds);
  inPlace_ = object_.As<IOleInPlaceObject>();
  activeObject_ = object_.As<IOleInPlaceActiveObject>();
  browser_ = object_.As<IWebBrowser2>();
  if (!browser_) throw std::runtime_error("The WebBrowser control has no IWebBrowser2");
  if (Application* application = Application::Current()) application->AddMessageFilter(*this);
}

void WebBrowser::Navigate(const std::u16string& address) {
  if (!browser_) return;
  BSTR url =
      SysAllocStringLen(reinterpret_cast<const OLECHAR*>(address.data()), UINT(address.size()));
  VARIANT flags = Omitted(), target = Omitted(), postData = Omitted(), headers = Omitted();
  // A navigation the engine rejects outright has no answer of ours: the result is not used.
  browser_->Navigate(url, &flags, &target, &postData, &headers);
  SysFreeString(url);
}

void WebBrowser::Activate() {
  if (!object_) return;
  // Hands the focus on to the engine's own window, UI-active.
  RECT bounds{};
  GetClientRect(window_.Handle(), &bounds);
  object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_, 0, window_.Handle(), &bounds);
}

void WebBrowser::Resize() {
  if (!inPlace_) return;
  RECT bounds{};
  GetClientRect(window_.Handle(), &bounds);
  inPlace_->SetObjectRects(&bounds, &bounds);
}

void WebBrowser::SitePositionChanged(const RECT&) { Resize(); }

void WebBrowser::SiteDocumentComplete(const std::u16string& url) {
  if (onDocumentComplete) onDocumentComplete(url);
}

void WebBrowser::SiteNavigateError() {
  if (onNavigateError) onNavigateError();
}

void WebBrowser::SiteNewWindow(const std::u16string& url, bool& cancel) {
  if (onNewWindow3) onNewWindow3(url, cancel);
}

bool WebBrowser::PreTranslateMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !activeObject_) return false;
  const HWND host = window_.Handle();
  if (!host || (msg.hwnd != host && !IsChild(host, msg.hwnd))) return false;
  if (IsBlockedBrowserKeyMessage(msg)) return true;  // swallowed: the engine never sees it
  return activeObject_->TranslateAccelerator(&msg) == S_OK;
}

void WebBrowser::Close() {
  if (!site_) return;
  if (events_) {
    events_->Unadvise(eventsCookie_);
    events_.reset();
  }
  if (inPlace_) inPlace_->InPlaceDeactivate();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  browser_.reset();
  activeObject_.reset();
  inPlace_.reset();
  object_.reset();
  site_->Detach();
  site_->Release();
  site_ = nullptr;
}

}  // namespace win
