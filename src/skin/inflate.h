// Inflating one zlib stream into an output of an exactly known size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace skin {

// Deflate cannot expand by more than this factor: no size beyond input * kMostExpansion is
// allocated on the data's word.
inline constexpr std::uint64_t kMostExpansion = 1032;

// Inflates the zlib stream at the start of `input` into exactly `size` bytes of `output`.
// Returns the number of input bytes the stream took. Throws SkinError, naming `what`, when the
// stream is corrupt, ends early, or inflates to more or less than `size`.
std::size_t InflateExactly(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                           std::size_t size, const std::string& what);

}  // namespace skin
