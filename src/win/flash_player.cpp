#include "flash_player.h"

#include <ocidl.h>
#include <urlmon.h>

#include <vector>

#include "inplace_frame.h"

namespace win {
namespace {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
constexpr CLSID kShockwaveFlash = {
    0xd27cdb6e, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// A movie handed to the player as data: this tag, the length, then the movie's bytes.
constexpr std::uint32_t kMovieDataTag = 0x55665566;  // "fUfU"
constexpr std::size_t kLargestMovie = 16 << 20;

// Calls a member of the player's dispatch interface by name. `lastFirst` holds the arguments
// in the dispatch order: the last one first.
HRESULT CallByName(IDispatch* dispatch, const wchar_t* name, WORD flags,
                   std::vector<VARIANT> lastFirst, VARIANT* result) {
  if (!dispatch) return E_POINTER;
  DISPID member = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
  if (FAILED(hr)) return hr;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{lastFirst.data(), nullptr, UINT(lastFirst.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  hr = dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                        nullptr);
  for (VARIANT& v : lastFirst) VariantClear(&v);
  return hr;
}

VARIANT Text(const std::u16string& text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
  return v;
}

VARIANT Integer(int value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

}  // namespace

// The control's site: client site and windowless in-place site, and the in-place frame.
class FlashPlayer::Site final : public IOleClientSite,
                                public IOleInPlaceSiteWindowless,
                                public ToolFreeInPlaceFrame {
 public:
  explicit Site(FlashPlayer& owner) : owner_(&owner) {}
  void Detach() { owner_ = nullptr; }
  bool Captured() const { return captured_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite ||
               iid == IID_IOleInPlaceSiteEx || iid == IID_IOleInPlaceSiteWindowless) {
      *object = static_cast<IOleInPlaceSiteWindowless*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
    if (m) *m = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for the site and the frame alike: the form)
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = owner_ ? owner_->window_ : nullptr;
    return *window ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return owner_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info || !owner_) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    *position = owner_->bounds_;
    GetClientRect(owner_->window_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = owner_->window_;
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

  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override {
    if (noRedraw) *noRedraw = FALSE;
    return S_OK;
  }
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }

  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override { return S_OK; }
  STDMETHODIMP GetCapture() override { return captured_ ? S_OK : S_FALSE; }
  STDMETHODIMP SetCapture(BOOL capture) override {
    if (!owner_) return E_FAIL;
    captured_ = capture != FALSE;
    if (captured_) {
      ::SetCapture(owner_->window_);
    } else if (::GetCapture() == owner_->window_) {
      ReleaseCapture();
    }
    return S_OK;
  }
  STDMETHODIMP GetFocus() override { return S_FALSE; }
  STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
  STDMETHODIMP GetDC(LPCRECT, DWORD, HDC* dc) override {
    if (!dc || !owner_) return E_POINTER;
    *dc = ::GetDC(owner_->window_);
    return *dc ? S_OK : E_FAIL;
  }
  STDMETHODIMP ReleaseDC(HDC dc) override {
    if (owner_) ::ReleaseDC(owner_->window_, dc);
    return S_OK;
  }
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL) override {
    // The strip is redrawn from the background, then the player over it: erased always.
    if (owner_) ::InvalidateRect(owner_->window_, rect ? rect : &owner_->bounds_, TRUE);
    return S_OK;
  }
  STDMETHODIMP InvalidateRgn(HRGN region, BOOL) override {
    if (owner_ && region) ::InvalidateRgn(owner_->window_, region, TRUE);
    if (owner_ && !region) ::InvalidateRect(owner_->window_, &owner_->bounds_, TRUE);
    return S_OK;
  }
  STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  STDMETHODIMP AdjustRect(LPRECT) override { return S_OK; }
  STDMETHODIMP OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result) override {
    if (!owner_ || !result) return E_FAIL;
    *result = DefWindowProcW(owner_->window_, message, wParam, lParam);
    return S_OK;
  }

 private:
  ~Site() = default;
  LONG references_ = 1;
  FlashPlayer* owner_;
  bool captured_ = false;
};

// A movie fetched with the system's URL download service, asynchronously: the data arrives
// through the message loop and is handed to the player when complete.
class FlashPlayer::Fetch final : public IBindStatusCallback {
 public:
  explicit Fetch(FlashPlayer& owner) : owner_(&owner) {}
  void Detach() {
    owner_ = nullptr;
    if (binding_) binding_->Abort();
  }

  bool Start(const std::u16string& address) {
    ComPtr<IMoniker> moniker;
    ComPtr<IBindCtx> context;
    ComPtr<IStream> stream;
    const std::wstring url(address.begin(), address.end());
    if (FAILED(CreateURLMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM)))
      return false;
    if (FAILED(CreateAsyncBindCtx(0, this, nullptr, context.put()))) return false;
    const HRESULT hr = moniker->BindToStorage(context.get(), nullptr, IID_IStream,
                                              reinterpret_cast<void**>(stream.put()));
    return SUCCEEDED(hr);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IBindStatusCallback) return E_NOINTERFACE;
    *object = static_cast<IBindStatusCallback*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
    if (binding) {
      binding->AddRef();
      binding_ = ComPtr<IBinding>::Adopt(binding);
    }
    return S_OK;
  }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
    binding_.reset();
    // An unreachable movie leaves the strip as it is: nothing is reported or retried.
    if (owner_ && SUCCEEDED(result) && !failed_) owner_->LoadData(data_);
    return S_OK;
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (!flags || !info) return E_POINTER;
    *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION;
    const ULONG size = info->cbSize;
    ZeroMemory(info, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override {
    if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;
    char buffer[16384];
    ULONG read = 0;
    for (;;) {
      const HRESULT hr = medium->pstm->Read(buffer, sizeof buffer, &read);
      if (read > 0) {
        if (data_.size() + read > kLargestMovie) {
          failed_ = true;
          if (binding_) binding_->Abort();
          return S_OK;
        }
        data_.append(buffer, read);
      }
      if (hr != S_OK || read == 0) break;
    }
    return S_OK;
  }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

 private:
  ~Fetch() = default;
  LONG references_ = 1;
  FlashPlayer* owner_;
  ComPtr<IBinding> binding_;
  std::string data_;
  bool failed_ = false;
};

FlashPlayer::FlashPlayer() = default;

FlashPlayer::~FlashPlayer() { Close(); }

void FlashPlayer::Create(HWND window) {
  window_ = window;
  if (FAILED(CoCreateInstance(kShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(object_.put())))) {
    object_.reset();
    return;  // no player on this system: the strip shows the background
  }
  site_ = new Site(*this);
  object_->SetClientSite(static_cast<IOleClientSite*>(site_));
  if (auto persist = object_.As<IPersistStreamInit>()) persist->InitNew();
  dispatch_ = object_.As<IDispatch>();
  CallByName(dispatch_.get(), L"WMode", DISPATCH_PROPERTYPUT, {Text(u"Transparent")}, nullptr);
  VARIANT version;
  VariantInit(&version);
  if (SUCCEEDED(CallByName(dispatch_.get(), L"FlashVersion", DISPATCH_METHOD, {}, &version)) &&
      SUCCEEDED(VariantChangeType(&version, &version, 0, VT_I4))) {
    majorVersion_ = HIWORD(V_I4(&version));
  }
  VariantClear(&version);
  object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0,
                  window_, &bounds_);
  view_ = object_.As<IViewObject>();
  windowless_ = object_.As<IOleInPlaceObjectWindowless>();
}

void FlashPlayer::Close() {
  if (fetch_) {
    static_cast<Fetch*>(static_cast<IBindStatusCallback*>(fetch_.get()))->Detach();
    fetch_.reset();
  }
  if (!object_) return;
  if (windowless_) windowless_->InPlaceDeactivate();
  object_->Close(OLECLOSE_NOSAVE);
  object_->SetClientSite(nullptr);
  windowless_.reset();
  view_.reset();
  dispatch_.reset();
  object_.reset();
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
}

void FlashPlayer::ApplyBounds() {
  if (windowless_) windowless_->SetObjectRects(&bounds_, &bounds_);
}

void FlashPlayer::SetLeft(int left) {
  const int width = bounds_.right - bounds_.left;
  bounds_.left = left;
  bounds_.right = left + width;
  ApplyBounds();
}

void FlashPlayer::SetTop(int top) {
  const int height = bounds_.bottom - bounds_.top;
  bounds_.top = top;
  bounds_.bottom = top + height;
  ApplyBounds();
}

void FlashPlayer::SetWidth(int width) {
  bounds_.right = bounds_.left + width;
  ApplyBounds();
}

void FlashPlayer::SetHeight(int height) {
  bounds_.bottom = bounds_.top + height;
  ApplyBounds();
}

void FlashPlayer::SetMovie(const std::u16string& address) {
  movie_ = address;
  if (!Available()) return;
  if (portal::RouteFor(majorVersion_) == portal::MovieRoute::PlayerLoadsAddress) {
    CallByName(dispatch_.get(), L"LoadMovie", DISPATCH_METHOD, {Text(address), Integer(0)},
               nullptr);
    return;
  }
  if (!portal::IsServableMediaAddress(address)) return;
  auto* fetch = new Fetch(*this);
  fetch_ = ComPtr<IUnknown>::Adopt(static_cast<IBindStatusCallback*>(fetch));
  if (!fetch->Start(address)) {
    fetch->Detach();
    fetch_.reset();
  }
}

void FlashPlayer::LoadData(const std::string& movie) {
  if (!Available() || movie.empty()) return;
  auto persist = object_.As<IPersistStreamInit>();
  ComPtr<IStream> stream;
  if (!persist || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return;
  const std::uint32_t header[2] = {kMovieDataTag, std::uint32_t(movie.size())};
  stream->Write(header, sizeof header, nullptr);
  stream->Write(movie.data(), ULONG(movie.size()), nullptr);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  persist->Load(stream.get());
  Play();
}

void FlashPlayer::Play() {
  if (Available()) CallByName(dispatch_.get(), L"Play", DISPATCH_METHOD, {}, nullptr);
}

void FlashPlayer::Draw(HDC dc) const {
  if (!view_) return;
  const RECTL bounds{bounds_.left, bounds_.top, bounds_.right, bounds_.bottom};
  view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
}

bool FlashPlayer::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!windowless_) return false;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(window_, &at);
  // Over the banner, or while the player holds the mouse; the form's own capture (its title
  // row's buttons) is not the player's.
  const bool formCaptured = ::GetCapture() == window_;
  const bool playerHasMouse = site_ && site_->Captured() && formCaptured;
  if (formCaptured && !playerHasMouse) return false;
  if (!playerHasMouse && !PtInRect(&bounds_, at)) return false;
  return windowless_->OnWindowMessage(message, wParam, lParam, &result) == S_OK;
}

}  // namespace win
