// A Windows program that ends at once: starting it measures what starting any program costs in
// the same place, the yardstick of the second-start hand-off.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
