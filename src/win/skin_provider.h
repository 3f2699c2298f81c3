// A form's skin: the frame, title row and client background drawn from the program's skin
// instead of the system's, with the title-bar items and the minimise and close buttons.
//
// The form stays a standard window (caption, system menu, minimise box), so the system treats
// it as one: activation, the taskbar, Alt+Tab, minimising. Only its non-client area is ours:
// WM_NCCALCSIZE gives it the skin's widths (frame line and title row), WM_NCPAINT and
// WM_NCACTIVATE draw it, WM_NCHITTEST names its parts. Drawing goes through one background
// picture of the whole window (frame, title row, logo, client fill) that is rebuilt only when
// what it shows changes (first show, activation, minimise and restore, caption or size, a
// WM_PRINT); each rebuild raises onPaintBackground, which may draw into the client part of it.
// Button and item states are drawn over it at each paint. Drawing the title row on top of a
// system caption was rejected: themes, DWM and Wine each draw their own, differently.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "form.h"
#include "frame_shadow.h"
#include "geometry.h"
#include "handles.h"
#include "picture.h"
#include "popup_menu.h"
#include "skin_theme.h"

namespace win {

struct TitleBarItem {
  bool spacing = false;  // an invisible spacer
  int width = 0;
  int height = 0;
  const Picture* glyph = nullptr;
  std::function<void()> onClick;
  PopupMenu* dropdownMenu = nullptr;  // opened on press, below the item, left edges aligned
};

class SkinProvider : private MessageHook {
 public:
  // `titleIcon` is drawn at its own size from the icon cell's corner; `items` are laid out
  // right-aligned before the minimise button. Installs itself as the form's message hook.
  SkinProvider(Form& form, const SkinTheme& theme, const MenuPainter* menuPainter,
               const Picture* titleIcon, std::vector<TitleBarItem> items, bool minimizeButton);
  ~SkinProvider();

  // Raised each time the background picture is rebuilt, with a context on that picture whose
  // origin is the client area's top-left corner.
  std::function<void(HDC background)> onPaintBackground;
  // Raised after the client area's background has been drawn, with the client's context: what
  // is drawn here lies over the background and under the child windows.
  std::function<void(HDC client)> onPaintClient;

  // Opens the window menu at a screen point: the system's captions, drawn in the skin.
  void ShowWindowMenu(POINT at);

  // Frame geometry: title row and button and item places, in frame coordinates.
  const skin::TitleRowLayout& Layout() const { return layout_; }
  int TitleHeight() const { return theme_.titleHeight; }
  int BorderWidth() const { return theme_.borderWidth; }

  // The background picture's pixels are rebuilt before the next paint.
  void Invalidate();

 private:
  bool HookMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  HWND Window() const { return form_.Handle(); }
  skin::Point FramePoint(POINT screen) const;
  skin::TitleHit HitAt(POINT screen) const;
  LRESULT NcHitTest(POINT screen) const;
  void Relayout();
  void EnsureBackground();
  void PaintFrame(HDC windowDc);
  void PaintClient(HDC dc);
  void RedrawFrame();
  void SetHot(skin::TitleHit hot);
  void Press(skin::TitleHit hit);
  void Release(bool perform);
  void ApplyRegion();

  Form& form_;
  const SkinTheme& theme_;
  const MenuPainter* menuPainter_;
  const Picture* titleIcon_;
  std::vector<TitleBarItem> items_;
  std::vector<skin::TitleItem> itemGeometry_;
  bool minimizeButton_;
  skin::TitleRowLayout layout_;
  FrameShadow shadow_;

  UniqueBitmap background_;
  SIZE backgroundSize_{};
  bool dirty_ = true;
  bool active_ = false;
  skin::TitleHit hot_;
  skin::TitleHit pressed_;
  bool tracking_ = false;  // a button or item is held with the mouse captured
  bool menuOpen_ = false;
};

}  // namespace win
