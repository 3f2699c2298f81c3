// Draws popup menus in the skin: owner-drawn items on the "MENUITEM" section's face, an icon
// column in the "ICOLINE" section with the items' pictures and check marks, separators, and the
// selected item in the section's gradient. Keyboard navigation stays the system's; mnemonics of
// owner-drawn items are matched here (WM_MENUCHAR).
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"
#include "picture.h"
#include "skin_theme.h"

namespace win {

// What an owner-drawn menu item carries (its item data).
struct MenuItemData {
  std::wstring caption;  // "&" marks the mnemonic, "\t" starts the shortcut text
  const Picture* picture = nullptr;
  bool separator = false;
};

class MenuPainter {
 public:
  explicit MenuPainter(const SkinTheme& theme);

  const SkinTheme& Theme() const { return theme_; }
  HBRUSH Background() const { return background_.get(); }

  void Measure(MEASUREITEMSTRUCT& item) const;
  void Draw(const DRAWITEMSTRUCT& item) const;
  // The answer to WM_MENUCHAR for a key pressed in `menu`.
  LRESULT MenuChar(wchar_t key, HMENU menu) const;

 private:
  const SkinTheme& theme_;
  UniqueFont font_;
  UniqueBrush background_;
};

}  // namespace win
