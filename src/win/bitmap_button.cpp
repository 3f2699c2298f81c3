#include "bitmap_button.h"

#include <windowsx.h>

#include <stdexcept>

namespace win {

void BitmapButton::Create(HWND parent, int left, int top, int width, int height,
                          const Picture* picture) {
  picture_ = picture;
  WNDCLASSEXW wc{};
  wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
  if (!CreateNativeWindow(L"MiniKorvelBitmapButton", wc, 0, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                          left, top, width, height, parent)) {
    throw std::runtime_error("The button cannot be created");
  }
}

void BitmapButton::Click() {
  if (onClick) onClick();
}

LRESULT BitmapButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      if (picture_) DrawPicture(dc, *picture_, 0, 0);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the picture covers the button
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(Handle());
      SetCapture(Handle());
      mouseDown_ = true;
      return 0;
    case WM_LBUTTONUP:
      if (mouseDown_) {
        mouseDown_ = false;
        ReleaseCapture();
        RECT client{};
        GetClientRect(Handle(), &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&client, at)) Click();
      }
      return 0;
    case WM_CAPTURECHANGED:
      mouseDown_ = false;
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        spaceDown_ = true;
        return 0;
      }
      if (wParam == VK_RETURN) {
        Click();
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wParam == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        Click();
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      spaceDown_ = false;
      break;
    default:
      break;
  }
  return BaseWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace win
