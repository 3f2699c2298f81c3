// The about box: the product's picture, rights notice, version and the portal's address as a
// link. Created hidden right after the main window, owned by it and kept above it; shown
// modeless by the about commands; closing it only hides it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "application.h"
#include "form.h"
#include "handles.h"
#include "menu_painter.h"
#include "picture.h"
#include "skin_provider.h"

class TFormAbout : public win::Form {
 public:
  TFormAbout(win::Application& application, win::Form& owner);

  // A text drawn at its place in the box, sized to its text.
  struct Label {
    std::wstring caption;
    int left = 0;
    int top = 0;
    HFONT font = nullptr;  // owned by the form
    RECT Bounds(HWND window) const;
  };

  // Components, back to front.
  win::Picture RzBackground1Picture;
  Label sLabel1;
  Label sWebLabel1;
  std::wstring sWebLabel1URL;
  Label sLabelVersion;
  std::unique_ptr<win::MenuPainter> menuPainter_;
  std::unique_ptr<win::SkinProvider> sSkinProvider1;  // the frame: a close button only

  void FormCreate() override;
  // Whether the pointer is over the link (it is drawn in the hover colour).
  bool LinkHot() const { return linkHot_; }

 protected:
  void CreateParams(win::CreateParams& params) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;
  bool OverLink(POINT client) const;
  void SetLinkHot(bool hot);

  win::Form& owner_;
  win::UniqueFont boldFont_, linkFont_, versionFont_;
  bool linkHot_ = false;
  SIZE minimumSize_{};
};

extern TFormAbout* FormAbout;
