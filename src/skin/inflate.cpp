#include "inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "archive.h"

namespace skin {

std::size_t InflateExactly(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                           std::size_t size, const std::string& what) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw SkinError(what + " cannot be inflated");
  struct End {
    z_stream& s;
    ~End() { inflateEnd(&s); }
  } end{stream};

  output.resize(size);
  // zlib counts in 32-bit units: feed a span longer than that in pieces.
  std::size_t fed = 0;
  auto feed = [&] {
    const std::size_t piece =
        std::min<std::size_t>(input.size() - fed, std::numeric_limits<uInt>::max());
    stream.next_in = const_cast<Bytef*>(input.data() + fed);
    stream.avail_in = uInt(piece);
    fed += piece;
  };
  feed();
  // Past the stated size, output goes to one spare byte: the stream may only end there.
  Bytef spare = 0;
  bool inSpare = size == 0;
  stream.next_out = inSpare ? &spare : output.data();
  stream.avail_out = inSpare ? 1 : uInt(size);
  for (;;) {
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_STREAM_END) break;
    if (result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_MEM_ERROR ||
        result == Z_STREAM_ERROR) {
      throw SkinError(what + " is corrupt");
    }
    if (stream.avail_in == 0 && fed < input.size()) {
      feed();
      continue;
    }
    if (stream.avail_out == 0) {
      // The stated size is reached: the stream may only end now, without another byte.
      if (inSpare) {
        throw SkinError(what + " inflates to more than its stated size");
      }
      inSpare = true;
      stream.next_out = &spare;
      stream.avail_out = 1;
      continue;
    }
    if (stream.avail_in == 0) {
      throw SkinError(what + " ends early");
    }
    throw SkinError(what + " is corrupt");
  }
  if (inSpare && stream.avail_out == 0) {
    throw SkinError(what + " inflates to more than its stated size");
  }
  if (!inSpare && stream.avail_out != 0) {
    throw SkinError(what + " inflates to less than its stated size");
  }
  return std::size_t(fed - stream.avail_in);
}

}  // namespace skin
