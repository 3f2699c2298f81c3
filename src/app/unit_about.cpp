#include "unit_about.h"

#include <shellapi.h>
#include <windowsx.h>

#include "addresses.h"
#include "product_info.h"
#include "text.h"

TFormAbout* FormAbout = nullptr;

namespace {

constexpr int kClientWidth = 438;
constexpr int kClientHeight = 271;

HFONT Tahoma(int height, int weight) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
}

// The portal base address without its scheme: the host (and port) alone.
std::wstring HostOf(std::u16string_view base) {
  const std::size_t scheme = base.find(u"://");
  return win::Wide(scheme == std::u16string_view::npos ? base : base.substr(scheme + 3));
}

}  // namespace

RECT TFormAbout::Label::Bounds(HWND window) const {
  const HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return RECT{left, top, left + size.cx, top + size.cy};
}

TFormAbout::TFormAbout(win::Application& application, win::Form& owner)
    : Form(application, L"TFormAbout"), owner_(owner) {
  centerOnFirstShow_ = true;
  boldFont_.reset(Tahoma(-13, FW_BOLD));
  linkFont_.reset(Tahoma(-13, FW_NORMAL));
  versionFont_.reset(Tahoma(-11, FW_NORMAL));
  sLabel1 = {L"", 16, 192, boldFont_.get()};
  sWebLabel1 = {L"", 16, 214, linkFont_.get()};
  sLabelVersion = {L"", 16, 236, versionFont_.get()};
  RzBackground1Picture = win::LoadPictureResource(L"ABOUT_PICTURE");
  const win::SkinTheme& theme = win::SkinTheme::Instance();
  menuPainter_ = std::make_unique<win::MenuPainter>(theme);
  sSkinProvider1 = std::make_unique<win::SkinProvider>(*this, theme, menuPainter_.get(), nullptr,
                                                       std::vector<win::TitleBarItem>{}, false);
}

void TFormAbout::CreateParams(win::CreateParams& params) {
  Form::CreateParams(params);
  params.caption = L"关于我们";
  // Close only, and sizeable.
  params.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
  params.owner = owner_.Handle();
  params.windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void TFormAbout::FormCreate() {
  SetClientSize(kClientWidth, kClientHeight);
  RECT window{};
  GetWindowRect(Handle(), &window);
  minimumSize_ = {window.right - window.left, window.bottom - window.top};
  // 1-4. The texts.
  sLabel1.caption = MK_WIDE(MK_RIGHTS_NOTICE);
  sLabelVersion.caption = L"版本:1.0.0";
  sWebLabel1.caption = win::Wide(portal::kBaseAddress);
  sWebLabel1URL = HostOf(portal::kBaseAddress);
  // 5. Kept above other windows from its first showing on.
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFormAbout::Paint(HDC target) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  // Drawn off screen, then shown at once.
  const HDC dc = CreateCompatibleDC(target);
  const HBITMAP canvas = CreateCompatibleBitmap(target, client.right, client.bottom);
  const HGDIOBJ oldBitmap = SelectObject(dc, canvas);

  const COLORREF top = GetSysColor(COLOR_INACTIVEBORDER);
  win::FillVerticalGradient(dc, skin::Rect{0, 0, client.right, client.bottom},
                            skin::Colour{GetRValue(top), GetGValue(top), GetBValue(top)},
                            skin::Colour{255, 255, 255});
  win::DrawPicture(dc, RzBackground1Picture, (client.right - RzBackground1Picture.Width()) / 2,
                   (client.bottom - RzBackground1Picture.Height()) / 2);

  const win::SkinTheme& theme = win::SkinTheme::Instance();
  SetBkMode(dc, TRANSPARENT);
  auto draw = [&](const Label& label, const skin::Colour& colour) {
    const HGDIOBJ oldFont = SelectObject(dc, label.font);
    SetTextColor(dc, win::ToColorRef(colour));
    TextOutW(dc, label.left, label.top, label.caption.c_str(), int(label.caption.size()));
    SelectObject(dc, oldFont);
  };
  draw(sLabel1, theme.textColour);
  draw(sWebLabel1, linkHot_ ? theme.linkHotColour : theme.linkColour);
  draw(sLabelVersion, theme.textColour);

  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(canvas);
  DeleteDC(dc);
}

bool TFormAbout::OverLink(POINT client) const {
  const RECT bounds = sWebLabel1.Bounds(Handle());
  return PtInRect(&bounds, client) != FALSE;
}

void TFormAbout::SetLinkHot(bool hot) {
  if (hot == linkHot_) return;
  linkHot_ = hot;
  const RECT bounds = sWebLabel1.Bounds(Handle());
  InvalidateRect(Handle(), &bounds, FALSE);
}

LRESULT TFormAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the background covers the whole client area
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      Paint(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_SIZE:
      InvalidateRect(Handle(), nullptr, FALSE);  // the picture stays centred
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (minimumSize_.cx > 0) info->ptMinTrackSize = POINT{minimumSize_.cx, minimumSize_.cy};
      break;
    }
    case WM_SETCURSOR: {
      POINT cursor{};
      GetCursorPos(&cursor);
      ScreenToClient(Handle(), &cursor);
      if (LOWORD(lParam) == HTCLIENT && OverLink(cursor)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_MOUSEMOVE: {
      SetLinkHot(OverLink(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
      TrackMouseEvent(&track);
      break;
    }
    case WM_MOUSELEAVE:
      SetLinkHot(false);
      break;
    case WM_LBUTTONDOWN:
      // The link opens on the press, not on the release.
      if (OverLink(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) && !sWebLabel1URL.empty()) {
        ShellExecuteW(application_.Handle(), L"open", sWebLabel1URL.c_str(), nullptr, nullptr,
                      SW_SHOWDEFAULT);
        return 0;
      }
      break;
    default:
      break;
  }
  return Form::HandleMessage(message, wParam, lParam);
}
