#include "menu_painter.h"

#include <cwctype>

namespace win {
namespace {

// Item measures of the skinned menus, in pixels.
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kIconColumn = 26;   // wide enough for a 16 x 16 picture and its margins
constexpr int kTextIndent = 8;    // from the icon column to the caption
constexpr int kRightMargin = 28;  // room for a submenu arrow
constexpr int kShortcutGap = 24;  // between the caption and its shortcut text

std::wstring CaptionPart(const std::wstring& caption, bool shortcut) {
  const std::size_t tab = caption.find(L'\t');
  if (tab == std::wstring::npos) return shortcut ? std::wstring() : caption;
  return shortcut ? caption.substr(tab + 1) : caption.substr(0, tab);
}

// The mnemonic of a caption: the character after a single "&", lower-cased.
wchar_t Mnemonic(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (caption[i + 1] != L'&') return wchar_t(std::towlower(caption[i + 1]));
      ++i;
    }
  }
  return 0;
}

}  // namespace

MenuPainter::MenuPainter(const SkinTheme& theme)
    : theme_(theme), background_(CreateSolidBrush(ToColorRef(theme.menuColour))) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_.reset(CreateFontIndirectW(&metrics.lfMenuFont));
  }
}

void MenuPainter::Measure(MEASUREITEMSTRUCT& item) const {
  const auto* data = reinterpret_cast<const MenuItemData*>(item.itemData);
  if (!data || data->separator) {
    item.itemWidth = kIconColumn;
    item.itemHeight = kSeparatorHeight;
    return;
  }
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
  auto width = [dc](const std::wstring& text) {
    RECT r{};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    return int(r.right);
  };
  const std::wstring shortcut = CaptionPart(data->caption, true);
  int total = kIconColumn + kTextIndent + width(CaptionPart(data->caption, false)) + kRightMargin;
  if (!shortcut.empty()) total += kShortcutGap + width(shortcut);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // The system adds the width of a check mark to owner-drawn items; it is in our column.
  item.itemWidth = UINT(std::max(0, total - GetSystemMetrics(SM_CXMENUCHECK) + 1));
  item.itemHeight = kItemHeight;
}

void MenuPainter::Draw(const DRAWITEMSTRUCT& item) const {
  const auto* data = reinterpret_cast<const MenuItemData*>(item.itemData);
  const HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const skin::Rect whole{r.left, r.top, r.right, r.bottom};
  const skin::Rect column{r.left, r.top, r.left + kIconColumn, r.bottom};
  const bool disabled = item.itemState & (ODS_GRAYED | ODS_DISABLED);
  const bool selected = (item.itemState & ODS_SELECTED) && data && !data->separator;

  if (selected) {
    FillVerticalGradient(dc, whole, theme_.menuHotStart, theme_.menuHotEnd);
  } else {
    FillColour(dc, whole, theme_.menuColour);
    FillColour(dc, column, theme_.iconLineColour);
    DrawNineSlice(dc, theme_.atlas, theme_.iconLineBorder.rect, theme_.iconLineBorder.borders,
                  column);
  }
  if (!data) return;
  if (data->separator) {
    const int y = (r.top + r.bottom) / 2;
    FillColour(dc, skin::Rect{column.right + kTextIndent, y, r.right - 2, y + 1},
               theme_.separatorColour);
    return;
  }

  const skin::Colour& text = selected ? theme_.menuHotFontColour : theme_.menuFontColour;
  if (data->picture && !data->picture->Empty()) {
    const int x = column.left + (kIconColumn - data->picture->Width()) / 2;
    const int y = r.top + (r.bottom - r.top - data->picture->Height()) / 2;
    DrawPicture(dc, *data->picture, x, y);
  } else if (item.itemState & ODS_CHECKED) {
    // A check mark of two strokes, centred in the column.
    const int cx = column.left + kIconColumn / 2, cy = (r.top + r.bottom) / 2;
    const HPEN pen = CreatePen(PS_SOLID, 2, ToColorRef(text));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const POINT mark[] = {{cx - 5, cy}, {cx - 2, cy + 3}, {cx + 4, cy - 4}};
    Polyline(dc, mark, 3);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }

  const HGDIOBJ oldFont = SelectObject(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : ToColorRef(text));
  RECT textRect{column.right + kTextIndent, r.top, r.right - kRightMargin, r.bottom};
  const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  const std::wstring caption = CaptionPart(data->caption, false);
  const std::wstring shortcut = CaptionPart(data->caption, true);
  DrawTextW(dc, caption.c_str(), int(caption.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
  if (!shortcut.empty()) {
    DrawTextW(dc, shortcut.c_str(), int(shortcut.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT | prefix);
  }
  SelectObject(dc, oldFont);
  // The system draws a submenu's arrow after us; the rest of the item is ours.
}

LRESULT MenuPainter::MenuChar(wchar_t key, HMENU menu) const {
  const wchar_t wanted = wchar_t(std::towlower(key));
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_STATE;
    if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &info)) continue;
    const auto* data = reinterpret_cast<const MenuItemData*>(info.dwItemData);
    if (data && !data->separator && !(info.fState & MFS_DISABLED) &&
        Mnemonic(data->caption) == wanted) {
      return MAKELRESULT(i, MNC_EXECUTE);
    }
  }
  return MAKELRESULT(0, MNC_IGNORE);
}

}  // namespace win
