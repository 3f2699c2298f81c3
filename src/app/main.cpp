// Program entry: a second start hands a restore request to the running instance and ends;
// the first builds the two windows and runs the message loop until the user quits.
#include <windows.h>

#include <exception>

#include "application.h"
#include "single_instance.h"
#include "unit_about.h"
#include "unit_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  win::Application application;

  if (HWND running = FindWindowW(MainWindowClassName, nullptr)) {
    PostMessageW(running, WM_RESTOREREQUEST, 0, 0);
    return 0;
  }

  try {
    application.Initialize();
    application.SetMainFormOnTaskBar(true);

    TFormMain formMain(application);
    FormMain = &formMain;
    formMain.CreateHandle();

    TFormAbout formAbout(application, formMain);
    FormAbout = &formAbout;
    formAbout.CreateHandle();

    const int exitCode = application.Run(showCommand);
    FormAbout = nullptr;
    FormMain = nullptr;
    return exitCode;
  } catch (const std::exception& failure) {
    FormAbout = nullptr;
    FormMain = nullptr;
    win::Application::ShowException(failure.what());
    return 1;
  }
}
