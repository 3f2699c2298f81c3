#include "unit_about.h"

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(win::Application& application, win::Form& owner)
    : Form(application, L"TFormAbout"), owner_(owner) {
  const win::SkinTheme& theme = win::SkinTheme::Instance();
  menuPainter_ = std::make_unique<win::MenuPainter>(theme);
  sSkinProvider1 = std::make_unique<win::SkinProvider>(*this, theme, menuPainter_.get(), nullptr,
                                                       std::vector<win::TitleBarItem>{}, false);
}

void TFormAbout::CreateParams(win::CreateParams& params) {
  Form::CreateParams(params);
  params.caption = L"关于我们";
  params.owner = owner_.Handle();
}
