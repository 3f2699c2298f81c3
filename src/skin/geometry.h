// Skin geometry, free of any platform: which part of an image each state takes, how a framed
// image is cut into nine parts and stretched, and where everything of the title row sits.
//
// Title row coordinates are frame coordinates: the origin is the frame's outer top-left
// corner, the shadow outside the frame excluded.
#pragma once

#include <vector>

#include "options.h"

namespace skin {

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

inline bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The part of an image holding `states` state images side by side that shows state `index`
// (0 normal, 1 hot, 2 pressed, ...). Each state is the whole width divided by the count.
Rect StateRect(const Rect& whole, int states, int index);

// One part of a nine-part stretch: a source rectangle drawn into a destination rectangle.
struct Slice {
  Rect source;
  Rect destination;
  bool operator==(const Slice&) const = default;
};

// Cuts `source` along its border widths into corners (drawn at their size), edges (stretched
// along their length) and the centre (stretched both ways) to fill `destination`. When the
// destination is smaller than the borders, opposite borders share it in proportion. Empty
// parts are left out.
std::vector<Slice> NineSlice(const Rect& source, const Borders& borders, const Rect& destination);

// What the title row is built from: the skin's measures and the items' sizes.
struct TitleItem {
  Size size;
  bool spacing = false;  // a spacer: invisible, centred on the row
  Size glyph;            // {0, 0} for none
};

struct TitleRowInput {
  int frameWidth = 0;    // outer width of the frame (shadow excluded)
  int titleHeight = 0;   // height of the title row, the top frame line included
  int border = 0;        // frame line width
  int iconLeft = 0;      // margin of the icon cell from the frame line
  int buttonsRight = 0;  // margin of the rightmost border button from the right frame line
  int buttonsTop = 0;    // top of the border buttons
  int buttonSpace = 0;   // gap between border buttons
  Size minimizeButton;
  Size closeButton;
  int blockGap = 0;     // space between the item block and the minimize button
  int glyphIndent = 0;  // glyph's distance from its item's left edge
  int iconCell = 0;     // side of the icon cell
  std::vector<TitleItem> items;
};

struct TitleRowLayout {
  Rect minimize;
  Rect close;
  Rect block;
  std::vector<Rect> items;
  std::vector<Rect> glyphs;  // empty rectangles for items without a glyph
  Point logo;                // the icon cell's top-left corner: where the logo is drawn
  Rect caption;              // the title row: what is not a button or an item drags the window
};

TitleRowLayout LayoutTitleRow(const TitleRowInput& input);

// What lies under a point of the frame.
enum class TitlePart { None, Caption, Minimize, Close, Item };
struct TitleHit {
  TitlePart part = TitlePart::None;
  int item = -1;  // with TitlePart::Item
  bool operator==(const TitleHit&) const = default;
};

// Spacers are not hit: they belong to the caption.
TitleHit HitTitleRow(const TitleRowLayout& layout, const std::vector<TitleItem>& items, Point p);

}  // namespace skin
