#include "browser_site.h"

#include <exdispid.h>

#include <exception>
#include <optional>

#include "application.h"
#include "page_flow.h"

namespace win {
namespace {

// {F38BC242-B950-11D1-8918-00C04FC2C836}: the command group in which the engine asks its host
// what to do about a page's script error.
constexpr GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

std::u16string FromBstr(BSTR text) {
  if (!text) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

// The text of an event argument as the engine passes it: a string, a string by reference, or
// a variant by reference holding either (or anything that converts to a string).
std::optional<std::u16string> TextOf(const VARIANT& argument) {
  const VARIANT* value = &argument;
  if (V_VT(value) == (VT_BYREF | VT_VARIANT)) {
    value = V_VARIANTREF(value);
    if (!value) return std::nullopt;
  }
  if (V_VT(value) == VT_BSTR) return FromBstr(V_BSTR(value));
  if (V_VT(value) == (VT_BYREF | VT_BSTR)) {
    if (!V_BSTRREF(value)) return std::nullopt;
    return FromBstr(*V_BSTRREF(value));
  }
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BSTR))) {
    return std::nullopt;
  }
  std::u16string text = FromBstr(V_BSTR(&converted));
  VariantClear(&converted);
  return text;
}

template <class Interface>
HRESULT Give(Interface* object, void** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}

}  // namespace

bool IsBlockedBrowserKeyMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  return portal::IsBlockedBrowserKey(unsigned(msg.wParam), GetKeyState(VK_CONTROL) < 0,
                                     GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0);
}

BrowserSite::BrowserSite(BrowserSiteOwner& owner) : owner_(&owner) {}

// IUnknown ---------------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    return Give(static_cast<IOleClientSite*>(this), object);
  }
  if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    return Give(static_cast<IOleInPlaceSite*>(this), object);
  }
  if (iid == IID_IDocHostUIHandler) return Give(static_cast<IDocHostUIHandler*>(this), object);
  if (iid == IID_IOleCommandTarget) return Give(static_cast<IOleCommandTarget*>(this), object);
  if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
    return Give(static_cast<IDispatch*>(this), object);
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) BrowserSite::AddRef() { return ULONG(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) BrowserSite::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return ULONG(left);
}

// IOleClientSite ---------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP BrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleInPlaceSite --------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = owner_ ? owner_->SiteWindow() : nullptr;
  return *window ? S_OK : E_FAIL;
}

STDMETHODIMP BrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::CanInPlaceActivate() { return owner_ ? S_OK : S_FALSE; }
STDMETHODIMP BrowserSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP BrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip,
                                           LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
  *document = nullptr;
  *frame = nullptr;
  const HWND window = owner_ ? owner_->SiteWindow() : nullptr;
  if (!window) return E_FAIL;
  Give(static_cast<IOleInPlaceFrame*>(&frame_), reinterpret_cast<void**>(frame));
  GetClientRect(window, position);
  *clip = *position;
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = GetAncestor(window, GA_ROOT);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP BrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP BrowserSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP BrowserSite::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  if (owner_) owner_->SitePositionChanged(*position);
  return S_OK;
}

// IDocHostUIHandler ------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return S_FALSE;  // the engine's own menu
}

STDMETHODIMP BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  if (info->cbSize < sizeof *info) return E_INVALIDARG;
  info->dwFlags = kHostUiFlags;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

STDMETHODIMP BrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                 IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return S_OK;  // the host has no menus or toolbars to merge
}

STDMETHODIMP BrowserSite::HideUI() { return S_OK; }
STDMETHODIMP BrowserSite::UpdateUI() { return S_OK; }
STDMETHODIMP BrowserSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG msg, const GUID*, DWORD) {
  // The engine asks before it acts on a key: S_OK keeps the key from it.
  return msg && IsBlockedBrowserKeyMessage(*msg) ? S_OK : S_FALSE;
}

STDMETHODIMP BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target) *target = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated) *translated = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) {
  if (filtered) *filtered = nullptr;
  return S_FALSE;
}

// IOleCommandTarget ------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                                      OLECMDTEXT*) {
  if (!group || *group != kDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
  if (!commands) return E_POINTER;
  for (ULONG i = 0; i < count; ++i) {
    commands[i].cmdf =
        commands[i].cmdID == OLECMDID_SHOWSCRIPTERROR ? OLECMDF_SUPPORTED | OLECMDF_ENABLED : 0;
  }
  return S_OK;
}

STDMETHODIMP BrowserSite::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) {
  if (!group || *group != kDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
  if (command != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
  // A page's script error: no dialog, and the page's scripts go on running.
  if (out) {
    VariantClear(out);
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = VARIANT_TRUE;
  }
  return S_OK;
}

// IDispatch --------------------------------------------------------------------------------------

STDMETHODIMP BrowserSite::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP BrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT*, EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_METHOD) || !params) return DISP_E_MEMBERNOTFOUND;
  // No exception may unwind into the engine: a failure of a handler is reported like any other
  // and the engine is told the event was delivered.
  try {
    return HandleEvent(member, *params);
  } catch (const std::exception& failure) {
    Application::ShowException(failure.what());
  } catch (...) {
    Application::ShowException("Unknown failure");
  }
  return S_OK;
}

// The arguments of an event arrive last first: rgvarg[0] is the event's final parameter.
HRESULT BrowserSite::HandleEvent(DISPID member, const DISPPARAMS& params) {
  switch (member) {
    case DISPID_DOCUMENTCOMPLETE:  // (pDisp, URL)
      if (owner_ && params.cArgs == 2) {
        owner_->SiteDocumentComplete(TextOf(params.rgvarg[0]).value_or(std::u16string()));
      }
      return S_OK;
    case DISPID_NAVIGATEERROR:  // (pDisp, URL, Frame, StatusCode, Cancel): none is read
      if (owner_) owner_->SiteNavigateError();
      return S_OK;
    case DISPID_NEWWINDOW3: {  // (ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl)
      if (!owner_ || params.cArgs != 5) return S_OK;
      VARIANT& cancelArgument = params.rgvarg[3];
      if (V_VT(&cancelArgument) != (VT_BYREF | VT_BOOL) || !V_BOOLREF(&cancelArgument)) {
        return S_OK;  // without a way to cancel, the request is not ours to answer
      }
      const std::optional<std::u16string> url = TextOf(params.rgvarg[0]);
      if (!url) return S_OK;
      bool cancel = *V_BOOLREF(&cancelArgument) != VARIANT_FALSE;
      owner_->SiteNewWindow(*url, cancel);
      *V_BOOLREF(&cancelArgument) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// The in-place frame -----------------------------------------------------------------------------

STDMETHODIMP BrowserSite::Frame::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
      iid == IID_IOleInPlaceFrame) {
    return Give(static_cast<IOleInPlaceFrame*>(this), object);
  }
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::Frame::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  const HWND site = site_.owner_ ? site_.owner_->SiteWindow() : nullptr;
  *window = site ? GetAncestor(site, GA_ROOT) : nullptr;
  return *window ? S_OK : E_FAIL;
}

}  // namespace win
