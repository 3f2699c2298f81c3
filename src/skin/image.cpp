#include "image.h"

#include <zlib.h>

#include <algorithm>
#include <string>

#include "archive.h"
#include "inflate.h"

namespace skin {
namespace {

std::uint32_t Le32(std::span<const std::uint8_t> d, std::size_t at) {
  return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
         std::uint32_t(d[at + 3]) << 24;
}
std::uint16_t Le16(std::span<const std::uint8_t> d, std::size_t at) {
  return std::uint16_t(d[at] | d[at + 1] << 8);
}
std::uint32_t Be32(std::span<const std::uint8_t> d, std::size_t at) {
  return std::uint32_t(d[at]) << 24 | std::uint32_t(d[at + 1]) << 16 |
         std::uint32_t(d[at + 2]) << 8 | std::uint32_t(d[at + 3]);
}

void CheckSides(long long width, long long height, const char* what) {
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
    throw SkinError(std::string(what) + " has an impossible size " + std::to_string(width) + " x " +
                    std::to_string(height));
  }
}

}  // namespace

Image DecodeBmp(std::span<const std::uint8_t> data) {
  constexpr std::size_t kFileHeader = 14;
  if (data.size() < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') {
    throw SkinError("A bitmap without its headers");
  }
  const std::uint32_t pixelsAt = Le32(data, 10);
  const std::uint32_t infoSize = Le32(data, 14);
  if (infoSize < 40 || infoSize > data.size() - kFileHeader) {
    throw SkinError("A bitmap with a malformed information header");
  }
  const auto width = std::int32_t(Le32(data, 18));
  const auto rawHeight = std::int32_t(Le32(data, 22));
  const std::uint16_t planes = Le16(data, 26);
  const std::uint16_t bits = Le16(data, 28);
  const std::uint32_t compression = Le32(data, 30);
  const bool topDown = rawHeight < 0;
  const long long height = topDown ? -static_cast<long long>(rawHeight) : rawHeight;
  CheckSides(width, height, "A bitmap");
  if (planes != 1 || compression != 0 || (bits != 8 && bits != 24 && bits != 32)) {
    throw SkinError("A bitmap of a form other than uncompressed 8, 24 or 32 bits per pixel");
  }

  std::vector<std::uint8_t> palette;  // BGRx entries
  if (bits == 8) {
    std::uint32_t colours = Le32(data, 46);
    if (colours == 0) colours = 256;
    if (colours > 256) throw SkinError("A bitmap with more than 256 palette entries");
    const std::size_t paletteAt = kFileHeader + infoSize;
    if (data.size() - paletteAt < std::size_t(colours) * 4) {
      throw SkinError("A bitmap that ends inside its palette");
    }
    palette.assign(data.begin() + std::ptrdiff_t(paletteAt),
                   data.begin() + std::ptrdiff_t(paletteAt + colours * 4));
  }

  const std::size_t stride = (std::size_t(width) * bits / 8 + 3) & ~std::size_t(3);
  if (pixelsAt > data.size() || (data.size() - pixelsAt) / stride < std::size_t(height)) {
    throw SkinError("A bitmap that ends inside its pixels");
  }

  Image image;
  image.width = width;
  image.height = int(height);
  image.sourceBits = bits;
  image.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
  for (int y = 0; y < image.height; ++y) {
    const int row = topDown ? y : image.height - 1 - y;
    const std::uint8_t* in = data.data() + pixelsAt + std::size_t(row) * stride;
    std::uint8_t* out = image.rgba.data() + std::size_t(y) * std::size_t(width) * 4;
    for (int x = 0; x < width; ++x, out += 4) {
      const std::uint8_t* bgr = nullptr;
      std::uint8_t alpha = 255;
      if (bits == 8) {
        const std::size_t entry = std::size_t(in[x]) * 4;
        if (entry >= palette.size()) throw SkinError("A bitmap pixel beyond its palette");
        bgr = palette.data() + entry;
      } else {
        bgr = in + std::size_t(x) * (bits / 8);
        if (bits == 32) alpha = bgr[3];
      }
      out[0] = bgr[2];
      out[1] = bgr[1];
      out[2] = bgr[0];
      out[3] = alpha;
    }
  }
  return image;
}

Image DecodePng(std::span<const std::uint8_t> data) {
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data.size() < 8 || !std::equal(kSignature, kSignature + 8, data.begin())) {
    throw SkinError("A PNG image without its signature");
  }
  std::size_t at = 8;
  bool header = false, ended = false;
  int width = 0, height = 0, channels = 0;
  std::vector<std::uint8_t> compressed;
  while (!ended) {
    if (data.size() - at < 12) throw SkinError("A PNG image that ends inside a chunk");
    const std::uint32_t length = Be32(data, at);
    if (length > data.size() - at - 12) throw SkinError("A PNG chunk longer than the image");
    const auto typeAndData = data.subspan(at + 4, 4 + std::size_t(length));
    const std::uint32_t stored = Be32(data, at + 8 + length);
    if (crc32(0, typeAndData.data(), uInt(typeAndData.size())) != stored) {
      throw SkinError("A PNG chunk with a wrong checksum");
    }
    const std::string type(typeAndData.begin(), typeAndData.begin() + 4);
    const auto body = typeAndData.subspan(4);
    at += 12 + std::size_t(length);
    if (!header && type != "IHDR") throw SkinError("A PNG image that does not start with IHDR");
    if (type == "IHDR") {
      if (header || length != 13) throw SkinError("A PNG image with a malformed IHDR");
      header = true;
      const std::uint32_t w = Be32(body, 0), h = Be32(body, 4);
      CheckSides(w, h, "A PNG image");
      width = int(w);
      height = int(h);
      const std::uint8_t depth = body[8], colourType = body[9];
      if (depth != 8 || (colourType != 2 && colourType != 6) || body[10] != 0 || body[11] != 0 ||
          body[12] != 0) {
        throw SkinError("A PNG image of a form other than 8-bit RGB or RGBA, not interlaced");
      }
      channels = colourType == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), body.begin(), body.end());
    } else if (type == "IEND") {
      ended = true;
    } else if (!(type[0] & 0x20)) {
      throw SkinError("A PNG image with an unknown critical chunk " + type);
    }
  }
  if (at != data.size()) throw SkinError("A PNG image with bytes after IEND");

  const std::size_t stride = std::size_t(width) * std::size_t(channels);
  const std::size_t rawSize = (stride + 1) * std::size_t(height);
  if (rawSize > compressed.size() * kMostExpansion) {
    throw SkinError("A PNG image larger than its data can hold");
  }
  std::vector<std::uint8_t> raw;
  const std::size_t used = InflateExactly(compressed, raw, rawSize, "A PNG image's data");
  if (used != compressed.size()) throw SkinError("A PNG image with bytes after its data");

  // Undo the row filters in place: each row begins with its filter type.
  std::vector<std::uint8_t> pixels(stride * std::size_t(height));
  const std::size_t bpp = std::size_t(channels);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t filter = raw[std::size_t(y) * (stride + 1)];
    const std::uint8_t* in = raw.data() + std::size_t(y) * (stride + 1) + 1;
    std::uint8_t* out = pixels.data() + std::size_t(y) * stride;
    const std::uint8_t* above = y > 0 ? out - stride : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? out[i - bpp] : 0;
      const int b = above ? above[i] : 0;
      const int c = (above && i >= bpp) ? above[i - bpp] : 0;
      int predicted = 0;
      switch (filter) {
        case 0:
          predicted = 0;
          break;
        case 1:
          predicted = a;
          break;
        case 2:
          predicted = b;
          break;
        case 3:
          predicted = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c;
          const int pa = p > a ? p - a : a - p;
          const int pb = p > b ? p - b : b - p;
          const int pc = p > c ? p - c : c - p;
          predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
        default:
          throw SkinError("A PNG row with an unknown filter");
      }
      out[i] = std::uint8_t(in[i] + predicted);
    }
  }

  Image image;
  image.width = width;
  image.height = height;
  image.sourceBits = channels * 8;
  if (channels == 4) {
    image.rgba = std::move(pixels);
  } else {
    image.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t p = 0, n = std::size_t(width) * std::size_t(height); p < n; ++p) {
      std::copy_n(pixels.data() + p * 3, 3, image.rgba.data() + p * 4);
      image.rgba[p * 4 + 3] = 255;
    }
  }
  return image;
}

Image DecodeByName(std::string_view name, std::span<const std::uint8_t> data) {
  const bool bitmap = name.size() >= 4 && SameName(name.substr(name.size() - 4), ".bmp");
  return bitmap ? DecodeBmp(data) : DecodePng(data);
}

Image WithKeyColourTransparent(Image image) {
  if (image.sourceBits == 32) return image;
  for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
    std::uint8_t* p = image.rgba.data() + i;
    const bool key = p[0] == 255 && p[1] == 0 && p[2] == 255;
    p[3] = key ? 0 : 255;
  }
  image.sourceBits = 32;
  return image;
}

}  // namespace skin
