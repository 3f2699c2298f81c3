#include "unit_about.h"

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(win::Application& application, win::Form& owner)
    : Form(application, L"TFormAbout"), owner_(owner) {}

void TFormAbout::CreateParams(win::CreateParams& params) {
  Form::CreateParams(params);
  params.caption = L"关于我们";
  params.owner = owner_.Handle();
}
