// The soft shadow around a skinned window: a layered, click-through window of its own that
// follows the window's place, visibility and activation. Its region is the ring outside the
// window only, so it never covers the window itself, whatever the system's compositing.
#pragma once

#include <windows.h>

#include "base_window.h"
#include "skin_theme.h"

namespace win {

class FrameShadow : public BaseWindow {
 public:
  explicit FrameShadow(const SkinTheme& theme) : theme_(theme) {}

  // Follows `window`'s current state: shown around it when it is visible and not minimised,
  // hidden otherwise.
  void Follow(HWND window, bool active);

 private:
  void Render(int width, int height, bool active);

  const SkinTheme& theme_;
  SIZE rendered_{};
  bool renderedActive_ = false;
  bool hasContent_ = false;
};

}  // namespace win
