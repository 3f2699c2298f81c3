// The images of the skin and of the program's pictures, decoded from the two forms they are
// kept in: Windows bitmaps (8 bits with a palette, 24 or 32 bits, uncompressed) and PNG images
// (8-bit RGB or RGBA, not interlaced). Pixels come out as straight (not premultiplied) RGBA,
// top row first, whatever the file's row order.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace skin {

struct Image {
  int width = 0;
  int height = 0;
  int sourceBits = 0;  // bits per pixel of the stored form (8, 24 or 32)
  std::vector<std::uint8_t> rgba;

  const std::uint8_t* Pixel(int x, int y) const {
    return rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
  }
};

// Largest width or height accepted: far beyond any skin or picture, small enough that no
// decoded size overflows.
inline constexpr int kLargestSide = 16384;

// Each throws SkinError on data that is malformed or of a form not listed above.
Image DecodeBmp(std::span<const std::uint8_t> data);
Image DecodePng(std::span<const std::uint8_t> data);
// By the name's extension: ".bmp" in any letter case is a bitmap, anything else a PNG image.
Image DecodeByName(std::string_view name, std::span<const std::uint8_t> data);

// An image with an alpha channel: images stored with 32 bits keep theirs; any other gets alpha
// 255, except pixels of the key colour RGB(255,0,255), which become fully transparent.
Image WithKeyColourTransparent(Image image);

}  // namespace skin
