// A single-line edit drawn in the skin: its one-pixel frame cut from the skin's "EDIT" border
// mask, its face in the section's colour, its text in its own font and colour.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"
#include "skin_theme.h"

namespace win {

class SkinnedEdit {
 public:
  SkinnedEdit() = default;
  ~SkinnedEdit();
  SkinnedEdit(const SkinnedEdit&) = delete;
  SkinnedEdit& operator=(const SkinnedEdit&) = delete;

  // Throws std::runtime_error when the edit cannot be created.
  void Create(HWND parent, const SkinTheme& theme, const std::wstring& text, HFONT font,
              COLORREF textColour);
  HWND Handle() const { return edit_; }

  void SetBounds(int left, int top, int width, int height);
  void SetText(const std::wstring& text);
  std::wstring Text() const;

  // The parent's answer to WM_CTLCOLOREDIT for this edit.
  LRESULT ControlColour(HDC dc) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void PaintFrame() const;

  HWND edit_ = nullptr;  // a child of the parent, destroyed with it
  const SkinTheme* theme_ = nullptr;
  COLORREF textColour_ = 0;
  UniqueBrush face_;
};

}  // namespace win
