#include "popup_menu.h"

#include <commctrl.h>

namespace win {

PopupMenu::PopupMenu(const std::vector<MenuEntry>& entries, const MenuPainter* painter)
    : painter_(painter) {
  // Built in the body: Build fills the tables, which are constructed only after menu_.
  menu_.reset(Build(entries));
}

HMENU PopupMenu::Build(const std::vector<MenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  if (painter_) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = painter_->Background();  // the painter owns the brush
    SetMenuInfo(menu, &info);
  }
  for (const MenuEntry& entry : entries) {
    if (entry.caption == L"-") {
      Append(menu, MF_SEPARATOR, 0, entry);
    } else if (!entry.children.empty()) {
      // The submenu belongs to its parent: DestroyMenu of the parent destroys it too.
      Append(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(Build(entry.children)), entry);
    } else {
      const UINT command = nextCommand_++;
      Append(menu, MF_STRING, command, entry);
      if (entry.onClick) handlers_[command] = entry.onClick;
      commands_[entry.name] = command;
    }
  }
  return menu;
}

void PopupMenu::Append(HMENU menu, UINT flags, UINT_PTR id, const MenuEntry& entry) {
  if (!entry.enabled) flags |= MF_GRAYED;
  if (!painter_) {
    AppendMenuW(menu, flags, id, flags & MF_SEPARATOR ? nullptr : entry.caption.c_str());
    return;
  }
  items_.push_back(MenuItemData{entry.caption, entry.picture, (flags & MF_SEPARATOR) != 0});
  // Owner-drawn, and still carrying its caption as text: for GetMenuString, accessibility
  // tools and anyone else who reads the menu.
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_STATE;
  info.fType = MFT_OWNERDRAW | ((flags & MF_SEPARATOR) ? MFT_SEPARATOR : 0);
  info.fState = (flags & MF_GRAYED) ? MFS_GRAYED : MFS_ENABLED;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(&items_.back());
  if (flags & MF_POPUP) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = reinterpret_cast<HMENU>(id);
  } else {
    info.wID = UINT(id);
  }
  if (!(flags & MF_SEPARATOR)) {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = const_cast<LPWSTR>(items_.back().caption.c_str());
  }
  InsertMenuItemW(menu, UINT(GetMenuItemCount(menu)), TRUE, &info);
}

LRESULT CALLBACK PopupMenu::OwnerSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
  const MenuPainter& painter = *reinterpret_cast<const PopupMenu*>(self)->painter_;
  switch (message) {
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_MENU) break;
      painter.Measure(*item);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_MENU) break;
      painter.Draw(*item);
      return TRUE;
    }
    case WM_MENUCHAR:
      return painter.MenuChar(wchar_t(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void PopupMenu::Popup(HWND owner, POINT at, UINT alignment) {
  SetForegroundWindow(owner);
  // The owner is asked to measure and draw owner-drawn items: for the life of the menu, this
  // menu answers in its place.
  const UINT_PTR id = reinterpret_cast<UINT_PTR>(this);
  if (painter_) SetWindowSubclass(owner, &OwnerSubclass, id, reinterpret_cast<DWORD_PTR>(this));
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(menu_.get(), alignment | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                       at.x, at.y, owner, nullptr));
  if (painter_) RemoveWindowSubclass(owner, &OwnerSubclass, id);
  PostMessageW(owner, WM_NULL, 0, 0);
  if (const auto handler = handlers_.find(command); handler != handlers_.end()) {
    handler->second();
  }
}

UINT PopupMenu::CommandOf(const std::wstring& name) const {
  const auto found = commands_.find(name);
  return found == commands_.end() ? 0 : found->second;
}

void PopupMenu::SetChecked(const std::wstring& name, bool checked) {
  CheckMenuItem(menu_.get(), CommandOf(name), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool PopupMenu::Checked(const std::wstring& name) const {
  return (GetMenuState(menu_.get(), CommandOf(name), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

}  // namespace win
