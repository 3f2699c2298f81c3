#include "skinned_edit.h"

#include <commctrl.h>

#include <stdexcept>

namespace win {

SkinnedEdit::~SkinnedEdit() {
  if (edit_ && IsWindow(edit_)) RemoveWindowSubclass(edit_, &SubclassProc, 1);
}

void SkinnedEdit::Create(HWND parent, const SkinTheme& theme, const std::wstring& text, HFONT font,
                         COLORREF textColour) {
  theme_ = &theme;
  textColour_ = textColour;
  face_.reset(CreateSolidBrush(ToColorRef(theme.editColour)));
  // No WS_BORDER: an edit would draw that border itself, inside its client area. The subclass
  // reserves a one-pixel non-client frame instead and draws it from the skin.
  edit_ =
      CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                      0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!edit_) throw std::runtime_error("The edit cannot be created");
  SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowSubclass(edit_, &SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The frame is ours: recalculated now that the subclass reserves it.
  SetWindowPos(edit_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SkinnedEdit::SetBounds(int left, int top, int width, int height) {
  SetWindowPos(edit_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinnedEdit::SetText(const std::wstring& text) { SetWindowTextW(edit_, text.c_str()); }

std::wstring SkinnedEdit::Text() const {
  std::wstring text(std::size_t(GetWindowTextLengthW(edit_)) + 1, L'\0');
  text.resize(std::size_t(GetWindowTextW(edit_, text.data(), int(text.size()))));
  return text;
}

LRESULT SkinnedEdit::ControlColour(HDC dc) const {
  SetTextColor(dc, textColour_);
  SetBkColor(dc, ToColorRef(theme_->editColour));
  return reinterpret_cast<LRESULT>(face_.get());
}

void SkinnedEdit::PaintFrame() const {
  RECT window{}, client{};
  GetWindowRect(edit_, &window);
  GetClientRect(edit_, &client);
  MapWindowPoints(edit_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int width = window.right - window.left, height = window.bottom - window.top;
  const HDC dc = GetWindowDC(edit_);
  ExcludeClipRect(dc, client.left - window.left, client.top - window.top,
                  client.right - window.left, client.bottom - window.top);
  DrawNineSlice(dc, theme_->atlas, theme_->editBorder.rect, theme_->editBorder.borders,
                skin::Rect{0, 0, width, height});
  ReleaseDC(edit_, dc);
}

LRESULT CALLBACK SkinnedEdit::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCALCSIZE: {
      RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                       : reinterpret_cast<RECT*>(lParam);
      InflateRect(r, -1, -1);
      break;
    }
    case WM_NCPAINT:
    case WM_PAINT:  // a themed edit draws its frame while painting, and on focus changes
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      reinterpret_cast<const SkinnedEdit*>(self)->PaintFrame();
      break;
    default:
      break;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &SubclassProc, 1);
    reinterpret_cast<SkinnedEdit*>(self)->edit_ = nullptr;
  }
  return result;
}

}  // namespace win
