// The skin archive the program carries: the signature "ASzf", a member count, then each member
// as a name, its unpacked size and one complete zlib stream. There is no compressed size, so a
// member ends where its stream ends and the next begins right after it.
//
// The reader trusts nothing in the data: every length is checked against what is left before
// it is used, no size is allocated that the remaining bytes could not produce (deflate expands
// at most about 1032:1), and an archive must end exactly after its last member.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace skin {

// Every refusal of skin data: a malformed archive, options value or image.
class SkinError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kWrongSignature[] = "Loaded data is not a packed AlphaSkin file";

struct Member {
  std::string name;  // 8-bit characters as stored
  std::vector<std::uint8_t> data;
};

struct Archive {
  std::vector<Member> members;  // in stored order

  // The member of that name, compared without regard to ASCII letter case.
  const Member* Find(std::string_view name) const;
  // The options text: the member named "Options.dat" in any letter case.
  const Member* Options() const { return Find("Options.dat"); }
};

// Reads a whole archive. Throws SkinError, with kWrongSignature when the data does not start
// with "ASzf", and with a message naming the fault for every other malformed archive.
Archive ReadArchive(std::span<const std::uint8_t> data);

// Whether two names are equal without regard to ASCII letter case.
bool SameName(std::string_view a, std::string_view b);

}  // namespace skin
