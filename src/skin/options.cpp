#include "options.h"

#include <charconv>

#include "archive.h"

namespace skin {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// A whole decimal integer, sign allowed.
std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

int ParseInt(std::string_view text, std::string_view whole) {
  const auto value = ParseInteger(text);
  if (!value || *value < -2147483647LL || *value > 2147483647LL) {
    throw SkinError("The skin value \"" + std::string(whole) + "\" holds \"" + std::string(text) +
                    "\" where a number belongs");
  }
  return int(*value);
}

// The fields behind the leading separator, split on that separator.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  const char separator = text.front();
  std::string_view rest = text.substr(1);
  for (;;) {
    const std::size_t next = rest.find(separator);
    fields.push_back(rest.substr(0, next));
    if (next == std::string_view::npos) break;
    rest.remove_prefix(next + 1);
  }
  return fields;
}

}  // namespace

Colour ColourFromNumber(long long number) {
  if (number < 0 || number > 0xFFFFFF) {
    throw SkinError("The skin colour " + std::to_string(number) + " is out of range");
  }
  return Colour{std::uint8_t(number & 0xFF), std::uint8_t((number >> 8) & 0xFF),
                std::uint8_t((number >> 16) & 0xFF)};
}

ImageRef ParseImageRef(std::string_view text) {
  if (text.empty()) throw SkinError("An empty skin image reference");
  const std::vector<std::string_view> f = Fields(text);
  auto expect = [&](std::size_t count) {
    if (f.size() != count) {
      throw SkinError("The skin image reference \"" + std::string(text) + "\" has " +
                      std::to_string(f.size()) + " fields instead of " + std::to_string(count));
    }
  };
  auto n = [&](std::size_t i) { return ParseInt(f[i], text); };
  auto rect = [&](std::size_t i) { return Rect{n(i), n(i + 1), n(i + 2), n(i + 3)}; };
  switch (text.front()) {
    case '@':
      expect(6);
      return AtlasImage{rect(0), n(4), n(5)};
    case '^':
      expect(12);
      return BorderMask{rect(0), Borders{n(4), n(5), n(6), n(7)}, n(8), {n(9), n(10), n(11)}};
    case '~':
      expect(6);
      return Pattern{rect(0), {n(4), n(5)}};
    case '!':
      expect(9);
      if (f[0].empty())
        throw SkinError("The skin image reference \"" + std::string(text) + "\" names no image");
      return MemberImage{
          std::string(f[0]), n(1), {n(2), n(3)}, Borders{n(4), n(5), n(6), n(7)}, n(8)};
    default:
      throw SkinError("The skin value \"" + std::string(text) + "\" is no image reference");
  }
}

std::vector<GradientStep> ParseGradient(std::string_view text) {
  std::vector<int> numbers;
  std::string_view rest = text;
  for (bool more = !text.empty(); more;) {
    const std::size_t next = rest.find(';');
    numbers.push_back(ParseInt(rest.substr(0, next), text));
    more = next != std::string_view::npos;
    if (more) rest.remove_prefix(next + 1);
  }
  if (numbers.empty() || numbers.size() % 5 != 0) {
    throw SkinError("The skin gradient \"" + std::string(text) +
                    "\" is not made of groups of five numbers");
  }
  std::vector<GradientStep> steps;
  for (std::size_t i = 0; i < numbers.size(); i += 5) {
    steps.push_back(GradientStep{ColourFromNumber(numbers[i]),
                                 ColourFromNumber(numbers[i + 1]),
                                 {numbers[i + 2], numbers[i + 3], numbers[i + 4]}});
  }
  return steps;
}

Options Options::Parse(std::string_view text) {
  Options options;
  Section* current = nullptr;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        throw SkinError("Skin options line " + std::to_string(lineNumber) +
                        ": a section header without its name or \"]\"");
      }
      options.sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}});
      current = &options.sections_.back();
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      throw SkinError("Skin options line " + std::to_string(lineNumber) +
                      ": neither a section header nor a key=value pair");
    }
    if (!current) {
      throw SkinError("Skin options line " + std::to_string(lineNumber) +
                      ": a value before the first section");
    }
    current->values.emplace_back(std::string(Trim(line.substr(0, equals))),
                                 std::string(Trim(line.substr(equals + 1))));
  }
  return options;
}

const Options::Section* Options::FindSection(std::string_view name) const {
  for (const Section& section : sections_) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

std::optional<std::string_view> Options::Value(std::string_view section,
                                               std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  for (const auto& [name, value] : found->values) {
    if (SameName(name, key)) {
      if (value == "N/A") return std::nullopt;
      return std::string_view(value);
    }
  }
  return std::nullopt;
}

std::optional<int> Options::Number(std::string_view section, std::string_view key) const {
  const auto value = Value(section, key);
  if (!value) return std::nullopt;
  return ParseInt(*value, *value);
}

std::optional<Colour> Options::ColourOf(std::string_view section, std::string_view key) const {
  const auto value = Value(section, key);
  if (!value) return std::nullopt;
  const auto number = ParseInteger(*value);
  if (!number) throw SkinError("The skin colour \"" + std::string(*value) + "\" is no number");
  return ColourFromNumber(*number);
}

std::optional<ImageRef> Options::Image(std::string_view section, std::string_view key) const {
  const auto value = Value(section, key);
  if (!value) return std::nullopt;
  return ParseImageRef(*value);
}

std::optional<std::vector<GradientStep>> Options::Gradient(std::string_view section,
                                                           std::string_view key) const {
  const auto value = Value(section, key);
  if (!value) return std::nullopt;
  return ParseGradient(*value);
}

}  // namespace skin
