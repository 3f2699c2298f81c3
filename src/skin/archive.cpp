#include "archive.h"

#include <algorithm>
#include <limits>

#include "inflate.h"

namespace skin {
namespace {

// The smallest complete zlib stream (header, an empty stored or fixed block, Adler-32) is 8
// bytes; with its name length and unpacked size a member takes at least 16.
constexpr std::size_t kSmallestMember = 4 + 4 + 8;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t Left() const { return data_.size() - position_; }
  std::size_t Position() const { return position_; }

  std::uint32_t U32(const char* what) {
    if (Left() < 4) throw SkinError(std::string("The skin archive ends inside ") + what);
    const std::uint8_t* p = data_.data() + position_;
    position_ += 4;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
  }

  std::span<const std::uint8_t> Bytes(std::size_t count, const char* what) {
    if (Left() < count) throw SkinError(std::string("The skin archive ends inside ") + what);
    const auto bytes = data_.subspan(position_, count);
    position_ += count;
    return bytes;
  }

  std::span<const std::uint8_t> Rest() const { return data_.subspan(position_); }
  void Skip(std::size_t count) { position_ += count; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

const Member* Archive::Find(std::string_view name) const {
  for (const Member& member : members) {
    if (SameName(member.name, name)) return &member;
  }
  return nullptr;
}

Archive ReadArchive(std::span<const std::uint8_t> data) {
  static constexpr std::uint8_t kSignature[] = {'A', 'S', 'z', 'f'};
  if (data.size() < 4 || !std::equal(kSignature, kSignature + 4, data.begin())) {
    throw SkinError(kWrongSignature);
  }
  Reader reader(data);
  reader.Skip(4);
  const std::uint32_t count = reader.U32("its member count");
  if (count > reader.Left() / kSmallestMember) {
    throw SkinError("The skin archive's member count " + std::to_string(count) +
                    " is more than its " + std::to_string(reader.Left()) + " bytes can hold");
  }

  Archive archive;
  archive.members.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    Member member;
    const std::uint32_t nameLength = reader.U32("a member's name length");
    const auto name = reader.Bytes(nameLength, "a member's name");
    member.name.assign(name.begin(), name.end());
    const std::uint32_t size = reader.U32("a member's unpacked size");
    if (size > reader.Left() * kMostExpansion) {
      throw SkinError("The skin archive's member \"" + member.name + "\" claims " +
                      std::to_string(size) + " bytes, more than its data can hold");
    }
    reader.Skip(InflateExactly(reader.Rest(), member.data, size,
                               "The skin archive's member \"" + member.name + "\""));
    archive.members.push_back(std::move(member));
  }
  if (reader.Left() != 0) {
    throw SkinError("The skin archive has " + std::to_string(reader.Left()) +
                    " bytes after its last member");
  }
  return archive;
}

}  // namespace skin
