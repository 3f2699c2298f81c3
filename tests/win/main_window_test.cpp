// The main window in-process: its class name, creation steps, restore request, close query and
// session end, each observed through the system rather than through the form's own state.
#include <float.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "addresses.h"
#include "single_instance.h"
#include "text.h"
#include "unit_main.h"
#include "win_test_support.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 300 && !condition(); ++i) {
    Pump();
    Sleep(10);
  }
  return condition();
}

TEST(MainWindowClassName, IsBaseAddressWithSlashZeroFilledTo64) {
  const std::u16string expected = std::u16string(portal::kBaseAddress) + u"/";
  ASSERT_LE(expected.size(), 63u);
  EXPECT_EQ(win::Utf16(MainWindowClassName), expected);
  for (size_t i = expected.size(); i < 64; ++i) EXPECT_EQ(MainWindowClassName[i], L'\0') << i;
  EXPECT_EQ(WM_RESTOREREQUEST, 5120u);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.emplace(application_);
    FormMain = &*form_;
    form_->CreateHandle();
  }
  void TearDown() override {
    form_.reset();
    FormMain = nullptr;
    Pump();
  }
  HWND Window() const { return form_->Handle(); }

  win::Application application_;
  std::optional<TFormMain> form_;
};

TEST_F(MainWindowTest, IsCreatedInvisibleUnderItsClassWithClientAreaAndCaption) {
  EXPECT_EQ(FindWindowW(MainWindowClassName, nullptr), Window());
  EXPECT_FALSE(IsWindowVisible(Window()));
  RECT client{};
  GetClientRect(Window(), &client);
  EXPECT_EQ(client.right, 700);
  EXPECT_EQ(client.bottom, 425);
  wchar_t caption[64] = {};
  GetWindowTextW(Window(), caption, 64);
  EXPECT_STREQ(caption, L"Lumivar迷你版");
}

TEST_F(MainWindowTest, FillsTheAddressTableFromTheRunningExecutable) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory = path;
  directory.resize(directory.rfind(L'\\') + 1);
  EXPECT_EQ(win::Wide(PortalAddresses.ResourceRoot), directory + L"..\\");
  EXPECT_EQ(win::Wide(PortalAddresses.LoadingPagePath), directory + L"..\\Res\\loading.html");
  EXPECT_EQ(win::Wide(PortalAddresses.ErrorPagePath), directory + L"..\\Res\\error.html");
  // The installed layout: the pages lie in Res beside the executable's folder.
  EXPECT_NE(GetFileAttributesW(win::Wide(PortalAddresses.LoadingPagePath).c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(win::Wide(PortalAddresses.ErrorPagePath).c_str()),
            INVALID_FILE_ATTRIBUTES);
}

struct RestoreCase {
  const char* name;
  std::function<void(HWND window, HWND other)> arrange;
};

class RestoreRequestTest : public MainWindowTest,
                           public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreRequestTest, BringsTheWindowBackNormalInFrontWithFocus) {
  // Another window of this process that may take the foreground first.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(other);
  GetParam().arrange(Window(), other);
  Pump();

  PostMessageW(FindWindowW(MainWindowClassName, nullptr), WM_RESTOREREQUEST, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Window()) && !IsIconic(Window()); }));
  EXPECT_FALSE(IsZoomed(Window()));
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == Window(); }));
  EXPECT_EQ(GetActiveWindow(), Window());
  DestroyWindow(other);
}

INSTANTIATE_TEST_SUITE_P(States, RestoreRequestTest,
                         ::testing::Values(RestoreCase{"HiddenNeverShown", [](HWND, HWND) {}},
                                           RestoreCase{"HiddenAfterBeingMinimised",
                                                       [](HWND window, HWND) {
                                                         ShowWindow(window, SW_SHOW);
                                                         ShowWindow(window, SW_MINIMIZE);
                                                         ShowWindow(window, SW_HIDE);
                                                       }},
                                           RestoreCase{"Minimised",
                                                       [](HWND window, HWND) {
                                                         ShowWindow(window, SW_SHOW);
                                                         ShowWindow(window, SW_MINIMIZE);
                                                       }},
                                           RestoreCase{"ShownBehindAnotherWindow",
                                                       [](HWND window, HWND other) {
                                                         ShowWindow(window, SW_SHOW);
                                                         ShowWindow(other, SW_SHOW);
                                                         SetForegroundWindow(other);
                                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, CloseWhileShownHidesAndCloseWhileHiddenEndsTheLoop) {
  form_->Show();
  SendMessageW(Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(Window()));
  EXPECT_FALSE(IsWindowVisible(Window()));
  EXPECT_FALSE(application_.Terminated());

  SendMessageW(Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(application_.Terminated());
}

TEST_F(MainWindowTest, SessionEndQueryIsAllowedAndEndsTheLoopWithoutHiding) {
  form_->Show();
  EXPECT_EQ(SendMessageW(Window(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(application_.Terminated());
  EXPECT_TRUE(IsWindowVisible(Window()));
}

std::vector<std::wstring> Captions(HMENU menu) {
  std::vector<std::wstring> captions;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      captions.push_back(L"-");
      continue;
    }
    wchar_t text[128] = {};
    GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
    captions.push_back(text);
    if (info.hSubMenu) {
      for (const std::wstring& child : Captions(info.hSubMenu)) captions.push_back(L">" + child);
    }
  }
  return captions;
}

TEST_F(MainWindowTest, MenusHoldEveryEntryInOrder) {
  const std::vector<std::wstring> more = {L"刷新", L"置于最前", L"反馈信息", L"访问官方网站",
                                          L"-",    L"关于我们", L"-",        L"退出"};
  EXPECT_EQ(Captions(form_->PopupMenuMore->Handle()), more);
  const std::vector<std::wstring> tray = Captions(form_->PopupMenuTrayIcon->Handle());
  ASSERT_EQ(tray.size(), 11u);
  EXPECT_EQ(tray[0], L"关于我们");
  EXPECT_EQ(tray[1], L"访问官方网站");
  EXPECT_EQ(tray[2], L"相关网站");
  for (int i = 3; i < 7; ++i) EXPECT_EQ(tray[i].substr(0, 1), L">") << i;  // four related sites
  EXPECT_EQ(std::vector<std::wstring>(tray.begin() + 7, tray.end()),
            (std::vector<std::wstring>{L"-", L"打开主面板", L"-", L"退出"}));
  EXPECT_FALSE(form_->PopupMenuMore->Checked(L"N2"));
}

// Live objects of this process. GetGuiResources answers nothing under Wine, so the objects are
// counted by asking for each possible handle value: a GDI object by its type, a USER object
// (window or menu) by whether it is one. The handle tables accept the low word of a handle.
TEST_F(MainWindowTest, HideAndShowCyclesLeakNoObjects) {
  form_->Show();
  auto cycle = [&] {
    SendMessageW(Window(), WM_CLOSE, 0, 0);  // hides
    form_->TrayIcon1Click();                 // brings it back
    Pump();
  };
  cycle();  // first use may allocate what lives for the whole run
  const test::ObjectCounts before = test::CountObjects();
  ASSERT_GT(before.gdi, 0);
  ASSERT_GT(before.user, 0);
  for (int i = 0; i < 200; ++i) cycle();
  EXPECT_TRUE(IsWindowVisible(Window()));
  EXPECT_EQ(test::CountObjects(), before);
}

// The creation step masks the zero-divide exception and leaves every other mask as the
// run-time had it.
class FloatingPointTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(FloatingPointTest, DivisionByZeroYieldsInfinityAndOtherMasksStay) {
  const unsigned saved = _controlfp(0, 0);
  _controlfp(GetParam(), _MCW_EM);
  {
    win::Application application;
    TFormMain form(application);
    FormMain = &form;
    form.CreateHandle();
    const unsigned masks = _controlfp(0, 0) & _MCW_EM;
    volatile double zero = 0.0;
    const double quotient = 1.0 / zero;
    _controlfp(saved, _MCW_EM);
    EXPECT_EQ(masks, (GetParam() | _EM_ZERODIVIDE) & _MCW_EM);
    EXPECT_TRUE(std::isinf(quotient));
    FormMain = nullptr;
  }
  _controlfp(saved, _MCW_EM);
}

INSTANTIATE_TEST_SUITE_P(Masks, FloatingPointTest,
                         ::testing::Values(unsigned(_MCW_EM),  // all masked
                                           unsigned(_MCW_EM & ~_EM_ZERODIVIDE),
                                           unsigned(_MCW_EM & ~(_EM_ZERODIVIDE | _EM_OVERFLOW))));

}  // namespace
