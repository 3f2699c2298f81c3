// Small writers of the formats the skin reader takes in, for building test inputs.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skin::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}
inline void PutBe32(Bytes& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(std::uint8_t(v >> (8 * i)));
}
inline void Put(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

inline Bytes Deflate(const Bytes& data) {
  uLongf size = compressBound(uLong(data.size()));
  Bytes out(size);
  compress2(out.data(), &size, data.data(), uLong(data.size()), 9);
  out.resize(size);
  return out;
}

inline Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// One archive member as stored: name length, name, unpacked size, zlib stream.
inline Bytes StoredMember(std::string_view name, const Bytes& content) {
  Bytes out;
  PutLe32(out, std::uint32_t(name.size()));
  Put(out, name);
  PutLe32(out, std::uint32_t(content.size()));
  const Bytes stream = Deflate(content);
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

inline Bytes PackArchive(const std::vector<std::pair<std::string, Bytes>>& members) {
  Bytes out;
  Put(out, "ASzf");
  PutLe32(out, std::uint32_t(members.size()));
  for (const auto& [name, content] : members) {
    const Bytes stored = StoredMember(name, content);
    out.insert(out.end(), stored.begin(), stored.end());
  }
  return out;
}

// A Windows bitmap of RGBA pixels (top row first) at 24 or 32 bits, bottom-up unless topDown.
inline Bytes WriteBmp(int width, int height, int bits, const Bytes& rgba, bool topDown = false) {
  const std::size_t stride = (std::size_t(width) * std::size_t(bits) / 8 + 3) & ~std::size_t(3);
  Bytes out;
  Put(out, "BM");
  PutLe32(out, std::uint32_t(54 + stride * std::size_t(height)));
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, std::uint32_t(width));
  PutLe32(out, std::uint32_t(topDown ? -height : height));
  out.push_back(1);
  out.push_back(0);
  out.push_back(std::uint8_t(bits));
  out.push_back(0);
  for (int i = 0; i < 6; ++i) PutLe32(out, 0);
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    std::size_t written = 0;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p =
          rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      written += 3;
      if (bits == 32) {
        out.push_back(p[3]);
        ++written;
      }
    }
    for (; written < stride; ++written) out.push_back(0);
  }
  return out;
}

inline void PutChunk(Bytes& out, std::string_view type, const Bytes& body) {
  PutBe32(out, std::uint32_t(body.size()));
  Bytes typed = ToBytes(type);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBe32(out, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

// A PNG image of 8-bit RGB (channels 3) or RGBA (channels 4) pixels, row y filtered with
// filter type filters[y % filters.size()].
inline Bytes WritePng(int width, int height, int channels, const Bytes& pixels,
                      const std::vector<int>& filters = {0}) {
  const std::size_t stride = std::size_t(width) * std::size_t(channels);
  const std::size_t bpp = std::size_t(channels);
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    const int filter = filters[std::size_t(y) % filters.size()];
    raw.push_back(std::uint8_t(filter));
    const std::uint8_t* row = pixels.data() + std::size_t(y) * stride;
    const std::uint8_t* above = y > 0 ? row - stride : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0;
      const int b = above ? above[i] : 0;
      const int c = (above && i >= bpp) ? above[i - bpp] : 0;
      int predicted = 0;
      if (filter == 1) predicted = a;
      if (filter == 2) predicted = b;
      if (filter == 3) predicted = (a + b) / 2;
      if (filter == 4) {
        const int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p,
                  pc = p > c ? p - c : c - p;
        predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      }
      raw.push_back(std::uint8_t(row[i] - predicted));
    }
  }
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBe32(header, std::uint32_t(width));
  PutBe32(header, std::uint32_t(height));
  header.insert(header.end(), {8, std::uint8_t(channels == 4 ? 6 : 2), 0, 0, 0});
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", Deflate(raw));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace skin::test
