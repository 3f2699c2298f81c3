// The banner strip on the real main window. Without a player (this system has none) the strip
// shows the background; with the stand-in player registered under the player's class, the
// program's own host creates it windowless, feeds it and draws it over the strip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "addresses.h"
#include "fake_player/fake_player.h"
#include "skin_theme.h"
#include "text.h"
#include "unit_main.h"
#include "win_test_support.h"

namespace {

constexpr wchar_t kPlayerKey[] =
    L"Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32";

// The stand-in player, registered for the life of the object.
class FakePlayerRegistration {
 public:
  explicit FakePlayerRegistration(int majorVersion) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll = path;
    dll.resize(dll.rfind(L'\\') + 1);
    dll += L"fake_flash_player.dll";
    module_ = LoadLibraryW(dll.c_str());
    if (!module_) return;
    auto function = reinterpret_cast<FakePlayerRecordFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "FakePlayerRecordOf")));
    record_ = function ? function() : nullptr;
    if (record_) {
      *record_ = FakePlayerRecord{};
      record_->reportedMajorVersion = majorVersion;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPlayerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                     DWORD((dll.size() + 1) * sizeof(wchar_t)));
      const wchar_t model[] = L"Apartment";
      RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                     sizeof model);
      RegCloseKey(key);
      registered_ = true;
    }
  }
  ~FakePlayerRegistration() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                   L"Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}");
  }
  bool Ready() const { return record_ && registered_; }
  FakePlayerRecord& Record() { return *record_; }

 private:
  HMODULE module_ = nullptr;  // kept loaded: COM shares the same module
  FakePlayerRecord* record_ = nullptr;
  bool registered_ = false;
};

class BannerTest : public ::testing::Test {
 protected:
  void Open() {
    form_.emplace(application_);
    FormMain = &*form_;
    form_->CreateHandle();
    form_->Show();
    SetForegroundWindow(form_->Handle());
    test::PumpFor(300);
  }
  void TearDown() override {
    form_.reset();
    FormMain = nullptr;
    test::Pump();
  }
  // A pixel of the client area as it is on screen.
  COLORREF ScreenPixel(int x, int y) const {
    POINT at{x, y};
    ClientToScreen(form_->Handle(), &at);
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
  }
  void ForceBackgroundRedraws(int count) {
    for (int i = 0; i < count; ++i) {
      SendMessageW(form_->Handle(), WM_NCACTIVATE, i % 2, 0);
      RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    }
    SendMessageW(form_->Handle(), WM_NCACTIVATE, TRUE, 0);
    test::PumpFor(200);
  }

  win::Application application_;
  std::optional<TFormMain> form_;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (IsWindowVisible(window) && std::wstring(name) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = window;
  }
  return TRUE;
}

bool Near(COLORREF actual, int r, int g, int b, int tolerance = 4) {
  return std::abs(GetRValue(actual) - r) <= tolerance &&
         std::abs(GetGValue(actual) - g) <= tolerance &&
         std::abs(GetBValue(actual) - b) <= tolerance;
}

TEST_F(BannerTest, WithoutAPlayerTheStripShowsTheBackground) {
  Open();
  EXPECT_FALSE(form_->sfFlashPlayer1.Available());
  EXPECT_EQ(form_->sfFlashPlayer1.Movie(), PortalAddresses.BannerAddress);
  const skin::Colour form = win::SkinTheme::Instance().formColour;
  EXPECT_TRUE(Near(ScreenPixel(350, 10), form.red, form.green, form.blue, 0));
}

TEST_F(BannerTest, OlderPlayerIsActivatedWindowlessAndLoadsTheAddressOnce) {
  FakePlayerRegistration player(9);
  ASSERT_TRUE(player.Ready());
  Open();
  FakePlayerRecord& record = player.Record();
  ASSERT_TRUE(form_->sfFlashPlayer1.Available());
  EXPECT_EQ(record.created, 1);
  EXPECT_STREQ(record.wmode, L"Transparent");
  EXPECT_TRUE(record.wmodeSetBeforeActivation);
  EXPECT_TRUE(record.activatedWindowless);

  const int plays = record.playCalls;
  ASSERT_GE(plays, 1);
  ForceBackgroundRedraws(6);
  EXPECT_GT(record.playCalls, plays);   // every redraw plays
  EXPECT_EQ(record.loadMovieCalls, 1);  // the address never changed
  EXPECT_EQ(record.loadMovieLayer, 0);
  EXPECT_EQ(win::Utf16(record.movie), PortalAddresses.BannerAddress);
  EXPECT_EQ(record.streamLoads, 0);
  // Four bound setters per redraw, ending on the strip.
  EXPECT_GE(record.setObjectRectsCalls, 4 * record.playCalls);
  EXPECT_EQ(record.objectRect.left, 210);
  EXPECT_EQ(record.objectRect.top, 0);
  EXPECT_EQ(record.objectRect.right, 490);
  EXPECT_EQ(record.objectRect.bottom, 20);

  // Drawn over the background: half-transparent blue over the form colour.
  EXPECT_GT(record.draws, 0);
  const skin::Colour form = win::SkinTheme::Instance().formColour;
  EXPECT_TRUE(Near(ScreenPixel(350, 10), form.red / 2, form.green / 2, (form.blue + 255) / 2))
      << std::hex << ScreenPixel(350, 10);
  EXPECT_TRUE(Near(ScreenPixel(350, 24), form.red, form.green, form.blue, 0));  // below it
  EXPECT_TRUE(Near(ScreenPixel(205, 10), form.red, form.green, form.blue, 0));  // left of it

  // The mouse over the strip is the player's; elsewhere it is not.
  POINT over{350, 10};
  ClientToScreen(form_->Handle(), &over);
  SetCursorPos(over.x, over.y);
  const int before = record.windowMessages;
  SendMessageW(form_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(350, 10));
  EXPECT_EQ(record.windowMessages, before + 1);
  POINT away{350, 200};
  ClientToScreen(form_->Handle(), &away);
  SetCursorPos(away.x, away.y);
  SendMessageW(form_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(350, 200));
  EXPECT_EQ(record.windowMessages, before + 1);

  form_.reset();
  EXPECT_EQ(record.closed, 1);
}

TEST_F(BannerTest, NewerPlayerIsHandedTheMovieFetchedByTheProgram) {
  const std::optional<std::string> log = test::ReadUnixFileFrom("MK_DEMO_LOG");
  if (!log) GTEST_SKIP() << "no demo portal for this build's base address";
  FakePlayerRegistration player(10);
  ASSERT_TRUE(player.Ready());
  Open();
  FakePlayerRecord& record = player.Record();
  ASSERT_TRUE(test::PumpUntil([&] { return record.streamLoads > 0; }, 10000));
  EXPECT_EQ(record.streamLoads, 1);
  EXPECT_EQ(record.streamTag, 0x55665566u);
  EXPECT_GT(record.streamLength, 8u);
  EXPECT_EQ(record.streamBytesRead, record.streamLength);
  EXPECT_EQ(record.loadMovieCalls, 0);
  EXPECT_NE(test::ReadUnixFileFrom("MK_DEMO_LOG")->find("GET /mini_web/flash.php?ext=.swf "),
            std::string::npos);
}

TEST_F(BannerTest, UnreachableMovieLoadsNothingAndReportsNothing) {
  FakePlayerRegistration player(10);
  ASSERT_TRUE(player.Ready());
  Open();
  FakePlayerRecord& record = player.Record();
  test::PumpUntil([&] { return record.streamLoads > 0; }, 5000);  // the banner's own movie
  const int loads = record.streamLoads;
  // Nothing listens on port 1: the fetch fails, quietly, once.
  form_->sfFlashPlayer1.SetMovie(u"http://127.0.0.1:1/banner.swf");
  test::PumpFor(3000);
  EXPECT_EQ(record.streamLoads, loads);
  EXPECT_EQ(record.loadMovieCalls, 0);
  EXPECT_TRUE(IsWindowVisible(form_->Handle()));
  // No message box or other window of this thread appeared.
  HWND popup = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindMessageBox, reinterpret_cast<LPARAM>(&popup));
  EXPECT_EQ(popup, nullptr);
}

}  // namespace
