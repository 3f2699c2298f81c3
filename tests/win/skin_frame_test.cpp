// The skinned frame in-process: its measures and parts as the system sees them (window and
// client rectangles, hit-test codes), when it raises its background paint event, and that
// repainting it and opening its menus leak nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "form.h"
#include "menu_painter.h"
#include "skin_provider.h"
#include "skin_theme.h"
#include "unit_main.h"
#include "win_test_support.h"

namespace {

TEST(SkinTheme, IsReadFromTheArchiveCarriedAsAResource) {
  const auto bytes = win::ResourceBytes(L"MINIKORVEL_SKIN");
  ASSERT_FALSE(bytes.empty());
  const skin::Archive archive = skin::ReadArchive(bytes);  // consumed exactly, or it throws
  EXPECT_EQ(archive.members.size(), 11u);
  const win::SkinTheme& theme = win::SkinTheme::Instance();
  EXPECT_EQ(theme.titleHeight, 30);  // the skin's 0 stands for the standard height
  EXPECT_EQ(theme.borderWidth, 1);
  EXPECT_EQ(theme.shadow, 10);
  EXPECT_EQ(theme.formColour, (skin::Colour{252, 218, 213}));
  EXPECT_EQ(theme.atlas.Width(), 515);
  EXPECT_EQ(theme.frame.Width(), 114);
  // The atlas's key colour is transparent, its other pixels opaque.
  EXPECT_EQ(theme.atlas.Pixel(450, 19)[3], 0);
  EXPECT_EQ(theme.atlas.Pixel(451, 21)[3], 255);
}

// Reads a file of the source tree (a Unix path) through the prefix's Z: drive.
std::vector<std::uint8_t> SourceFile(const std::string& relative) {
  std::wstring path = L"Z:";
  for (char c : std::string(MK_SOURCE_DIR) + "/" + relative) path += c == '/' ? L'\\' : wchar_t(c);
  std::vector<std::uint8_t> bytes;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

TEST(Pictures, CarriedAsResourcesShowExactlyTheBitmapsPixels) {
  const struct {
    const wchar_t* resource;
    const char* file;
  } pictures[] = {{L"LOGO", "logo.bmp"},
                  {L"ABOUT_PICTURE", "about.bmp"},
                  {L"GLYPH_LOGIN", "glyph-login.bmp"},
                  {L"GLYPH_REGISTER", "glyph-register.bmp"},
                  {L"GLYPH_MORE", "glyph-more.bmp"},
                  {L"GLYPH_REFRESH", "glyph-refresh.bmp"},
                  {L"SEARCH_BUTTON", "search-button.bmp"},
                  {L"MENU_ABOUT", "menu-about.bmp"},
                  {L"MENU_REFRESH", "menu-refresh.bmp"}};
  for (const auto& picture : pictures) {
    const win::Picture carried = win::LoadPictureResource(picture.resource);
    const auto bytes = SourceFile(std::string("assets/pictures/") + picture.file);
    ASSERT_FALSE(bytes.empty()) << picture.file;
    const win::Picture original(skin::DecodeBmp(bytes));
    ASSERT_EQ(carried.Width(), original.Width()) << picture.file;
    ASSERT_EQ(carried.Height(), original.Height()) << picture.file;
    int differing = 0;
    for (int y = 0; y < carried.Height(); ++y) {
      for (int x = 0; x < carried.Width(); ++x) {
        differing += std::memcmp(carried.Pixel(x, y), original.Pixel(x, y), 4) != 0;
      }
    }
    EXPECT_EQ(differing, 0) << picture.file;
  }
}

// Closes whatever menu is open, once.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.emplace(application_);
    FormMain = &*form_;
    form_->CreateHandle();
    form_->Show();
    test::PumpFor(100);
  }
  void TearDown() override {
    form_.reset();
    FormMain = nullptr;
    test::Pump();
  }
  HWND Window() const { return form_->Handle(); }
  POINT Screen(int x, int y) const {
    RECT window{};
    GetWindowRect(Window(), &window);
    return POINT{window.left + x, window.top + y};
  }

  win::Application application_;
  std::optional<TFormMain> form_;
};

TEST_F(MainFrameTest, FrameIsOneLineAroundAndTheTitleRowAbove) {
  RECT window{}, client{};
  GetWindowRect(Window(), &window);
  GetClientRect(Window(), &client);
  EXPECT_EQ(window.right - window.left, 702);
  EXPECT_EQ(window.bottom - window.top, 456);
  EXPECT_EQ(client.right, 700);
  EXPECT_EQ(client.bottom, 425);
  POINT origin{0, 0};
  ClientToScreen(Window(), &origin);
  EXPECT_EQ(origin.x - window.left, 1);
  EXPECT_EQ(origin.y - window.top, 30);
  // Fixed size, minimise but no maximise.
  const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
}

TEST_F(MainFrameTest, TitleRowPartsAnswerTheSystemsHitTest) {
  struct Case {
    int x, y;  // frame coordinates
    LRESULT code;
  };
  const Case cases[] = {
      {670, 5, HTCLOSE},    {700, 21, HTCLOSE},   {645, 10, HTMINBUTTON}, {495, 2, HTOBJECT},
      {550, 10, HTOBJECT},  {590, 10, HTOBJECT},  {620, 10, HTOBJECT},    {535, 10, HTCAPTION},
      {300, 15, HTCAPTION}, {20, 10, HTCAPTION},  {0, 200, HTBORDER},     {701, 200, HTBORDER},
      {300, 455, HTBORDER}, {300, 100, HTCLIENT}, {10, 30, HTCLIENT},
  };
  for (const Case& c : cases) {
    const POINT p = Screen(c.x, c.y);
    EXPECT_EQ(SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), c.code)
        << c.x << "," << c.y;
  }
}

TEST_F(MainFrameTest, RepaintsAndMenuOpeningsLeakNoObjects) {
  auto repaint = [&](int i) {
    // Every tenth repaint rebuilds the background too, as activation changes do.
    if (i % 10 == 0) SendMessageW(Window(), WM_NCACTIVATE, i % 20 == 0, 0);
    RedrawWindow(Window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  };
  repaint(0);
  test::Pump();
  const test::ObjectCounts before = test::CountObjects();
  for (int i = 1; i <= 1000; ++i) repaint(i);
  test::Pump();
  EXPECT_EQ(test::CountObjects(), before);

  // Each menu closes itself shortly after it opened, having drawn its items.
  auto openOnce = [&] {
    SetTimer(nullptr, 0, 60, &CloseMenu);
    form_->PopupMenuMore->Popup(Window(), Screen(578, 19));
    test::Pump();
  };
  openOnce();
  const test::ObjectCounts beforeMenus = test::CountObjects();
  for (int i = 0; i < 100; ++i) openOnce();
  EXPECT_EQ(test::CountObjects(), beforeMenus);
}

// A form with the skin and nothing else, to watch its background paint event.
class PlainForm : public win::Form {
 public:
  explicit PlainForm(win::Application& application)
      : Form(application, L"MiniKorvelPlainSkinnedForm"),
        painter_(win::SkinTheme::Instance()),
        skin_(*this, win::SkinTheme::Instance(), &painter_, nullptr, {}, true) {
    skin_.onPaintBackground = [this](HDC dc) {
      ++raised;
      // A mark in the client part of the background picture.
      const RECT mark{0, 0, 10, 10};
      SetBkColor(dc, RGB(0, 200, 0));
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &mark, nullptr, 0, nullptr);
    };
  }
  int raised = 0;

 protected:
  void FormCreate() override { SetClientSize(300, 200); }

 private:
  win::MenuPainter painter_;
  win::SkinProvider skin_;
};

class BackgroundPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.emplace(application_);
    form_->CreateHandle();
    other_ = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 400,
                             200, 100, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(other_);
    form_.reset();
    test::Pump();
  }
  // How many times the event was raised by an action, once its messages are handled.
  int RaisedBy(const std::function<void()>& action) {
    test::PumpFor(50);
    const int before = form_->raised;
    action();
    test::PumpFor(150);
    return form_->raised - before;
  }
  HWND Window() const { return form_->Handle(); }

  win::Application application_;
  std::optional<PlainForm> form_;
  HWND other_ = nullptr;
};

TEST_F(BackgroundPaintTest, IsRaisedWhenTheBackgroundIsRedrawnAndOnlyThen) {
  EXPECT_GE(RaisedBy([&] {
              form_->Show();
              SetForegroundWindow(Window());
            }),
            1)
      << "first show";
  // Ordinary repaints of the client area and the frame reuse the picture.
  EXPECT_EQ(RaisedBy([&] {
              for (int i = 0; i < 20; ++i) {
                InvalidateRect(Window(), nullptr, TRUE);
                UpdateWindow(Window());
              }
            }),
            0)
      << "client repaints";
  EXPECT_EQ(RaisedBy([&] {
              RedrawWindow(Window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
            }),
            0)
      << "frame repaint";
  EXPECT_EQ(RaisedBy([&] {
              RECT window{};
              GetWindowRect(Window(), &window);
              SendMessageW(Window(), WM_NCMOUSEMOVE, HTCLOSE,
                           MAKELPARAM(window.right - 10, window.top + 5));
            }),
            0)
      << "hover over a button";
  EXPECT_GE(RaisedBy([&] { SetForegroundWindow(other_); }), 1) << "deactivation";
  EXPECT_GE(RaisedBy([&] { SetForegroundWindow(Window()); }), 1) << "activation";
  EXPECT_GE(RaisedBy([&] { form_->SetCaption(L"another caption"); }), 1) << "caption";
  EXPECT_GE(RaisedBy([&] {
              ShowWindow(Window(), SW_MINIMIZE);
              ShowWindow(Window(), SW_RESTORE);
            }),
            1)
      << "minimise and restore";
}

TEST_F(BackgroundPaintTest, PrintingRedrawsTheBackgroundWithWhatTheEventDrew) {
  form_->Show();
  test::PumpFor(100);
  RECT window{};
  GetWindowRect(Window(), &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  const int before = form_->raised;
  SendMessageW(Window(), WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(form_->raised, before + 1);
  const win::SkinTheme& theme = win::SkinTheme::Instance();
  // The mark sits at the client area's corner, below the title row.
  EXPECT_EQ(GetPixel(dc, theme.borderWidth + 5, theme.titleHeight + 5), RGB(0, 200, 0));
  EXPECT_NE(GetPixel(dc, theme.borderWidth + 5, theme.titleHeight - 5), RGB(0, 200, 0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace
