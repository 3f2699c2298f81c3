// The hand-off between two starts: a second start finds the running main window by its class
// name and posts it a restore request (wParam and lParam 0, never sent).
#pragma once

#include <windows.h>

#include "main_window_class.h"

inline constexpr UINT WM_RESTOREREQUEST = WM_USER + 0x1000;  // 5120
static_assert(WM_RESTOREREQUEST == 0x1400);
