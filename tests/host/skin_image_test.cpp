#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "archive.h"
#include "image.h"
#include "skin_test_support.h"

namespace skin {
namespace {

using test::Bytes;

// A small picture with every channel varying, so that a swapped channel, a flipped row order
// or a wrong filter shows.
Bytes Pixels(int width, int height, bool alpha) {
  Bytes rgba;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgba.push_back(std::uint8_t(x * 40 + y));
      rgba.push_back(std::uint8_t(y * 50 + 7));
      rgba.push_back(std::uint8_t(255 - x * y * 9));
      rgba.push_back(alpha ? std::uint8_t(x * 60 + y * 3) : 255);
    }
  }
  return rgba;
}

Bytes WithoutAlpha(const Bytes& rgba) {
  Bytes rgb;
  for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
  return rgb;
}

TEST(DecodeBmp, ReadsTwentyFourAndThirtyTwoBitsInEitherRowOrder) {
  const int width = 5, height = 3;  // 5 * 3 bytes: rows padded to 4 bytes
  for (int bits : {24, 32}) {
    for (bool topDown : {false, true}) {
      const Bytes expected = Pixels(width, height, bits == 32);
      const Image image = DecodeBmp(test::WriteBmp(width, height, bits, expected, topDown));
      EXPECT_EQ(image.width, width);
      EXPECT_EQ(image.height, height);
      EXPECT_EQ(image.sourceBits, bits);
      EXPECT_EQ(image.rgba, expected) << bits << " bits, top-down " << topDown;
    }
  }
}

TEST(DecodeBmp, ReadsEightBitsThroughThePalette) {
  Bytes bmp = test::WriteBmp(3, 2, 24, Pixels(3, 2, false));  // headers to adapt
  Bytes eight(bmp.begin(), bmp.begin() + 54);
  eight[28] = 8;
  eight[10] = 54 + 3 * 4;  // pixels after a three-entry palette
  eight[46] = 3;
  for (std::uint8_t entry : {10, 20, 30}) eight.insert(eight.end(), {entry, 0, 255, 0});
  eight.insert(eight.end(), {2, 1, 0, 0, 0, 0, 1, 0});  // bottom row then top row, padded
  const Image image = DecodeBmp(eight);
  EXPECT_EQ(image.sourceBits, 8);
  const Bytes expected = {255, 0, 10, 255, 255, 0, 10, 255, 255, 0, 20, 255,
                          255, 0, 30, 255, 255, 0, 20, 255, 255, 0, 10, 255};
  EXPECT_EQ(image.rgba, expected);
  eight[54 + 12] = 3;  // an index beyond the palette
  EXPECT_THROW(DecodeBmp(eight), SkinError);
}

TEST(DecodePng, UndoesEveryRowFilter) {
  const int width = 6, height = 10;
  for (int channels : {3, 4}) {
    const Bytes rgba = Pixels(width, height, channels == 4);
    const Bytes stored = channels == 4 ? rgba : WithoutAlpha(rgba);
    const Image image = DecodePng(test::WritePng(width, height, channels, stored, {0, 1, 2, 3, 4}));
    EXPECT_EQ(image.sourceBits, channels * 8);
    EXPECT_EQ(image.rgba, rgba) << channels << " channels";
  }
}

struct Malformed {
  const char* name;
  Bytes data;
};

std::ostream& operator<<(std::ostream& out, const Malformed& m) { return out << m.name; }

Bytes Png() { return test::WritePng(4, 4, 4, Pixels(4, 4, true)); }
Bytes Bmp() { return test::WriteBmp(4, 4, 32, Pixels(4, 4, true)); }

Bytes Edited(Bytes data, std::size_t at, std::uint8_t value) {
  data[at] = value;
  return data;
}
Bytes Cut(Bytes data, std::size_t drop) {
  data.resize(data.size() - drop);
  return data;
}
Bytes Appended(Bytes data) {
  data.push_back(0);
  return data;
}

// A PNG whose IHDR says something else, with a checksum that fits.
Bytes PngWithHeader(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                    std::uint8_t colourType, std::uint8_t interlace) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  test::PutBe32(header, width);
  test::PutBe32(header, height);
  header.insert(header.end(), {depth, colourType, 0, 0, interlace});
  test::PutChunk(out, "IHDR", header);
  test::PutChunk(out, "IDAT", test::Deflate(Bytes(64, 0)));
  test::PutChunk(out, "IEND", {});
  return out;
}

class MalformedImage : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedImage, IsRefused) {
  const Bytes& data = GetParam().data;
  // Whatever the name says, a malformed image is refused, not misread.
  EXPECT_THROW(DecodeByName("x.png", data), SkinError);
  EXPECT_THROW(DecodeByName("x.bmp", data), SkinError);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MalformedImage,
    ::testing::Values(
        Malformed{"Empty", {}},
        Malformed{"PngSignatureOnly", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
        Malformed{"PngWrongChecksum", Edited(Png(), 8 + 8 + 13, 0)},
        Malformed{"PngChunkLongerThanFile", Edited(Png(), 8, 0x7F)},
        Malformed{"PngCutInsideIdat", Cut(Png(), 20)}, Malformed{"PngWithoutEnd", Cut(Png(), 12)},
        Malformed{"PngBytesAfterEnd", Appended(Png())},
        Malformed{"PngSixteenBits", PngWithHeader(4, 4, 16, 6, 0)},
        Malformed{"PngPalette", PngWithHeader(4, 4, 8, 3, 0)},
        Malformed{"PngInterlaced", PngWithHeader(4, 4, 8, 6, 1)},
        Malformed{"PngZeroWidth", PngWithHeader(0, 4, 8, 6, 0)},
        Malformed{"PngHuge", PngWithHeader(100000, 100000, 8, 6, 0)},
        Malformed{"PngDataOfAnotherSize", PngWithHeader(40, 40, 8, 6, 0)},
        Malformed{"BmpHeadersCut", Cut(Bmp(), Bmp().size() - 30)},
        Malformed{"BmpPixelsCut", Cut(Bmp(), 1)}, Malformed{"BmpCompressed", Edited(Bmp(), 30, 1)},
        Malformed{"BmpSixteenBits", Edited(Bmp(), 28, 16)},
        Malformed{"BmpNegativeWidth", Edited(Bmp(), 21, 0x80)},
        Malformed{"BmpPixelsBeyondFile", Edited(Bmp(), 13, 0x40)},
        Malformed{"BmpInfoHeaderBeyondFile", Edited(Bmp(), 17, 0x40)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WithKeyColourTransparent, ClearsOnlyKeyPixelsOfImagesWithoutAlpha) {
  Bytes rgba = {255, 0, 255, 255, 255, 0, 254, 255, 10, 20, 30, 255, 255, 0, 255, 255};
  const Image converted = WithKeyColourTransparent(DecodeBmp(test::WriteBmp(2, 2, 24, rgba)));
  EXPECT_EQ(converted.sourceBits, 32);
  const Bytes expected = {255, 0, 255, 0, 255, 0, 254, 255, 10, 20, 30, 255, 255, 0, 255, 0};
  EXPECT_EQ(converted.rgba, expected);
  // An image stored with alpha keeps it, key colour or not.
  rgba[3] = 128;
  const Image kept = WithKeyColourTransparent(DecodeBmp(test::WriteBmp(2, 2, 32, rgba)));
  EXPECT_EQ(kept.rgba, rgba);
}

}  // namespace
}  // namespace skin
