// A stand-in for the banner's movie player, for tests only: an in-process ActiveX control
// registered under the player's class identifier in the test prefix, so that the program's
// own host code creates and activates it windowless. It records what it is asked and draws a
// known half-transparent colour.
#include <windows.h>

#include <ocidl.h>

#include <cwchar>

#include "fake_player.h"

namespace {

FakePlayerRecord g_record{};
LONG g_objects = 0;

constexpr DISPID kWMode = 1, kMovie = 2, kLoadMovie = 3, kPlay = 4, kFlashVersion = 5;

class FakePlayer final : public IOleObject,
                         public IOleInPlaceObjectWindowless,
                         public IViewObject,
                         public IDispatch,
                         public IPersistStreamInit {
 public:
  FakePlayer() {
    InterlockedIncrement(&g_objects);
    ++g_record.created;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject ||
               iid == IID_IOleInPlaceObjectWindowless) {
      *object = static_cast<IOleInPlaceObjectWindowless*>(this);
    } else if (iid == IID_IViewObject) {
      *object = static_cast<IViewObject*>(this);
    } else if (iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
      *object = static_cast<IPersistStreamInit*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      if (site_) site_->Release();
      InterlockedDecrement(&g_objects);
      delete this;
    }
    return ULONG(left);
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    if (site_) site_->Release();
    site_ = site;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    ++g_record.closed;
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    if (verb != OLEIVERB_INPLACEACTIVATE || !site_) return E_NOTIMPL;
    IOleInPlaceSiteWindowless* windowless = nullptr;
    if (SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                        reinterpret_cast<void**>(&windowless)))) {
      if (windowless->CanWindowlessActivate() == S_OK) {
        BOOL noRedraw = FALSE;
        windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        g_record.activatedWindowless = 1;
        g_record.wmodeSetBeforeActivation = g_record.wmode[0] != 0;
      }
      windowless->Release();
    }
    return S_OK;
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (status) *status = 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
  STDMETHODIMP GetWindow(HWND*) override { return E_FAIL; }  // windowless
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
    ++g_record.setObjectRectsCalls;
    if (position) g_record.objectRect = *position;
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
    ++g_record.windowMessages;
    if (result) *result = 0;
    return S_OK;
  }
  STDMETHODIMP GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }

  // IViewObject: a half-transparent blue over whatever lies below.
  STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (!dc || !bounds) return E_POINTER;
    ++g_record.draws;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP pixel = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    static_cast<BYTE*>(bits)[0] = 128;  // blue, premultiplied by alpha 128
    static_cast<BYTE*>(bits)[1] = 0;
    static_cast<BYTE*>(bits)[2] = 0;
    static_cast<BYTE*>(bits)[3] = 128;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, pixel);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, bounds->left, bounds->top, bounds->right - bounds->left,
                  bounds->bottom - bounds->top, source, 0, 0, 1, 1, blend);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(pixel);
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

  // IDispatch: the members of the player the host uses.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return DISP_E_UNKNOWNNAME;
    const struct {
      const wchar_t* name;
      DISPID id;
    } members[] = {{L"WMode", kWMode},
                   {L"Movie", kMovie},
                   {L"LoadMovie", kLoadMovie},
                   {L"Play", kPlay},
                   {L"FlashVersion", kFlashVersion}};
    for (const auto& member : members) {
      if (_wcsicmp(names[0], member.name) == 0) {
        ids[0] = member.id;
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    switch (id) {
      case kWMode:
        if (params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_BSTR) {
          wcsncpy(g_record.wmode, V_BSTR(&params->rgvarg[0]), 31);
        }
        return S_OK;
      case kLoadMovie:  // (layer, url), last first
        if (params->cArgs == 2) {
          ++g_record.loadMovieCalls;
          g_record.loadMovieLayer = V_I4(&params->rgvarg[1]);
          wcsncpy(g_record.movie, V_BSTR(&params->rgvarg[0]), 511);
        }
        return S_OK;
      case kPlay:
        ++g_record.playCalls;
        return S_OK;
      case kFlashVersion:
        if (result) {
          V_VT(result) = VT_I4;
          V_I4(result) = g_record.reportedMajorVersion << 16;
        }
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  // IPersistStreamInit: a movie handed over as data.
  STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM stream) override {
    ++g_record.streamLoads;
    unsigned header[2] = {};
    ULONG read = 0;
    stream->Read(header, sizeof header, &read);
    g_record.streamTag = header[0];
    g_record.streamLength = header[1];
    char buffer[4096];
    unsigned total = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) total += read;
    g_record.streamBytesRead = total;
    return S_OK;
  }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override { return S_OK; }

 private:
  ~FakePlayer() = default;
  LONG references_ = 1;
  IOleClientSite* site_ = nullptr;
};

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* player = new FakePlayer;
    const HRESULT hr = player->QueryInterface(iid, object);
    player->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID, REFIID iid, void** object) {
  return g_factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_objects == 0 ? S_OK : S_FALSE;
}

extern "C" __declspec(dllexport) FakePlayerRecord* FakePlayerRecordOf() { return &g_record; }
