// The least a second start can do: look the running main window up by its class name, post it
// the restore request and end, with nothing else loaded or set up. The floor the program's own
// hand-off is set against, beside the no-op program.
#include <windows.h>

#include "single_instance.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (HWND running = FindWindowW(MainWindowClassName, nullptr)) {
    PostMessageW(running, WM_RESTOREREQUEST, 0, 0);
  }
  return 0;
}
