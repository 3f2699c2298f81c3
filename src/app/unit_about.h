// The about box: created hidden right after the main window, owned by it.
#pragma once

#include "application.h"
#include "form.h"

class TFormAbout : public win::Form {
 public:
  TFormAbout(win::Application& application, win::Form& owner);

 protected:
  void CreateParams(win::CreateParams& params) override;

 private:
  win::Form& owner_;
};

extern TFormAbout* FormAbout;
