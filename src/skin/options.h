// The skin's options text: INI sections of key=value lines, and typed access to the values the
// program draws with. Colours are decimal numbers blue * 65536 + green * 256 + red; images are
// referred to in four forms, each a list of fields behind a leading separator that also
// separates the fields:
//   "@" an atlas rectangle (left, top, right, bottom), its number of states, one code;
//   "^" a border mask: atlas rectangle, border widths (left, top, right, bottom), number of
//       states, three drawing codes;
//   "~" a background pattern: atlas rectangle, two codes;
//   "!" an image member by name, its number of states, two codes, border widths, one code.
// "N/A" is an unset value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace skin {

struct Colour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Borders {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Borders&) const = default;
};

struct AtlasImage {  // "@"
  Rect rect;
  int states = 0;
  int code = 0;
  bool operator==(const AtlasImage&) const = default;
};

struct BorderMask {  // "^"
  Rect rect;
  Borders borders;
  int states = 0;
  std::array<int, 3> codes{};
  bool operator==(const BorderMask&) const = default;
};

struct Pattern {  // "~"
  Rect rect;
  std::array<int, 2> codes{};
  bool operator==(const Pattern&) const = default;
};

struct MemberImage {  // "!"
  std::string name;
  int states = 0;
  std::array<int, 2> codes{};
  Borders borders;
  int code = 0;
  bool operator==(const MemberImage&) const = default;
};

using ImageRef = std::variant<AtlasImage, BorderMask, Pattern, MemberImage>;

// One step of a gradient: five numbers, the first two its start and end colours.
struct GradientStep {
  Colour start;
  Colour end;
  std::array<int, 3> rest{};
  bool operator==(const GradientStep&) const = default;
};

class Options {
 public:
  // Parses the text; lines end in CR LF (a lone LF is accepted). Throws SkinError on a line
  // that is neither a section header, a key=value pair, a comment nor blank.
  static Options Parse(std::string_view text);

  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // in stored order
  };
  const std::vector<Section>& Sections() const { return sections_; }
  const Section* FindSection(std::string_view name) const;

  // The raw value, or nothing when the section or key is missing or the value is "N/A".
  // Section and key names are compared without regard to letter case.
  std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

  // Typed values: nothing when unset; SkinError when present but malformed.
  std::optional<int> Number(std::string_view section, std::string_view key) const;
  std::optional<Colour> ColourOf(std::string_view section, std::string_view key) const;
  std::optional<ImageRef> Image(std::string_view section, std::string_view key) const;
  std::optional<std::vector<GradientStep>> Gradient(std::string_view section,
                                                    std::string_view key) const;

 private:
  std::vector<Section> sections_;
};

// Parsers of single values, for the typed access above and for tests.
Colour ColourFromNumber(long long number);
ImageRef ParseImageRef(std::string_view text);
std::vector<GradientStep> ParseGradient(std::string_view text);

}  // namespace skin
