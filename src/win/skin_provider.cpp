#include "skin_provider.h"

#include <windowsx.h>

namespace win {
namespace {

constexpr UINT kNcUahDrawCaption = 0x00AE;  // themed caption drawing of the system
constexpr UINT kNcUahDrawFrame = 0x00AF;

// Keeps the desktop window manager from drawing a frame of its own over ours.
void DisableSystemFrameRendering(HWND window) {
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  if (!dwm) return;
  const auto set = reinterpret_cast<SetAttribute>(
      reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
  if (!set) return;
  const DWORD disabled = 1;  // DWMNCRP_DISABLED
  set(window, 2 /* DWMWA_NCRENDERING_POLICY */, &disabled, sizeof disabled);
}

// A memory context with a bitmap selected for the life of the object.
class MemoryDc {
 public:
  explicit MemoryDc(HBITMAP bitmap)
      : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, bitmap)) {}
  ~MemoryDc() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

HBITMAP CreateCanvas(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

bool Lit(const skin::TitleHit& state, skin::TitlePart part, int item = -1) {
  return state.part == part && (part != skin::TitlePart::Item || state.item == item);
}

}  // namespace

SkinProvider::SkinProvider(Form& form, const SkinTheme& theme, const MenuPainter* menuPainter,
                           const Picture* titleIcon, std::vector<TitleBarItem> items,
                           bool minimizeButton)
    : form_(form),
      theme_(theme),
      menuPainter_(menuPainter),
      titleIcon_(titleIcon),
      items_(std::move(items)),
      minimizeButton_(minimizeButton),
      shadow_(theme) {
  for (const TitleBarItem& item : items_) {
    skin::Size glyph;
    if (item.glyph && !item.glyph->Empty()) glyph = {item.glyph->Width(), item.glyph->Height()};
    itemGeometry_.push_back(skin::TitleItem{{item.width, item.height}, item.spacing, glyph});
  }
  form_.SetMessageHook(this);
}

SkinProvider::~SkinProvider() { form_.SetMessageHook(nullptr); }

void SkinProvider::Relayout() {
  RECT window{};
  GetWindowRect(Window(), &window);
  skin::TitleRowInput in;
  in.frameWidth = window.right - window.left;
  in.titleHeight = theme_.titleHeight;
  in.border = theme_.borderWidth;
  in.iconLeft = theme_.iconLeft;
  in.buttonsRight = theme_.buttonsRight;
  in.buttonsTop = theme_.buttonsTop;
  in.buttonSpace = theme_.buttonSpace;
  const auto size = [](const StateImage& image) {
    return skin::Size{image.rect.Width() / std::max(image.states, 1), image.rect.Height()};
  };
  in.closeButton = size(theme_.closeButton);
  in.minimizeButton = minimizeButton_ ? size(theme_.minimizeButton) : skin::Size{0, 0};
  in.blockGap = 6;     // between the item block and the minimise button
  in.glyphIndent = 7;  // menu-style item margin 4 plus the bar's item margin 3
  in.iconCell = 16;    // the icon cell of a title row of 17 pixels or more
  in.items = itemGeometry_;
  layout_ = skin::LayoutTitleRow(in);
}

skin::Point SkinProvider::FramePoint(POINT screen) const {
  RECT window{};
  GetWindowRect(Window(), &window);
  return skin::Point{screen.x - window.left, screen.y - window.top};
}

skin::TitleHit SkinProvider::HitAt(POINT screen) const {
  skin::TitleHit hit = skin::HitTitleRow(layout_, itemGeometry_, FramePoint(screen));
  if (hit.part == skin::TitlePart::Minimize && !minimizeButton_) hit = {skin::TitlePart::Caption};
  return hit;
}

LRESULT SkinProvider::NcHitTest(POINT screen) const {
  RECT window{};
  GetWindowRect(Window(), &window);
  if (!PtInRect(&window, screen)) return HTNOWHERE;
  const skin::Point p = FramePoint(screen);
  const int b = theme_.borderWidth;
  const int width = window.right - window.left, height = window.bottom - window.top;
  if (GetWindowLongPtrW(Window(), GWL_STYLE) & WS_THICKFRAME) {
    // A sizeable window: a band along its edges sizes it, thin frame line or not.
    constexpr int kGrip = 4;
    const bool left = p.x < kGrip, right = p.x >= width - kGrip;
    const bool top = p.y < kGrip, bottom = p.y >= height - kGrip;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  if (p.x >= b && p.x < width - b && p.y >= theme_.titleHeight && p.y < height - b) {
    return HTCLIENT;
  }
  switch (HitAt(screen).part) {
    case skin::TitlePart::Close:
      return HTCLOSE;
    case skin::TitlePart::Minimize:
      return HTMINBUTTON;
    case skin::TitlePart::Item:
      return HTOBJECT;
    case skin::TitlePart::Caption:
      return HTCAPTION;
    case skin::TitlePart::None:
      break;
  }
  return HTBORDER;  // the frame line: no resizing
}

void SkinProvider::ApplyRegion() {
  RECT window{};
  GetWindowRect(Window(), &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  // The frame's corners are cut by a three-pixel diagonal.
  const POINT corners[] = {{3, 0},     {w - 3, 0}, {w, 3},     {w, h - 3},
                           {w - 3, h}, {3, h},     {0, h - 3}, {0, 3}};
  SetWindowRgn(Window(), CreatePolygonRgn(corners, 8, WINDING), IsWindowVisible(Window()));
}

void SkinProvider::Invalidate() {
  dirty_ = true;
  if (IsWindowVisible(Window())) {
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
}

void SkinProvider::EnsureBackground() {
  RECT window{};
  GetWindowRect(Window(), &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  if (!dirty_ && background_ && backgroundSize_.cx == w && backgroundSize_.cy == h) return;
  if (!background_ || backgroundSize_.cx != w || backgroundSize_.cy != h) {
    background_.reset(CreateCanvas(w, h));
    backgroundSize_ = {w, h};
  }
  if (!background_) return;
  MemoryDc dc(background_.get());
  const int s = theme_.shadow, b = theme_.borderWidth, t = theme_.titleHeight;
  FillColour(dc, skin::Rect{0, 0, w, h}, theme_.formColour);
  const skin::Rect state =
      skin::StateRect(theme_.frame.Bounds(), theme_.frameStates, active_ ? 1 : 0);
  DrawNineSlice(dc, theme_.frame, state, theme_.frameBorders, skin::Rect{-s, -s, w + s, h + s});
  FillColour(dc, skin::Rect{b, t, w - b, h - b}, theme_.formColour);
  if (titleIcon_) DrawPicture(dc, *titleIcon_, layout_.logo.x, layout_.logo.y);
  dirty_ = false;
  if (onPaintBackground) {
    POINT old{};
    SetViewportOrgEx(dc, b, t, &old);
    IntersectClipRect(dc, 0, 0, w - 2 * b, h - t - b);
    onPaintBackground(dc);
    SelectClipRgn(dc, nullptr);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
  GdiFlush();
}

void SkinProvider::PaintFrame(HDC windowDc) {
  EnsureBackground();
  if (!background_) return;
  const int w = backgroundSize_.cx, h = backgroundSize_.cy;
  UniqueBitmap composite(CreateCanvas(w, h));
  if (!composite) return;
  {
    MemoryDc dc(composite.get());
    MemoryDc source(background_.get());
    BitBlt(dc, 0, 0, w, h, source, 0, 0, SRCCOPY);
    auto button = [&](const StateImage& image, const skin::Rect& at, skin::TitlePart part) {
      const int index = Lit(pressed_, part) && Lit(hot_, part) ? 2 : Lit(hot_, part) ? 1 : 0;
      DrawPicture(dc, theme_.atlas, skin::StateRect(image.rect, image.states, index), at);
    };
    if (minimizeButton_) button(theme_.minimizeButton, layout_.minimize, skin::TitlePart::Minimize);
    button(theme_.closeButton, layout_.close, skin::TitlePart::Close);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].spacing) continue;
      const bool lit =
          Lit(hot_, skin::TitlePart::Item, int(i)) || Lit(pressed_, skin::TitlePart::Item, int(i));
      DrawPicture(dc, theme_.atlas, lit ? theme_.itemHotPattern : theme_.itemPattern,
                  layout_.items[i]);
      if (items_[i].glyph) {
        DrawPicture(dc, *items_[i].glyph, items_[i].glyph->Bounds(), layout_.glyphs[i]);
      }
    }
    const int b = theme_.borderWidth;
    const int saved = SaveDC(windowDc);
    ExcludeClipRect(windowDc, b, theme_.titleHeight, w - b, h - b);
    BitBlt(windowDc, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    RestoreDC(windowDc, saved);
  }
}

void SkinProvider::PaintClient(HDC dc) {
  EnsureBackground();
  if (!background_) return;
  RECT client{};
  GetClientRect(Window(), &client);
  MemoryDc source(background_.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, source, theme_.borderWidth, theme_.titleHeight,
         SRCCOPY);
  if (onPaintClient) onPaintClient(dc);
}

void SkinProvider::RedrawFrame() {
  if (!IsWindowVisible(Window())) return;
  const HDC dc = GetWindowDC(Window());
  PaintFrame(dc);
  ReleaseDC(Window(), dc);
}

void SkinProvider::SetHot(skin::TitleHit hot) {
  if (hot == hot_) return;
  hot_ = hot;
  RedrawFrame();
}

void SkinProvider::Press(skin::TitleHit hit) {
  if (hit.part == skin::TitlePart::Item) {
    TitleBarItem& item = items_[std::size_t(hit.item)];
    if (item.dropdownMenu) {
      pressed_ = hit;
      menuOpen_ = true;
      RedrawFrame();
      RECT window{};
      GetWindowRect(Window(), &window);
      const skin::Rect& at = layout_.items[std::size_t(hit.item)];
      item.dropdownMenu->Popup(Window(), POINT{window.left + at.left, window.top + at.bottom});
      menuOpen_ = false;
      pressed_ = {};
      POINT cursor{};
      GetCursorPos(&cursor);
      hot_ = HitAt(cursor) == hit ? hit : skin::TitleHit{};
      RedrawFrame();
      return;
    }
    if (!item.onClick) return;
  }
  pressed_ = hit;
  hot_ = hit;
  tracking_ = true;
  SetCapture(Window());
  RedrawFrame();
}

void SkinProvider::Release(bool perform) {
  const skin::TitleHit target = pressed_;
  tracking_ = false;
  pressed_ = {};
  if (!perform) hot_ = {};
  if (GetCapture() == Window()) ReleaseCapture();
  RedrawFrame();
  if (!perform) return;
  switch (target.part) {
    case skin::TitlePart::Close:
      PostMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case skin::TitlePart::Minimize:
      PostMessageW(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case skin::TitlePart::Item:
      if (items_[std::size_t(target.item)].onClick) items_[std::size_t(target.item)].onClick();
      break;
    default:
      break;
  }
}

void SkinProvider::ShowWindowMenu(POINT at) {
  const HWND hwnd = Window();
  const HMENU system = GetSystemMenu(hwnd, FALSE);
  auto entry = [&](UINT command, const wchar_t* fallback, bool enabled) {
    MenuEntry e;
    wchar_t text[128] = {};
    e.caption = system && GetMenuStringW(system, command, text, 128, MF_BYCOMMAND) > 0
                    ? std::wstring(text)
                    : std::wstring(fallback);
    e.enabled = enabled;
    if (enabled) e.onClick = [hwnd, command] { PostMessageW(hwnd, WM_SYSCOMMAND, command, 0); };
    return e;
  };
  MenuEntry separator;
  separator.caption = L"-";
  // The window cannot be resized or maximised: restore and size are shown disabled, maximise
  // not at all. A caption the system's menu lacks is replaced by our own.
  const std::vector<MenuEntry> entries = {
      entry(SC_RESTORE, L"还原(&R)", false),
      entry(SC_MOVE, L"移动(&M)", true),
      entry(SC_SIZE, L"大小(&S)", false),
      entry(SC_MINIMIZE, L"最小化(&N)", true),
      separator,
      entry(SC_CLOSE, L"关闭(&C)\tAlt+F4", true),
  };
  PopupMenu menu(entries, menuPainter_);
  menu.Popup(hwnd, at);
}

bool SkinProvider::HookMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const HWND hwnd = Window();
  switch (message) {
    case WM_CREATE:
      DisableSystemFrameRendering(hwnd);
      return false;
    case WM_NCCALCSIZE: {
      RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                       : reinterpret_cast<RECT*>(lParam);
      r->left += theme_.borderWidth;
      r->top += theme_.titleHeight;
      r->right -= theme_.borderWidth;
      r->bottom -= theme_.borderWidth;
      result = 0;
      return true;
    }
    case WM_NCACTIVATE:
      active_ = wParam != 0;
      if (lParam != -1) Invalidate();
      shadow_.Follow(hwnd, active_);
      result = TRUE;
      return true;
    case WM_NCPAINT:
      RedrawFrame();
      result = 0;
      return true;
    case kNcUahDrawCaption:
    case kNcUahDrawFrame:
      result = 0;
      return true;
    case WM_SETTEXT:
    case WM_SETICON: {
      // The system would draw its own caption right away: let it store the text unseen.
      const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
      if (style & WS_VISIBLE) SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~WS_VISIBLE);
      result = DefWindowProcW(hwnd, message, wParam, lParam);
      if (style & WS_VISIBLE) SetWindowLongPtrW(hwnd, GWL_STYLE, style);
      Invalidate();
      return true;
    }
    case WM_ERASEBKGND:
      PaintClient(reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case WM_PRINT: {
      // Drawn here in full: the frame, then the client background below it, then whatever the
      // client draws itself.
      const HDC dc = reinterpret_cast<HDC>(wParam);
      dirty_ = true;
      POINT old{};
      if (lParam & PRF_NONCLIENT) {
        PaintFrame(dc);
        OffsetViewportOrgEx(dc, theme_.borderWidth, theme_.titleHeight, &old);
      }
      if (lParam & (PRF_ERASEBKGND | PRF_CLIENT)) PaintClient(dc);
      if (lParam & PRF_CLIENT) SendMessageW(hwnd, WM_PRINTCLIENT, wParam, lParam);
      if (lParam & PRF_NONCLIENT) SetViewportOrgEx(dc, old.x, old.y, nullptr);
      result = 0;
      return true;
    }
    case WM_NCHITTEST:
      result = NcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return true;
    case WM_NCMOUSEMOVE: {
      if (!tracking_ && !menuOpen_) {
        POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const skin::TitleHit hit = HitAt(cursor);
        SetHot(hit.part == skin::TitlePart::Caption || hit.part == skin::TitlePart::None
                   ? skin::TitleHit{}
                   : hit);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, hwnd, 0};
        TrackMouseEvent(&track);
      }
      result = 0;
      return true;
    }
    case WM_NCMOUSELEAVE:
      if (!tracking_ && !menuOpen_) SetHot({});
      result = 0;
      return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCLOSE || wParam == HTMINBUTTON || wParam == HTOBJECT) {
        POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        Press(HitAt(cursor));
        result = 0;
        return true;
      }
      return false;
    case WM_MOUSEMOVE:
      if (tracking_) {
        POINT cursor{};
        GetCursorPos(&cursor);
        const skin::TitleHit over = HitAt(cursor) == pressed_ ? pressed_ : skin::TitleHit{};
        SetHot(over);
        result = 0;
        return true;
      }
      if (!menuOpen_) SetHot({});
      return false;
    case WM_LBUTTONUP:
      if (tracking_) {
        POINT cursor{};
        GetCursorPos(&cursor);
        Release(HitAt(cursor) == pressed_);
        result = 0;
        return true;
      }
      return false;
    case WM_CAPTURECHANGED:
      if (tracking_) Release(false);
      return false;
    case WM_NCRBUTTONDOWN:
      if (wParam == HTCAPTION) {
        result = 0;
        return true;
      }
      return false;
    case WM_NCRBUTTONUP:
      if (wParam == HTCAPTION) {
        ShowWindowMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = 0;
        return true;
      }
      return false;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_KEYMENU:
          if (lParam == ' ') {
            RECT window{};
            GetWindowRect(hwnd, &window);
            ShowWindowMenu(
                POINT{window.left + theme_.borderWidth, window.top + theme_.titleHeight});
            result = 0;
            return true;
          }
          return false;
        case SC_MAXIMIZE:
          result = 0;
          return true;
        case SC_SIZE:
          if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME) return false;
          result = 0;
          return true;
        default:
          return false;
      }
    case WM_SIZE:
      Relayout();
      ApplyRegion();
      Invalidate();
      shadow_.Follow(hwnd, active_);
      return false;
    case WM_WINDOWPOSCHANGED:
      shadow_.Follow(hwnd, active_);
      return false;
    default:
      return false;
  }
}

}  // namespace win
