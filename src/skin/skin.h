// The skin as the program uses it: the archive's members, its options and its images, looked
// up by the names the options give them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "archive.h"
#include "image.h"
#include "options.h"

namespace skin {

class Skin {
 public:
  // Reads the archive and its options text. Throws SkinError when the archive is malformed or
  // holds no options.
  static Skin Load(std::span<const std::uint8_t> archive);

  const Archive& Members() const { return archive_; }
  const skin::Options& Options() const { return options_; }

  // An image member decoded, found by name without regard to letter case; nothing when the
  // archive does not hold it.
  std::optional<Image> MemberImage(std::string_view name) const;
  // The atlas of small images, named by GLOBALINFO's MASTERBITMAP.
  std::optional<Image> Atlas() const;
  // The image of a "!" reference, with an alpha channel (key colour transparent when the
  // stored image has none).
  std::optional<Image> ImageOf(const skin::MemberImage& reference) const;

 private:
  Archive archive_;
  skin::Options options_;
};

}  // namespace skin
