#include "geometry.h"

#include <algorithm>

namespace skin {

Rect StateRect(const Rect& whole, int states, int index) {
  if (states < 1) states = 1;
  index = std::clamp(index, 0, states - 1);
  const int width = whole.Width() / states;
  const int left = whole.left + index * width;
  return Rect{left, whole.top, left + width, whole.bottom};
}

namespace {

// Splits a span of `length` into the two border lengths and what lies between, shrinking the
// borders in proportion when they do not fit.
struct Cut {
  int first, middle, last;
};

Cut CutSpan(int length, int first, int last) {
  length = std::max(length, 0);
  if (first + last > length) {
    const int total = first + last;
    first = total > 0 ? first * length / total : 0;
    last = length - first;
  }
  return Cut{first, length - first - last, last};
}

}  // namespace

std::vector<Slice> NineSlice(const Rect& source, const Borders& b, const Rect& destination) {
  const Cut sx = CutSpan(source.Width(), b.left, b.right);
  const Cut sy = CutSpan(source.Height(), b.top, b.bottom);
  const Cut dx =
      CutSpan(destination.Width(), std::min(b.left, sx.first), std::min(b.right, sx.last));
  const Cut dy =
      CutSpan(destination.Height(), std::min(b.top, sy.first), std::min(b.bottom, sy.last));
  const int sxs[4] = {source.left, source.left + sx.first, source.right - sx.last, source.right};
  const int sys[4] = {source.top, source.top + sy.first, source.bottom - sy.last, source.bottom};
  const int dxs[4] = {destination.left, destination.left + dx.first, destination.right - dx.last,
                      destination.right};
  const int dys[4] = {destination.top, destination.top + dy.first, destination.bottom - dy.last,
                      destination.bottom};
  std::vector<Slice> slices;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      const Rect from{sxs[column], sys[row], sxs[column + 1], sys[row + 1]};
      const Rect to{dxs[column], dys[row], dxs[column + 1], dys[row + 1]};
      if (from.Width() > 0 && from.Height() > 0 && to.Width() > 0 && to.Height() > 0) {
        slices.push_back(Slice{from, to});
      }
    }
  }
  return slices;
}

TitleRowLayout LayoutTitleRow(const TitleRowInput& in) {
  TitleRowLayout out;
  const int innerRight = in.frameWidth - in.border;
  out.close = Rect{innerRight - in.buttonsRight - in.closeButton.width, in.buttonsTop,
                   innerRight - in.buttonsRight, in.buttonsTop + in.closeButton.height};
  out.minimize = Rect{out.close.left - in.buttonSpace - in.minimizeButton.width, in.buttonsTop,
                      out.close.left - in.buttonSpace, in.buttonsTop + in.minimizeButton.height};

  int blockWidth = 0;
  for (const TitleItem& item : in.items) blockWidth += item.size.width;
  const int blockRight = out.minimize.left - in.blockGap;
  out.block = Rect{blockRight - blockWidth, in.border, blockRight, in.titleHeight};

  const int centre = in.titleHeight / 2;
  int x = out.block.left;
  for (const TitleItem& item : in.items) {
    const int top = item.spacing ? centre - item.size.height / 2 : in.border;
    const Rect box{x, top, x + item.size.width, top + item.size.height};
    out.items.push_back(box);
    if (item.glyph.width > 0 && item.glyph.height > 0) {
      const int glyphTop = box.top + (item.size.height - item.glyph.height) / 2;
      const int glyphLeft = box.left + in.glyphIndent;
      out.glyphs.push_back(
          Rect{glyphLeft, glyphTop, glyphLeft + item.glyph.width, glyphTop + item.glyph.height});
    } else {
      out.glyphs.push_back(Rect{});
    }
    x += item.size.width;
  }

  out.logo = Point{in.border + in.iconLeft, centre - in.iconCell / 2};
  out.caption = Rect{in.border, in.border, innerRight, in.titleHeight};
  return out;
}

TitleHit HitTitleRow(const TitleRowLayout& layout, const std::vector<TitleItem>& items, Point p) {
  if (Contains(layout.close, p)) return TitleHit{TitlePart::Close, -1};
  if (Contains(layout.minimize, p)) return TitleHit{TitlePart::Minimize, -1};
  for (std::size_t i = 0; i < layout.items.size() && i < items.size(); ++i) {
    if (!items[i].spacing && Contains(layout.items[i], p)) {
      return TitleHit{TitlePart::Item, int(i)};
    }
  }
  if (Contains(layout.caption, p)) return TitleHit{TitlePart::Caption, -1};
  return TitleHit{};
}

}  // namespace skin
