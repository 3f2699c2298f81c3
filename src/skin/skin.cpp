#include "skin.h"

#include <string>

namespace skin {

Skin Skin::Load(std::span<const std::uint8_t> archive) {
  Skin skin;
  skin.archive_ = ReadArchive(archive);
  const Member* options = skin.archive_.Options();
  if (!options) throw SkinError("The skin archive holds no Options.dat");
  const std::string text(options->data.begin(), options->data.end());
  skin.options_ = skin::Options::Parse(text);
  return skin;
}

std::optional<Image> Skin::MemberImage(std::string_view name) const {
  const Member* member = archive_.Find(name);
  if (!member || member == archive_.Options()) return std::nullopt;
  return DecodeByName(member->name, member->data);
}

std::optional<Image> Skin::Atlas() const {
  const auto name = options_.Value("GLOBALINFO", "MASTERBITMAP");
  if (!name) return std::nullopt;
  return MemberImage(*name);
}

std::optional<Image> Skin::ImageOf(const skin::MemberImage& reference) const {
  auto image = MemberImage(reference.name);
  if (!image) return std::nullopt;
  return WithKeyColourTransparent(std::move(*image));
}

}  // namespace skin
