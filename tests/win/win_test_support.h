// Helpers for the Windows-side tests: pumping the thread's messages as the program's loop does,
// playing the browser engine's part against the host's event sink, watching the navigations the
// control really starts, and reading the logs the test environment keeps outside Wine.
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <oleidl.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "application.h"
#include "com_ptr.h"

namespace test {

// Handles every waiting message through the application's loop step.
inline void Pump() {
  if (win::Application* application = win::Application::Current()) {
    application->ProcessMessages();
    return;
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps until the condition holds or about `milliseconds` have passed.
inline bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
  for (int waited = 0; waited < milliseconds && !condition(); waited += 10) {
    Pump();
    Sleep(10);
  }
  return condition();
}

// Pumps for a while whatever happens.
inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// A second sink on a control's DWebBrowserEvents2: records the address of every navigation the
// control starts (BeforeNavigate2).
class NavigationRecorder final : public IDispatch {
 public:
  explicit NavigationRecorder(IUnknown* control) {
    if (!control) return;
    win::ComPtr<IConnectionPointContainer> points;
    control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.put()));
    if (points && SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point_.put()))) {
      if (FAILED(point_->Advise(this, &cookie_))) point_.reset();
    }
  }
  ~NavigationRecorder() {
    if (point_) point_->Unadvise(cookie_);
  }
  bool Attached() const { return bool(point_); }

  std::vector<std::wstring> navigations;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack: the count is not used for its lifetime.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (member == DISPID_BEFORENAVIGATE2 && params->cArgs == 7) {
      const VARIANT* url = &params->rgvarg[5];
      if (V_VT(url) == (VT_BYREF | VT_VARIANT)) url = V_VARIANTREF(url);
      navigations.push_back(V_VT(url) == VT_BSTR ? V_BSTR(url) : L"<not text>");
    }
    return S_OK;
  }

 private:
  win::ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// The host's event sink as the control knows it: the dispatch interface of its client site.
inline win::ComPtr<IDispatch> SiteEvents(IUnknown* control) {
  win::ComPtr<IOleObject> object;
  win::ComPtr<IOleClientSite> site;
  win::ComPtr<IDispatch> events;
  if (control) control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.put()));
  if (object) object->GetClientSite(site.put());
  if (site) site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(events.put()));
  return events;
}

inline HRESULT Fire(IDispatch* sink, DISPID member, std::vector<VARIANT>& lastFirst) {
  DISPPARAMS params{lastFirst.data(), nullptr, UINT(lastFirst.size()), 0};
  return sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                      nullptr, nullptr);
}

// How the URL argument of DocumentComplete arrives.
enum class UrlForm { VariantByReference, String, StringByReference };

// DocumentComplete(pDisp, URL) as the engine sends it: arguments last first.
inline HRESULT FireDocumentComplete(IDispatch* sink, const std::wstring& url,
                                    UrlForm form = UrlForm::VariantByReference) {
  BSTR text = SysAllocString(url.c_str());
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_BSTR;
  V_BSTR(&inner) = text;
  std::vector<VARIANT> args(2);
  for (VARIANT& v : args) VariantInit(&v);
  switch (form) {
    case UrlForm::VariantByReference:
      V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&args[0]) = &inner;
      break;
    case UrlForm::String:
      V_VT(&args[0]) = VT_BSTR;
      V_BSTR(&args[0]) = text;
      break;
    case UrlForm::StringByReference:
      V_VT(&args[0]) = VT_BYREF | VT_BSTR;
      V_BSTRREF(&args[0]) = &text;
      break;
  }
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = nullptr;
  const HRESULT result = Fire(sink, DISPID_DOCUMENTCOMPLETE, args);
  SysFreeString(text);
  return result;
}

// NavigateError(pDisp, URL, Frame, StatusCode, Cancel): arguments last first.
inline HRESULT FireNavigateError(IDispatch* sink, const std::wstring& url) {
  VARIANT address, frame, status;
  VariantInit(&address);
  VariantInit(&frame);
  VariantInit(&status);
  V_VT(&address) = VT_BSTR;
  V_BSTR(&address) = SysAllocString(url.c_str());
  V_VT(&frame) = VT_BSTR;
  V_BSTR(&frame) = SysAllocString(L"");
  V_VT(&status) = VT_I4;
  V_I4(&status) = 404;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::vector<VARIANT> args(5);
  for (VARIANT& v : args) VariantInit(&v);
  V_VT(&args[0]) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&args[0]) = &cancel;
  V_VT(&args[1]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&args[1]) = &status;
  V_VT(&args[2]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&args[2]) = &frame;
  V_VT(&args[3]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&args[3]) = &address;
  V_VT(&args[4]) = VT_DISPATCH;
  V_DISPATCH(&args[4]) = nullptr;
  const HRESULT result = Fire(sink, DISPID_NAVIGATEERROR, args);
  VariantClear(&address);
  VariantClear(&frame);
  return result;
}

// NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl): arguments last first. Returns
// the Cancel flag as the host left it.
inline VARIANT_BOOL FireNewWindow3(IDispatch* sink, const std::wstring& url) {
  IDispatch* newWindow = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::vector<VARIANT> args(5);
  for (VARIANT& v : args) VariantInit(&v);
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = SysAllocString(url.c_str());
  V_VT(&args[1]) = VT_BSTR;
  V_BSTR(&args[1]) = SysAllocString(L"http://127.0.0.1/page.html");
  V_VT(&args[2]) = VT_I4;
  V_I4(&args[2]) = 0x6;  // NWMF_USERINITED | NWMF_FIRST
  V_VT(&args[3]) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&args[3]) = &cancel;
  V_VT(&args[4]) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&args[4]) = &newWindow;
  Fire(sink, DISPID_NEWWINDOW3, args);
  VariantClear(&args[0]);
  VariantClear(&args[1]);
  return cancel;
}

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), length, nullptr,
                      nullptr);
  return bytes;
}

struct ObjectCounts {
  int gdi = 0;
  int user = 0;
  bool operator==(const ObjectCounts&) const = default;
};

// GDI objects and windows and menus of this process, counted by probing every handle value:
// the system's own counters are not kept by every implementation (Wine answers 0).
inline ObjectCounts CountObjects() {
  ObjectCounts counts;
  for (UINT_PTR value = 1; value < 0x10000; ++value) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(value))) ++counts.gdi;
    const HWND window = reinterpret_cast<HWND>(value);
    DWORD pid = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &pid) &&
        pid == GetCurrentProcessId()) {
      ++counts.user;
    } else if (IsMenu(reinterpret_cast<HMENU>(value))) {
      ++counts.user;
    }
  }
  return counts;
}

inline std::ostream& operator<<(std::ostream& out, const ObjectCounts& counts) {
  return out << "{gdi " << counts.gdi << ", user " << counts.user << "}";
}

// The contents of a file outside Wine whose Unix path is in an environment variable, or nothing
// when the variable is not set. A missing file reads as empty.
inline std::optional<std::string> ReadUnixFileFrom(const char* variable) {
  const char* unixPath = getenv(variable);
  if (!unixPath || !*unixPath) return std::nullopt;
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  std::string contents;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return contents;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    contents.append(buffer, read);
  }
  CloseHandle(file);
  return contents;
}

}  // namespace test
