#include "popup_menu.h"

namespace win {

PopupMenu::PopupMenu(const std::vector<MenuEntry>& entries) {
  // Built in the body: Build fills the tables, which are constructed only after menu_.
  menu_.reset(Build(entries));
}

HMENU PopupMenu::Build(const std::vector<MenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.caption == L"-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (!entry.children.empty()) {
      // The submenu belongs to its parent: DestroyMenu of the parent destroys it too.
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(Build(entry.children)),
                  entry.caption.c_str());
    } else {
      const UINT command = nextCommand_++;
      AppendMenuW(menu, MF_STRING, command, entry.caption.c_str());
      if (entry.onClick) handlers_[command] = entry.onClick;
      commands_[entry.name] = command;
    }
  }
  return menu;
}

void PopupMenu::Popup(HWND owner, POINT at, UINT alignment) {
  SetForegroundWindow(owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(menu_.get(), alignment | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                       at.x, at.y, owner, nullptr));
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
