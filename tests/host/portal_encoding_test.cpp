#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "encoding.h"

namespace portal {
namespace {

using namespace std::string_literals;

// Utf16ToUtf8 ---------------------------------------------------------------------------------

struct Utf8Case {
  const char* label;
  std::u16string text;
  std::string bytes;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.label; }

class Utf16ToUtf8Cases : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf16ToUtf8Cases, ProducesTheExpectedBytes) {
  EXPECT_EQ(Utf16ToUtf8(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16ToUtf8Cases,
    testing::Values(
        Utf8Case{"Empty", u"", ""}, Utf8Case{"Ascii", u"Abc 1~", "Abc 1~"},
        Utf8Case{"LastOneByte", u"\x007F", "\x7F"}, Utf8Case{"FirstTwoByte", u"\x0080", "\xC2\x80"},
        Utf8Case{"TwoByte", u"\x00E9", "\xC3\xA9"}, Utf8Case{"LastTwoByte", u"\x07FF", "\xDF\xBF"},
        Utf8Case{"FirstThreeByte", u"\x0800", "\xE0\xA0\x80"},
        Utf8Case{"Chinese", u"手饰", "\xE6\x89\x8B\xE9\xA5\xB0"},
        Utf8Case{"BelowSurrogates", u"\xD7FF", "\xED\x9F\xBF"},
        Utf8Case{"AboveSurrogates", u"\xE000", "\xEE\x80\x80"},
        Utf8Case{"LastBmp", u"\xFFFF", "\xEF\xBF\xBF"},
        Utf8Case{"FirstPair", u"\xD800\xDC00", "\xF0\x90\x80\x80"},
        Utf8Case{"Emoji", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        Utf8Case{"LastPair", u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
        Utf8Case{"HighAtEnd", u"a\xD800", "a\xEF\xBF\xBD"},
        Utf8Case{"HighThenAscii",
                 u"\xD800"
                 u"a",
                 "\xEF\xBF\xBD"
                 "a"},
        Utf8Case{"HighThenHighPair", u"\xD800\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        Utf8Case{"LoneLow", u"\xDC00", "\xEF\xBF\xBD"},
        Utf8Case{"LowThenHigh", u"\xDFFF\xDBFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        Utf8Case{"HighThenNul", u"\xD800\0"s, "\xEF\xBF\xBD\0"s},
        Utf8Case{"NulKept", u"a\0b"s, "a\0b"s}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.label); });

TEST(Utf16ToUtf8, HighSurrogateAtTheEndOfAViewStaysUnpaired) {
  const std::u16string buffer = u"a\xD83D\xDE00";
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(buffer).substr(0, 2)), "a\xEF\xBF\xBD");
}

// Decodes one well-formed, shortest-form UTF-8 sequence that makes up all of `bytes`; returns -1
// for anything else.
long DecodeSingle(std::string_view bytes) {
  if (bytes.empty()) return -1;
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length;
  long value;
  if (lead < 0x80) {
    length = 1, value = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07;
  } else {
    return -1;
  }
  if (bytes.size() != length) return -1;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return -1;
    value = (value << 6) | (next & 0x3F);
  }
  const long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < shortest[length]) return -1;
  return value;
}

TEST(Utf16ToUtf8Coverage, EveryBmpUnitAlone) {
  for (long unit = 0; unit <= 0xFFFF; ++unit) {
    const std::u16string text(1, static_cast<char16_t>(unit));
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    ASSERT_EQ(DecodeSingle(Utf16ToUtf8(text)), surrogate ? 0xFFFD : unit) << "unit " << unit;
  }
}

TEST(Utf16ToUtf8Coverage, EverySurrogatePair) {
  for (long high = 0xD800; high <= 0xDBFF; ++high) {
    for (long low = 0xDC00; low <= 0xDFFF; ++low) {
      const char16_t text[] = {static_cast<char16_t>(high), static_cast<char16_t>(low)};
      const long expected = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      ASSERT_EQ(DecodeSingle(Utf16ToUtf8({text, 2})), expected) << high << " " << low;
    }
  }
}

// FormEncode ----------------------------------------------------------------------------------

std::string ExpectedEncoding(unsigned char byte) {
  constexpr std::string_view kKept =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_";
  if (kKept.find(static_cast<char>(byte)) != std::string_view::npos) {
    return std::string(1, static_cast<char>(byte));
  }
  if (byte == ' ') return "+";
  char escape[4];
  std::snprintf(escape, sizeof escape, "%%%02X", byte);
  return escape;
}

TEST(FormEncode, EveryByteValue) {
  for (int value = 1; value < 256; ++value) {
    const auto byte = static_cast<unsigned char>(value);
    const std::string input(1, static_cast<char>(byte));
    EXPECT_EQ(FormEncode(input), ExpectedEncoding(byte)) << "byte " << value;
    // Same byte between neighbours: nothing depends on position.
    EXPECT_EQ(FormEncode("a" + input + "a"), "a" + ExpectedEncoding(byte) + "a")
        << "byte " << value;
  }
  EXPECT_EQ(FormEncode("\0"s), "");
}

TEST(FormEncode, AllBytesInOneString) {
  std::string input;
  std::string expected;
  for (int value = 255; value >= 1; --value) {
    input.push_back(static_cast<char>(value));
    expected += ExpectedEncoding(static_cast<unsigned char>(value));
  }
  EXPECT_EQ(FormEncode(input), expected);
}

TEST(FormEncode, StopsAtTheFirstZeroByte) {
  const struct {
    std::string input;
    std::string expected;
  } cases[] = {
      {"ab\0cd"s, "ab"},      {"\0ab"s, ""},   {"a b\0\0c"s, "a+b"},
      {"\xFF\0\xFF"s, "%FF"}, {"~\0"s, "%7E"}, {"x"s, "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormEncode(c.input), c.expected) << testing::PrintToString(c.input);
  }
}

TEST(FormEncode, ReadsNoFurtherThanTheView) {
  const std::string buffer = "ab cd";
  EXPECT_EQ(FormEncode(std::string_view(buffer).substr(0, 2)), "ab");
  EXPECT_EQ(FormEncode(std::string_view(buffer).substr(0, 0)), "");
}

TEST(FormEncode, RandomBytesStayWithinThreeCharactersEachAndDecodeBack) {
  std::mt19937 random(7);
  for (int n = 0; n < 5000; ++n) {
    std::string input(random() % 40, '\0');
    for (char& c : input) c = static_cast<char>(random() % 256);
    const std::string encoded = FormEncode(input);
    ASSERT_LE(encoded.size(), 3 * input.size());

    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
      if (encoded[i] == '+') {
        decoded.push_back(' ');
      } else if (encoded[i] == '%') {
        ASSERT_LE(i + 2, encoded.size() - 1);
        decoded.push_back(static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16)));
        i += 2;
      } else {
        decoded.push_back(encoded[i]);
      }
    }
    ASSERT_EQ(decoded, input.substr(0, input.find('\0')));
  }
}

// AsciiToUtf16 --------------------------------------------------------------------------------

TEST(AsciiToUtf16, WidensEachCharacter) {
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii.push_back(static_cast<char>(c));
  const std::u16string wide = AsciiToUtf16(ascii);
  ASSERT_EQ(wide.size(), ascii.size());
  for (std::size_t i = 0; i < ascii.size(); ++i) EXPECT_EQ(wide[i], static_cast<char16_t>(i));
}

}  // namespace
}  // namespace portal
