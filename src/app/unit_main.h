// The main window: the portal's compact page in a fixed-size window that hides to the
// notification area when closed and is brought back by a restore request from a second start.
#pragma once

#include <memory>

#include "addresses.h"
#include "application.h"
#include "bitmap_button.h"
#include "flash_player.h"
#include "form.h"
#include "page_flow.h"
#include "picture.h"
#include "popup_menu.h"
#include "skin_provider.h"
#include "skinned_edit.h"
#include "tray_icon.h"
#include "web_browser.h"

class TFormMain : public win::Form {
 public:
  explicit TFormMain(win::Application& application);

  // Handlers.
  void FormCreate() override;
  void FormCloseQuery(bool& canClose) override;
  void FormResize() override;
  void FormPaint();
  void RestoreRequest();
  void WMQueryEndSession();
  void TrayIcon1Click();
  void N12Click();
  void N13Click();
  void N6Click();
  void N2Click();
  void N3Click();
  void N4Click();
  void N5Click();
  void PMTIAboutClick();
  void N10Click();
  void N9Click();
  void N16Click();
  void N17Click();
  void N18Click();
  void N1Click();
  void sTitleBar1Items0Click();
  void sTitleBar1Items1Click();
  void sTitleBar1Items6Click();
  void RzBmpButtonSearchClick();
  void EmbeddedWB1DocumentComplete(const std::u16string& url);
  void EmbeddedWB1NavigateError();
  void EmbeddedWB1NewWindow3(const std::u16string& url, bool& cancel);

  // Pictures, before the components that show them.
  win::Picture TitleIcon;
  win::Picture GlyphLogin, GlyphRegister, GlyphMore, GlyphRefresh;
  win::Picture SearchPicture;
  win::Picture MenuAboutPicture, MenuRefreshPicture;

  // Components.
  win::WebBrowser EmbeddedWB1;
  win::FlashPlayer sfFlashPlayer1;                 // the banner, windowless over the top strip
  std::unique_ptr<win::MenuPainter> menuPainter_;  // every menu's skin
  win::TrayIcon TrayIcon1;
  std::unique_ptr<win::PopupMenu> PopupMenuTrayIcon;
  std::unique_ptr<win::PopupMenu> PopupMenuMore;
  win::SkinnedEdit sEditSearch;
  win::BitmapButton RzBmpButtonSearch;
  // The skinned frame and title bar; after the menus it drops down.
  std::unique_ptr<win::SkinProvider> sSkinProvider1;

 protected:
  void CreateParams(win::CreateParams& params) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Brings the window back: normal state, shown in front, focused.
  void BringBack();
  void Quit();
  // Loads the compact page again, with the time of day as a cache-buster.
  void RefreshPage();
  void ShowAbout();
  void OpenRelatedSite(int index);

  portal::PageFlow pageFlow_;
  win::UniqueFont controlFont_;  // Tahoma, 8 points
};

// The program's main window, set before its creation handler runs.
extern TFormMain* FormMain;

// The program-wide portal addresses: empty until FormCreate fills them.
extern portal::AddressTable PortalAddresses;

// The compact page's address with the time of day as a cache-buster, from the user's long time
// format as it is at the moment of the call.
std::u16string BuildRefreshAddress();

// The running executable's full path.
std::u16string ExecutablePath();

// The error page carried inside the program, shown when the one on disk cannot be loaded.
std::u16string BuiltInErrorAddress();

// Hands an address to the shell, which opens it with the user's default handler. The result is
// not looked at: a failure has no effect.
void ShellOpen(const std::u16string& address);
