// Fuzz target of the skin reader: every input is read as an archive (and, when that succeeds,
// as the skin the program builds from it: options, typed values, images), as options text and
// as an image of either form. Only SkinError may come out; anything else, a crash or a
// sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "archive.h"
#include "image.h"
#include "options.h"
#include "skin.h"

namespace {

// Every typed reading a value could be meant for: numbers and colours for numbers, gradients
// for lists, image references for the four reference forms.
void ExerciseOptions(const skin::Options& options) {
  for (const auto& section : options.Sections()) {
    for (const auto& [key, value] : section.values) {
      if (value.empty()) continue;
      const char first = value[0];
      try {
        if ((first >= '0' && first <= '9') || first == '-' || first == '+') {
          (void)options.Number(section.name, key);
          (void)options.ColourOf(section.name, key);
        }
        if (value.find(';') != std::string::npos) (void)options.Gradient(section.name, key);
        if (first == '@' || first == '^' || first == '~' || first == '!') {
          (void)options.Image(section.name, key);
        }
      } catch (const skin::SkinError&) {
      }
    }
  }
}

void ExerciseSkin(const skin::Skin& skin) {
  ExerciseOptions(skin.Options());
  try {
    (void)skin.Atlas();
  } catch (const skin::SkinError&) {
  }
  for (const skin::Member& member : skin.Members().members) {
    try {
      (void)skin.MemberImage(member.name);
    } catch (const skin::SkinError&) {
    }
  }
  for (const auto& section : skin.Options().Sections()) {
    for (const auto& [key, value] : section.values) {
      try {
        if (auto ref = skin.Options().Image(section.name, key)) {
          if (auto* member = std::get_if<skin::MemberImage>(&*ref)) (void)skin.ImageOf(*member);
        }
      } catch (const skin::SkinError&) {
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  try {
    ExerciseSkin(skin::Skin::Load(input));
  } catch (const skin::SkinError&) {
  }
  try {
    ExerciseOptions(skin::Options::Parse(std::string(input.begin(), input.end())));
  } catch (const skin::SkinError&) {
  }
  try {
    (void)skin::DecodeBmp(input);
  } catch (const skin::SkinError&) {
  }
  try {
    (void)skin::DecodePng(input);
  } catch (const skin::SkinError&) {
  }
  return 0;
}
