// The container side of the embedded WebBrowser control: one COM object that the control sees
// as its client site, in-place site, document host UI handler, command target and the sink of
// its DWebBrowserEvents2, plus the in-place frame it asks for. The object is reference-counted
// by the control; the WebBrowser that made it detaches itself before it goes, so a call that
// arrives late finds no owner and does nothing.
#pragma once

#include <windows.h>

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <string>

#include "inplace_frame.h"

namespace win {

// What the site needs from the WebBrowser that owns it.
class BrowserSiteOwner {
 public:
  virtual HWND SiteWindow() const = 0;
  virtual void SitePositionChanged(const RECT& position) = 0;
  virtual void SiteDocumentComplete(const std::u16string& url) = 0;
  virtual void SiteNavigateError() = 0;
  virtual void SiteNewWindow(const std::u16string& url, bool& cancel) = 0;

 protected:
  ~BrowserSiteOwner() = default;
};

// The user-interface flags the host gives the engine: no 3-D border, no scroll bars, forms
// auto-completion, themed page controls.
inline constexpr DWORD kHostUiFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO |
                                      DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE | DOCHOSTUIFLAG_THEME;

// Whether a keyboard message is one the engine must never act on (Ctrl+N), read with the key
// state of the moment.
bool IsBlockedBrowserKeyMessage(const MSG& msg);

class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IDocHostUIHandler,
                          public IOleCommandTarget,
                          public IDispatch {
 public:
  // Starts with one reference, the caller's.
  explicit BrowserSite(BrowserSiteOwner& owner);
  void Detach() { owner_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow, IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override;
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE) override;
  STDMETHODIMP OnUIDeactivate(BOOL) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(BOOL) override;
  STDMETHODIMP OnDocWindowActivate(BOOL) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override;
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** filtered) override;

  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                           OLECMDTEXT* text) override;
  STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                    VARIANT* out) override;

  // IDispatch: the DWebBrowserEvents2 sink.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override;

 private:
  // The in-place frame the control asks for: the top-level window around the site's window.
  class Frame final : public ToolFreeInPlaceFrame {
   public:
    explicit Frame(BrowserSite& site) : site_(site) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return site_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return site_.Release(); }
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

   private:
    BrowserSite& site_;
  };

  ~BrowserSite() = default;
  HRESULT HandleEvent(DISPID member, const DISPPARAMS& params);

  LONG references_ = 1;
  BrowserSiteOwner* owner_;
  Frame frame_{*this};
};

}  // namespace win
