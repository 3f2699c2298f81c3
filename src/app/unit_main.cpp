#include "unit_main.h"

#include <float.h>

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "locale_time.h"
#include "product_info.h"
#include "single_instance.h"
#include "text.h"
#include "time_text.h"
#include "unit_about.h"

TFormMain* FormMain = nullptr;
portal::AddressTable PortalAddresses;

namespace {

constexpr wchar_t kCaption[] = MK_WIDE(MK_PRODUCT_NAME);
constexpr int kClientWidth = 700;
constexpr int kClientHeight = 425;
constexpr int kProgramIcon = 1;                            // the main icon resource
constexpr wchar_t kBuiltInErrorPage[] = L"FALLBACK.HTML";  // an HTML resource (type 23)

// Detaches an input attachment however the code between attach and detach leaves.
class ThreadInputAttachment {
 public:
  ThreadInputAttachment(DWORD from, DWORD to) : from_(from), to_(to) {
    AttachThreadInput(from_, to_, TRUE);
  }
  ~ThreadInputAttachment() { AttachThreadInput(from_, to_, FALSE); }
  ThreadInputAttachment(const ThreadInputAttachment&) = delete;
  ThreadInputAttachment& operator=(const ThreadInputAttachment&) = delete;

 private:
  DWORD from_;
  DWORD to_;
};

// The program icon at a given size (0: the system's default size for icons).
HICON LoadProgramIcon(int size, UINT flags) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon),
                                       IMAGE_ICON, size, size, flags));
}

std::wstring RelatedCaption(int index) { return win::Wide(portal::kRelatedSites[index].caption); }

}  // namespace

std::u16string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return win::Utf16(path);
    }
    path.resize(path.size() * 2);
  }
}

std::u16string BuiltInErrorAddress() {
  return portal::ResourceAddress(ExecutablePath(), win::Utf16(kBuiltInErrorPage));
}

void ShellOpen(const std::u16string& address) {
  static const wchar_t kEmpty[] = L"";
  const std::wstring file = win::Wide(address);
  ShellExecuteW(FormMain ? FormMain->Handle() : nullptr, kEmpty, file.c_str(), kEmpty, kEmpty,
                SW_SHOWNORMAL);
}

std::u16string BuildRefreshAddress() {
  return portal::BuildRefreshAddress(PortalAddresses.FrameAddress, win::ReadUserLongTimeFormat(),
                                     win::LocalTimeOfDay());
}

TFormMain::TFormMain(win::Application& application)
    : Form(application, L"TFormMain"), pageFlow_(PortalAddresses, BuiltInErrorAddress()) {
  centerOnFirstShow_ = true;
  EmbeddedWB1.onDocumentComplete = [this](const std::u16string& url) {
    EmbeddedWB1DocumentComplete(url);
  };
  EmbeddedWB1.onNavigateError = [this] { EmbeddedWB1NavigateError(); };
  EmbeddedWB1.onNewWindow3 = [this](const std::u16string& url, bool& cancel) {
    EmbeddedWB1NewWindow3(url, cancel);
  };
  TitleIcon = win::LoadPictureResource(L"LOGO");
  GlyphLogin = win::LoadPictureResource(L"GLYPH_LOGIN");
  GlyphRegister = win::LoadPictureResource(L"GLYPH_REGISTER");
  GlyphMore = win::LoadPictureResource(L"GLYPH_MORE");
  GlyphRefresh = win::LoadPictureResource(L"GLYPH_REFRESH");
  SearchPicture = win::LoadPictureResource(L"SEARCH_BUTTON");
  controlFont_.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
  MenuAboutPicture = win::LoadPictureResource(L"MENU_ABOUT");
  MenuRefreshPicture = win::LoadPictureResource(L"MENU_REFRESH");
  menuPainter_ = std::make_unique<win::MenuPainter>(win::SkinTheme::Instance());
  PopupMenuMore = std::make_unique<win::PopupMenu>(
      std::vector<win::MenuEntry>{
          {L"N1", L"刷新", [this] { N1Click(); }, {}, &MenuRefreshPicture},
          {L"N2", L"置于最前", [this] { N2Click(); }, {}},
          {L"N3", L"反馈信息", [this] { N3Click(); }, {}},
          {L"N4", L"访问官方网站", [this] { N4Click(); }, {}},
          {L"N7", L"-", nullptr, {}},
          {L"N5", L"关于我们", [this] { N5Click(); }, {}},
          {L"N8", L"-", nullptr, {}},
          {L"N6", L"退出", [this] { N6Click(); }, {}},
      },
      menuPainter_.get());
  PopupMenuTrayIcon = std::make_unique<win::PopupMenu>(
      std::vector<win::MenuEntry>{
          {L"PMTIAbout", L"关于我们", [this] { PMTIAboutClick(); }, {}, &MenuAboutPicture},
          {L"N10", L"访问官方网站", [this] { N10Click(); }, {}},
          {L"N11",
           L"相关网站",
           nullptr,
           {
               {L"N9", RelatedCaption(0), [this] { N9Click(); }, {}},
               {L"N16", RelatedCaption(1), [this] { N16Click(); }, {}},
               {L"N17", RelatedCaption(2), [this] { N17Click(); }, {}},
               {L"N18", RelatedCaption(3), [this] { N18Click(); }, {}},
           }},
          {L"N15", L"-", nullptr, {}},
          {L"N12", L"打开主面板", [this] { N12Click(); }, {}},
          {L"N14", L"-", nullptr, {}},
          {L"N13", L"退出", [this] { N13Click(); }, {}},
      },
      menuPainter_.get());
  // The title bar: four items with glyphs between invisible spacers, right-aligned.
  std::vector<win::TitleBarItem> items(7);
  items[0] = {false, 40, 20, &GlyphLogin, [this] { sTitleBar1Items0Click(); }, nullptr};
  items[1] = {true, 2, 18, nullptr, nullptr, nullptr};
  items[2] = {false, 40, 20, &GlyphRegister, [this] { sTitleBar1Items1Click(); }, nullptr};
  items[3] = {true, 2, 16, nullptr, nullptr, nullptr};
  items[4] = {false, 27, 18, &GlyphMore, nullptr, PopupMenuMore.get()};
  items[5] = {true, 2, 18, nullptr, nullptr, nullptr};
  items[6] = {false, 27, 18, &GlyphRefresh, [this] { sTitleBar1Items6Click(); }, nullptr};
  sSkinProvider1 = std::make_unique<win::SkinProvider>(
      *this, win::SkinTheme::Instance(), menuPainter_.get(), &TitleIcon, std::move(items), true);
  sSkinProvider1->onPaintBackground = [this](HDC) { FormPaint(); };
  sSkinProvider1->onPaintClient = [this](HDC dc) { sfFlashPlayer1.Draw(dc); };

  TrayIcon1.SetPopupMenu(PopupMenuTrayIcon.get());
  TrayIcon1.onClick = [this] { TrayIcon1Click(); };
  TrayIcon1.SetIcon(win::UniqueIcon(LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), 0)));
}

void TFormMain::CreateParams(win::CreateParams& params) {
  Form::CreateParams(params);
  // Class icons are shared resources (LR_SHARED): the system owns them.
  params.windowClass.hIcon = LoadProgramIcon(0, LR_DEFAULTSIZE | LR_SHARED);
  params.windowClass.hIconSm = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), LR_SHARED);
  static_assert(sizeof params.winClassName == sizeof MainWindowClassName);
  std::copy_n(MainWindowClassName, win::kClassNameLength, params.winClassName);
}

void TFormMain::FormCreate() {
  // The banner's player comes with the window, as its other components do.
  sfFlashPlayer1.Create(Handle());
  // 1. Division by zero yields an infinity: the run-time's default with the zero-divide
  //    exception masked; nothing the run-time masks is unmasked.
  _controlfp(_controlfp(0, 0) | _EM_ZERODIVIDE, _MCW_EM);
  // 2. The portal addresses.
  portal::FillAddressTable(PortalAddresses, ExecutablePath());
  // 3. Size and caption.
  SetSize(kClientWidth, kClientHeight);
  SetClientSize(kClientWidth, kClientHeight);
  SetCaption(kCaption);
  // 4. The embedded browser in its place, then its first navigation: the loading page.
  EmbeddedWB1.Create(Handle(), 0, 30, 700, 394);
  EmbeddedWB1.Navigate(pageFlow_.Start());
  // 5. The search box and its button, which covers the box's last column: one framed field.
  sEditSearch.Create(Handle(), win::SkinTheme::Instance(), L"", controlFont_.get(), RGB(0, 0, 0));
  sEditSearch.SetText(L"手饰");
  sEditSearch.SetBounds(570, 0, 100, 22);
  RzBmpButtonSearch.Create(Handle(), 669, 0, 21, 22, &SearchPicture);
  RzBmpButtonSearch.onClick = [this] { RzBmpButtonSearchClick(); };
  // 6. The notification-area icon, before the window shows, with the caption as its tip.
  TrayIcon1.SetVisible(true);
  TrayIcon1.SetHint(Caption());
}

void TFormMain::FormCloseQuery(bool& canClose) {
  if (Showing()) {
    canClose = false;
    Hide();
  } else {
    canClose = true;
  }
}

void TFormMain::FormResize() {
  if (Showing()) SetFocus();
}

void TFormMain::FormPaint() {
  portal::PlaceAndPlayBanner(sfFlashPlayer1, PortalAddresses.BannerAddress);
}

void TFormMain::RestoreRequest() {
  if (!Showing()) {
    BringBack();
    return;
  }
  if (IsIconic(application_.Handle())) {
    SetWindowState(win::WindowState::Normal);
    ShowWindow(Handle(), SW_RESTORE);
  }
  const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  ThreadInputAttachment attachment(foregroundThread, GetCurrentThreadId());
  SetForegroundWindow(Handle());
  SetFocus();
  SwitchToThisWindow(Handle(), TRUE);
}

void TFormMain::WMQueryEndSession() { application_.Terminate(); }

void TFormMain::BringBack() {
  SetWindowState(win::WindowState::Normal);
  Show();
  // The notification area lets the icon's owner take the foreground on a click.
  SetForegroundWindow(Handle());
  SetFocus();
}

void TFormMain::Quit() { application_.Terminate(); }

void TFormMain::RefreshPage() { EmbeddedWB1.Navigate(pageFlow_.Refresh(BuildRefreshAddress())); }

void TFormMain::EmbeddedWB1DocumentComplete(const std::u16string& url) {
  if (auto next = pageFlow_.DocumentComplete(url)) EmbeddedWB1.Navigate(*next);
}

void TFormMain::EmbeddedWB1NavigateError() {
  if (auto next = pageFlow_.NavigateError()) EmbeddedWB1.Navigate(*next);
}

void TFormMain::EmbeddedWB1NewWindow3(const std::u16string& url, bool& cancel) {
  // The engine opens no window of its own. Only web and mail addresses go on to the default
  // browser: anything else a page asks for (file:, script, UNC or drive paths, other
  // protocols) could start a local program, and is dropped.
  cancel = true;
  if (portal::IsShellSafeAddress(url)) ShellOpen(url);
}

void TFormMain::TrayIcon1Click() { BringBack(); }
void TFormMain::N12Click() { BringBack(); }
void TFormMain::N13Click() { Quit(); }
void TFormMain::N6Click() { Quit(); }
void TFormMain::N1Click() { RefreshPage(); }
void TFormMain::sTitleBar1Items0Click() { ShellOpen(portal::LoginAddress()); }
void TFormMain::sTitleBar1Items1Click() { ShellOpen(portal::RegistrationAddress()); }

void TFormMain::ShowAbout() {
  // Shown modeless, also while the main window is hidden; shown again, it comes to the front.
  if (FormAbout) FormAbout->Show();
}

void TFormMain::OpenRelatedSite(int index) {
  ShellOpen(std::u16string(portal::kRelatedSites[index].address));
}

void TFormMain::N2Click() {
  // The check mark is the state. One in-place change of the z-order band: the window is not
  // moved, resized, activated or re-created, so the page keeps its state.
  const bool stayOnTop = !PopupMenuMore->Checked(L"N2");
  PopupMenuMore->SetChecked(L"N2", stayOnTop);
  SetWindowPos(Handle(), stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TFormMain::N3Click() { ShellOpen(portal::FeedbackAddress()); }
void TFormMain::N4Click() { ShellOpen(portal::HomeAddress()); }
void TFormMain::N10Click() { ShellOpen(portal::HomeAddress()); }
void TFormMain::N5Click() { ShowAbout(); }
void TFormMain::PMTIAboutClick() { ShowAbout(); }
void TFormMain::N9Click() { OpenRelatedSite(0); }
void TFormMain::N16Click() { OpenRelatedSite(1); }
void TFormMain::N17Click() { OpenRelatedSite(2); }
void TFormMain::N18Click() { OpenRelatedSite(3); }

void TFormMain::RzBmpButtonSearchClick() {
  // The whole text as typed, untrimmed; an empty text still searches.
  ShellOpen(portal::BuildSearchAddress(win::Utf16(sEditSearch.Text())));
}
void TFormMain::sTitleBar1Items6Click() { RefreshPage(); }

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RESTOREREQUEST:
      RestoreRequest();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_SETCURSOR:
    case WM_CONTEXTMENU:
      // Over the banner, the mouse is the player's: its context menu and cursor apply.
      if (LRESULT result = 0; sfFlashPlayer1.RouteMouse(message, wParam, lParam, result)) {
        return result;
      }
      break;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == sEditSearch.Handle()) {
        return sEditSearch.ControlColour(reinterpret_cast<HDC>(wParam));
      }
      break;
    case WM_QUERYENDSESSION:
      WMQueryEndSession();
      // Ending is our answer: an answer of 0 would object to the user's log-off or shutdown.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        // The session ends now and the process may be ended at any moment after this
        // message: take the icon out of the notification area and end here.
        TrayIcon1.SetVisible(false);
        ExitProcess(0);
      }
      return 0;
    default:
      break;
  }
  return Form::HandleMessage(message, wParam, lParam);
}
