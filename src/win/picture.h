// A picture ready for drawing: a 32-bit top-down DIB section with premultiplied alpha, made
// from a decoded skin::Image, and the few ways the skin draws pictures (at their size, cut
// from an atlas, stretched in nine parts), all blending with the picture's alpha.
#pragma once

#include <windows.h>

#include <cstdint>

#include "geometry.h"
#include "handles.h"
#include "image.h"

namespace win {

class Picture {
 public:
  Picture() = default;
  explicit Picture(const skin::Image& image);

  bool Empty() const { return !bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  // Premultiplied B, G, R, A of one pixel.
  const std::uint8_t* Pixel(int x, int y) const {
    return bits_ + (std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 4;
  }
  skin::Rect Bounds() const { return skin::Rect{0, 0, width_, height_}; }

 private:
  UniqueBitmap bitmap_;
  std::uint8_t* bits_ = nullptr;  // owned by bitmap_
  int width_ = 0;
  int height_ = 0;
};

// Draws `source` of the picture into `destination` of the device context, stretched when the
// sizes differ, blended by the picture's alpha.
void DrawPicture(HDC dc, const Picture& picture, const skin::Rect& source,
                 const skin::Rect& destination);
inline void DrawPicture(HDC dc, const Picture& picture, int x, int y) {
  DrawPicture(dc, picture, picture.Bounds(),
              skin::Rect{x, y, x + picture.Width(), y + picture.Height()});
}
// Draws `source` in nine parts: corners at their size, edges and centre stretched.
void DrawNineSlice(HDC dc, const Picture& picture, const skin::Rect& source,
                   const skin::Borders& borders, const skin::Rect& destination);

// A rectangle filled with one colour.
void FillColour(HDC dc, const skin::Rect& rect, const skin::Colour& colour);
// A vertical gradient from `top` to `bottom`.
void FillVerticalGradient(HDC dc, const skin::Rect& rect, const skin::Colour& top,
                          const skin::Colour& bottom);

inline COLORREF ToColorRef(const skin::Colour& c) { return RGB(c.red, c.green, c.blue); }
inline RECT ToRECT(const skin::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace win
