// The browser host in-process: the real WebBrowser control in a real window. Wine's control
// navigates and reports navigation errors for real but renders nothing and never completes a
// document, so the engine's other calls are played against the host's site as the engine makes
// them.
#include <gtest/gtest.h>
#include <windows.h>

#include <mshtmhst.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "form.h"
#include "text.h"
#include "web_browser.h"
#include "win_test_support.h"

namespace {

constexpr GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
constexpr GUID kOtherGroup = {
    0xde4ba900, 0x59ca, 0x11cf, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// A form with the browser between two ordinary controls, as the main window has it.
class BrowserForm : public win::Form {
 public:
  explicit BrowserForm(win::Application& application)
      : Form(application, L"MiniKorvelBrowserTestForm") {}

  win::WebBrowser browser;
  HWND edit = nullptr;
  HWND button = nullptr;

 protected:
  void FormCreate() override {
    SetClientSize(700, 425);
    browser.Create(Handle(), 0, 30, 700, 394);
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"text",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 570, 0, 100, 22,
                           Handle(), nullptr, nullptr, nullptr);
    button = CreateWindowExW(0, L"BUTTON", L"go", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 669, 0, 21,
                             22, Handle(), nullptr, nullptr, nullptr);
  }
};

class WebBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.emplace(application_);
    form_->CreateHandle();
    ASSERT_TRUE(Browser().ControlObject());
    events_ = test::SiteEvents(Browser().ControlObject());
    ASSERT_TRUE(events_);
  }
  void TearDown() override {
    events_.reset();
    form_.reset();
    test::Pump();
  }
  win::WebBrowser& Browser() { return form_->browser; }

  template <class Interface>
  win::ComPtr<Interface> SiteAs(REFIID iid) {
    win::ComPtr<IOleObject> object;
    win::ComPtr<IOleClientSite> site;
    win::ComPtr<Interface> wanted;
    Browser().ControlObject()->QueryInterface(IID_IOleObject,
                                              reinterpret_cast<void**>(object.put()));
    object->GetClientSite(site.put());
    if (site) site->QueryInterface(iid, reinterpret_cast<void**>(wanted.put()));
    return wanted;
  }

  win::Application application_;
  std::optional<BrowserForm> form_;
  win::ComPtr<IDispatch> events_;
};

TEST_F(WebBrowserTest, SitsInPlaceWithoutBorder) {
  RECT bounds{};
  GetWindowRect(Browser().Handle(), &bounds);
  MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&bounds), 2);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.top, 30);
  EXPECT_EQ(bounds.right - bounds.left, 700);
  EXPECT_EQ(bounds.bottom - bounds.top, 394);
  const LONG_PTR exStyle = GetWindowLongPtrW(Browser().Handle(), GWL_EXSTYLE);
  EXPECT_FALSE(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE));
  EXPECT_FALSE(GetWindowLongPtrW(Browser().Handle(), GWL_STYLE) &
               (WS_BORDER | WS_HSCROLL | WS_VSCROLL));
  // The control's own window fills the host window.
  const HWND control = GetWindow(Browser().Handle(), GW_CHILD);
  ASSERT_TRUE(control);
  RECT inner{};
  GetClientRect(control, &inner);
  EXPECT_EQ(inner.right, 700);
  EXPECT_EQ(inner.bottom, 394);
}

TEST_F(WebBrowserTest, GivesTheEngineItsUserInterfaceFlags) {
  auto handler = SiteAs<IDocHostUIHandler>(IID_IDocHostUIHandler);
  ASSERT_TRUE(handler);
  DOCHOSTUIINFO info{};
  info.cbSize = sizeof info;
  info.pchHostCss = reinterpret_cast<OLECHAR*>(1);  // must be overwritten
  info.pchHostNS = reinterpret_cast<OLECHAR*>(1);
  ASSERT_EQ(handler->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x4400Cu);
  EXPECT_EQ(info.dwDoubleClick, DWORD(DOCHOSTUIDBLCLK_DEFAULT));
  EXPECT_EQ(info.pchHostCss, nullptr);
  EXPECT_EQ(info.pchHostNS, nullptr);
}

BOOL CALLBACK CountVisible(HWND window, LPARAM count) {
  if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST_F(WebBrowserTest, ScriptErrorsGoOnRunningWithoutADialog) {
  auto target = SiteAs<IOleCommandTarget>(IID_IOleCommandTarget);
  ASSERT_TRUE(target);
  const int windowsBefore = CountThreadWindows();
  VARIANT out;
  VariantInit(&out);
  EXPECT_EQ(target->Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out),
            S_OK);
  EXPECT_EQ(V_VT(&out), VT_BOOL);
  EXPECT_EQ(V_BOOL(&out), VARIANT_TRUE);
  test::PumpFor(100);
  EXPECT_EQ(CountThreadWindows(), windowsBefore);

  // Nothing else is claimed.
  EXPECT_EQ(target->Exec(&kDocHostCommandHandler, OLECMDID_SHOWMESSAGE, 0, nullptr, nullptr),
            OLECMDERR_E_NOTSUPPORTED);
  EXPECT_EQ(target->Exec(&kOtherGroup, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
            OLECMDERR_E_UNKNOWNGROUP);
  EXPECT_EQ(target->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
            OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(WebBrowserTest, ReportsTheEnginesRealNavigationError) {
  test::NavigationRecorder recorder(Browser().ControlObject());
  ASSERT_TRUE(recorder.Attached());
  int errors = 0;
  Browser().onNavigateError = [&] { ++errors; };
  const std::u16string missing = u"C:\\no-such-folder\\bin\\..\\Res\\loading.html";
  Browser().Navigate(missing);
  EXPECT_TRUE(test::PumpUntil([&] { return errors == 1; }));
  ASSERT_FALSE(recorder.navigations.empty());
  EXPECT_EQ(recorder.navigations.front(), win::Wide(missing));
}

TEST_F(WebBrowserTest, DocumentCompleteReadsTheAddressInEveryForm) {
  std::vector<std::u16string> completed;
  Browser().onDocumentComplete = [&](const std::u16string& url) { completed.push_back(url); };
  const std::wstring url = L"C:\\p\\bin\\..\\Res\\loading.html";
  for (test::UrlForm form : {test::UrlForm::VariantByReference, test::UrlForm::String,
                             test::UrlForm::StringByReference}) {
    EXPECT_EQ(test::FireDocumentComplete(events_.get(), url, form), S_OK);
  }
  ASSERT_EQ(completed.size(), 3u);
  for (const auto& address : completed) EXPECT_EQ(win::Wide(address), url);
}

TEST_F(WebBrowserTest, NewWindowRequestsAreAnsweredThroughTheCancelFlag) {
  std::vector<std::u16string> requested;
  bool allow = false;
  Browser().onNewWindow3 = [&](const std::u16string& url, bool& cancel) {
    requested.push_back(url);
    cancel = !allow;
  };
  EXPECT_EQ(test::FireNewWindow3(events_.get(), L"https://portal.example/a?b=c"), VARIANT_TRUE);
  allow = true;
  EXPECT_EQ(test::FireNewWindow3(events_.get(), L"https://portal.example/d"), VARIANT_FALSE);
  ASSERT_EQ(requested.size(), 2u);
  EXPECT_EQ(requested[0], u"https://portal.example/a?b=c");
}

TEST_F(WebBrowserTest, MalformedEventsAreLeftAlone) {
  int calls = 0;
  Browser().onDocumentComplete = [&](const std::u16string&) { ++calls; };
  Browser().onNewWindow3 = [&](const std::u16string&, bool&) { ++calls; };
  // Too few arguments, and a Cancel that is not a flag by reference.
  std::vector<VARIANT> one(1);
  VariantInit(&one[0]);
  test::Fire(events_.get(), DISPID_DOCUMENTCOMPLETE, one);
  std::vector<VARIANT> five(5);
  for (VARIANT& v : five) VariantInit(&v);
  V_VT(&five[3]) = VT_BOOL;
  V_BOOL(&five[3]) = VARIANT_FALSE;
  test::Fire(events_.get(), DISPID_NEWWINDOW3, five);
  std::vector<VARIANT> none;
  test::Fire(events_.get(), DISPID_NEWWINDOW3, none);
  EXPECT_EQ(calls, 0);
}

TEST_F(WebBrowserTest, LateEngineCallsAfterTheFormIsGoneDoNothing) {
  bool called = false;
  Browser().onDocumentComplete = [&](const std::u16string&) { called = true; };
  win::ComPtr<IDispatch> kept = std::move(events_);
  const HWND host = Browser().Handle();
  form_.reset();
  EXPECT_FALSE(IsWindow(host));
  EXPECT_EQ(test::FireDocumentComplete(kept.get(), L"C:\\x\\Res\\loading.html"), S_OK);
  EXPECT_FALSE(called);
}

// Keyboard ---------------------------------------------------------------------------------------

struct KeyCase {
  const char* name;
  bool toBrowser;  // the message is for the browser's window, else for the edit
  bool ctrl, shift, alt;
  bool swallowed;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) { return out << c.name; }

class BrowserKeyTest : public WebBrowserTest, public ::testing::WithParamInterface<KeyCase> {};

// Posts a key-down of N with the given modifiers held and lets the loop's first step see it.
TEST_P(BrowserKeyTest, OnlyCtrlNIsKeptFromTheEngine) {
  const KeyCase& c = GetParam();
  form_->Show();
  HWND target = form_->edit;
  if (c.toBrowser) {
    target = Browser().Handle();
    while (HWND child = GetWindow(target, GW_CHILD)) target = child;  // the engine's own window
  }
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = c.ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = c.shift ? 0x80 : 0;
  keys[VK_MENU] = c.alt ? 0x80 : 0;
  SetKeyboardState(keys);
  test::Pump();
  PostMessageW(target, WM_KEYDOWN, 'N', 1 | (MapVirtualKeyW('N', MAPVK_VK_TO_VSC) << 16));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, target, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(application_.PreTranslateMessage(msg), c.swallowed);
  if (c.toBrowser) {
    // The engine's own question before it acts on a key gets the same answer.
    auto handler = SiteAs<IDocHostUIHandler>(IID_IDocHostUIHandler);
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->TranslateAccelerator(&msg, nullptr, 0), c.swallowed ? S_OK : S_FALSE);
  }
  keys[VK_CONTROL] = keys[VK_SHIFT] = keys[VK_MENU] = 0;
  SetKeyboardState(keys);
}

INSTANTIATE_TEST_SUITE_P(Keys, BrowserKeyTest,
                         ::testing::Values(KeyCase{"CtrlN", true, true, false, false, true},
                                           KeyCase{"CtrlShiftN", true, true, true, false, false},
                                           KeyCase{"CtrlAltN", true, true, false, true, false},
                                           KeyCase{"PlainN", true, false, false, false, false},
                                           KeyCase{"CtrlNInAnotherControl", false, true, false,
                                                   false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The direct child of the form that holds the focus.
HWND FocusedControl(HWND form) {
  HWND focus = GetFocus();
  while (focus && GetParent(focus) != form) focus = GetParent(focus);
  return focus;
}

void PressTab(bool shift) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1 | (MapVirtualKeyW(VK_TAB, MAPVK_VK_TO_VSC) << 16));
  test::Pump();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

TEST_F(WebBrowserTest, TabMovesBetweenTheBrowserAndTheOtherControls) {
  form_->Show();
  SetForegroundWindow(form_->Handle());
  ASSERT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == form_->Handle(); }));
  SetFocus(form_->edit);
  ASSERT_EQ(GetFocus(), form_->edit);

  PressTab(false);
  EXPECT_EQ(FocusedControl(form_->Handle()), form_->button);
  PressTab(false);
  EXPECT_EQ(FocusedControl(form_->Handle()), Browser().Handle());
  PressTab(false);
  EXPECT_EQ(FocusedControl(form_->Handle()), form_->edit);
  PressTab(true);
  EXPECT_EQ(FocusedControl(form_->Handle()), Browser().Handle());
  PressTab(true);
  EXPECT_EQ(FocusedControl(form_->Handle()), form_->button);
}

}  // namespace
