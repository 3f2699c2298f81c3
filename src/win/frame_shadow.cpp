#include "frame_shadow.h"

namespace win {

void FrameShadow::Follow(HWND window, bool active) {
  const int s = theme_.shadow;
  if (s <= 0) return;
  if (!Handle()) {
    WNDCLASSEXW wc{};
    if (!CreateNativeWindow(L"MiniKorvelShadow", wc,
                            WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                            L"", WS_POPUP, 0, 0, 0, 0, window)) {
      return;
    }
  }
  if (!IsWindowVisible(window) || IsIconic(window)) {
    ShowWindow(Handle(), SW_HIDE);
    return;
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left + 2 * s;
  const int height = frame.bottom - frame.top + 2 * s;
  if (!hasContent_ || rendered_.cx != width || rendered_.cy != height ||
      renderedActive_ != active) {
    Render(width, height, active);
  }
  SetWindowPos(Handle(), nullptr, frame.left - s, frame.top - s, width, height,
               SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void FrameShadow::Render(int width, int height, bool active) {
  const int s = theme_.shadow;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueBitmap canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!canvas) return;
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HGDIOBJ old = SelectObject(dc, canvas.get());

  const skin::Rect state =
      skin::StateRect(theme_.frame.Bounds(), theme_.frameStates, active ? 1 : 0);
  DrawNineSlice(dc, theme_.frame, state, theme_.frameBorders, skin::Rect{0, 0, width, height});
  GdiFlush();
  // Only the ring outside the window shows: clear what lies under the window.
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = s; y < height - s; ++y) {
    for (int x = s; x < width - s; ++x) pixels[std::size_t(y) * std::size_t(width) + x] = 0;
  }

  POINT origin{0, 0};
  SIZE size{width, height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(Handle(), screen, nullptr, &size, dc, &origin, 0, &blend, ULW_ALPHA);

  HRGN ring = CreateRectRgn(0, 0, width, height);
  HRGN inner = CreateRectRgn(s, s, width - s, height - s);
  CombineRgn(ring, ring, inner, RGN_DIFF);
  DeleteObject(inner);
  SetWindowRgn(Handle(), ring, FALSE);  // the system owns the region from here

  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  rendered_ = size;
  renderedActive_ = active;
  hasContent_ = true;
}

}  // namespace win
