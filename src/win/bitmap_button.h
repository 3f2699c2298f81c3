// A push button that is one picture in every state: hand cursor, a click on release inside,
// Enter and Space when focused, and the focus taken when pressed.
#pragma once

#include <windows.h>

#include <functional>

#include "base_window.h"
#include "picture.h"

namespace win {

class BitmapButton : public BaseWindow {
 public:
  // `picture` must outlive the button. Throws std::runtime_error when the window cannot be made.
  void Create(HWND parent, int left, int top, int width, int height, const Picture* picture);

  std::function<void()> onClick;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Click();

  const Picture* picture_ = nullptr;
  bool mouseDown_ = false;
  bool spaceDown_ = false;
};

}  // namespace win
