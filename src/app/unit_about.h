// The about box: created hidden right after the main window, owned by it.
#pragma once

#include <memory>

#include "application.h"
#include "form.h"
#include "menu_painter.h"
#include "skin_provider.h"

class TFormAbout : public win::Form {
 public:
  TFormAbout(win::Application& application, win::Form& owner);

  // Components.
  std::unique_ptr<win::MenuPainter> menuPainter_;
  std::unique_ptr<win::SkinProvider> sSkinProvider1;  // the frame: a close button only

 protected:
  void CreateParams(win::CreateParams& params) override;

 private:
  win::Form& owner_;
};

extern TFormAbout* FormAbout;
