#include "picture.h"

namespace win {

Picture::Picture(const skin::Image& image) : width_(image.width), height_(image.height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) {
    width_ = height_ = 0;
    return;
  }
  bits_ = static_cast<std::uint8_t*>(bits);
  const std::uint8_t* in = image.rgba.data();
  std::uint8_t* out = bits_;
  for (std::size_t i = 0, n = std::size_t(width_) * std::size_t(height_); i < n;
       ++i, in += 4, out += 4) {
    const unsigned alpha = in[3];
    out[0] = std::uint8_t(in[2] * alpha / 255);
    out[1] = std::uint8_t(in[1] * alpha / 255);
    out[2] = std::uint8_t(in[0] * alpha / 255);
    out[3] = std::uint8_t(alpha);
  }
  GdiFlush();
}

namespace {

// Selects a bitmap into a memory context for the life of the object, then restores the old one.
class SelectedBitmap {
 public:
  explicit SelectedBitmap(HBITMAP bitmap)
      : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, bitmap)) {}
  ~SelectedBitmap() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace

void DrawPicture(HDC dc, const Picture& picture, const skin::Rect& source,
                 const skin::Rect& destination) {
  if (picture.Empty() || source.Width() <= 0 || source.Height() <= 0 || destination.Width() <= 0 ||
      destination.Height() <= 0) {
    return;
  }
  SelectedBitmap selected(picture.Bitmap());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, destination.left, destination.top, destination.Width(), destination.Height(),
                selected.Dc(), source.left, source.top, source.Width(), source.Height(), blend);
}

void DrawNineSlice(HDC dc, const Picture& picture, const skin::Rect& source,
                   const skin::Borders& borders, const skin::Rect& destination) {
  for (const skin::Slice& slice : skin::NineSlice(source, borders, destination)) {
    DrawPicture(dc, picture, slice.source, slice.destination);
  }
}

void FillColour(HDC dc, const skin::Rect& rect, const skin::Colour& colour) {
  const RECT r = ToRECT(rect);
  SetBkColor(dc, ToColorRef(colour));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void FillVerticalGradient(HDC dc, const skin::Rect& rect, const skin::Colour& top,
                          const skin::Colour& bottom) {
  TRIVERTEX vertices[2] = {
      {rect.left, rect.top, COLOR16(top.red << 8), COLOR16(top.green << 8), COLOR16(top.blue << 8),
       0},
      {rect.right, rect.bottom, COLOR16(bottom.red << 8), COLOR16(bottom.green << 8),
       COLOR16(bottom.blue << 8), 0},
  };
  GRADIENT_RECT span{0, 1};
  GdiGradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace win
