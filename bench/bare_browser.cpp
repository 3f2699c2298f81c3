// The yardstick of the start and memory figures: a plain window of the program's client size
// with the WebBrowser control in it, sent to the same local page the program shows first, and
// nothing else. Runs until its window is closed.
#include <windows.h>

#include <ole2.h>

#include "bare_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  int exitCode = 0;
  {
    bench::BareBrowserWindow window;
    window.quitOnDestroy = true;
    if (!window.Create(700, 425)) {
      exitCode = 1;
    } else {
      window.Navigate(bench::BareBrowserWindow::LocalPage());
      ShowWindow(window.Handle(), showCommand);
      UpdateWindow(window.Handle());
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  OleUninitialize();
  return exitCode;
}
