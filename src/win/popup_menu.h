// A popup menu built from a table of entries. Popup shows it modally at a screen point and runs
// the chosen entry's handler after the menu has closed.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "handles.h"
#include "menu_painter.h"

namespace win {

struct MenuEntry {
  std::wstring name;     // the entry's designer name, e.g. "N13"
  std::wstring caption;  // "-" makes a separator
  std::function<void()> onClick;
  std::vector<MenuEntry> children;   // non-empty: a submenu
  const Picture* picture = nullptr;  // drawn in the icon column of a skinned menu
  bool enabled = true;
};

class PopupMenu {
 public:
  // With a painter, every item is drawn in the skin; without, the system draws the menu.
  explicit PopupMenu(const std::vector<MenuEntry>& entries, const MenuPainter* painter = nullptr);

  HMENU Handle() const { return menu_.get(); }

  // Shows the menu for `owner` at `at` (screen coordinates). The owner is brought to the
  // foreground first so that a click elsewhere closes the menu, and is sent a WM_NULL
  // afterwards so that a menu opened from the notification area closes on the first try.
  void Popup(HWND owner, POINT at, UINT alignment = TPM_LEFTALIGN | TPM_TOPALIGN);

  // The command identifier of an entry by its designer name (0 when there is none).
  UINT CommandOf(const std::wstring& name) const;
  void SetChecked(const std::wstring& name, bool checked);
  bool Checked(const std::wstring& name) const;

 private:
  HMENU Build(const std::vector<MenuEntry>& entries);
  void Append(HMENU menu, UINT flags, UINT_PTR id, const MenuEntry& entry);
  static LRESULT CALLBACK OwnerSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);

  const MenuPainter* painter_;
  std::deque<MenuItemData> items_;  // the owner-drawn items' data, at stable addresses
  UniqueMenu menu_;
  UINT nextCommand_ = 1;
  std::map<UINT, std::function<void()>> handlers_;
  std::map<std::wstring, UINT> commands_;
};

}  // namespace win
