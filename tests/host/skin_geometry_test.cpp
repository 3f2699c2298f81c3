#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "geometry.h"

namespace skin {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
std::ostream& operator<<(std::ostream& out, const Slice& s) {
  return out << s.source << "->" << s.destination;
}

namespace {

TEST(StateRect, TakesEqualPartsOfTheWholeWidth) {
  struct Case {
    Rect whole;
    int states, index;
    Rect expected;
  };
  const Case cases[] = {
      {{0, 82, 82, 103}, 3, 0, {0, 82, 27, 103}},       // minimize, normal
      {{0, 82, 82, 103}, 3, 2, {54, 82, 81, 103}},      // minimize, pressed
      {{84, 82, 187, 103}, 3, 1, {118, 82, 152, 103}},  // close, hot
      {{0, 0, 114, 69}, 2, 1, {57, 0, 114, 69}},        // active frame
      {{10, 0, 20, 5}, 1, 0, {10, 0, 20, 5}},
      {{10, 0, 20, 5}, 0, 0, {10, 0, 20, 5}},  // no count: one state
      {{0, 0, 90, 5}, 3, 7, {60, 0, 90, 5}},   // beyond the last: the last
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StateRect(c.whole, c.states, c.index), c.expected) << c.whole << " " << c.index;
  }
}

TEST(NineSlice, KeepsCornersAndStretchesEdgesAndCentre) {
  // The active frame image into the main window with its shadow: 722 x 476.
  const auto slices = NineSlice({57, 0, 114, 69}, {18, 40, 18, 18}, {0, 0, 722, 476});
  const std::vector<Slice> expected = {
      {{57, 0, 75, 40}, {0, 0, 18, 40}},         {{75, 0, 96, 40}, {18, 0, 704, 40}},
      {{96, 0, 114, 40}, {704, 0, 722, 40}},     {{57, 40, 75, 51}, {0, 40, 18, 458}},
      {{75, 40, 96, 51}, {18, 40, 704, 458}},    {{96, 40, 114, 51}, {704, 40, 722, 458}},
      {{57, 51, 75, 69}, {0, 458, 18, 476}},     {{75, 51, 96, 69}, {18, 458, 704, 476}},
      {{96, 51, 114, 69}, {704, 458, 722, 476}},
  };
  EXPECT_EQ(slices, expected);
}

TEST(NineSlice, HandlesThinFramesAndSmallDestinations) {
  struct Case {
    const char* name;
    Rect source;
    Borders borders;
    Rect destination;
    std::vector<Slice> expected;
  };
  const Case cases[] = {
      {"one-pixel frame of the edit",
       {451, 21, 454, 24},
       {1, 1, 1, 1},
       {0, 0, 100, 22},
       {{{451, 21, 452, 22}, {0, 0, 1, 1}},
        {{452, 21, 453, 22}, {1, 0, 99, 1}},
        {{453, 21, 454, 22}, {99, 0, 100, 1}},
        {{451, 22, 452, 23}, {0, 1, 1, 21}},
        {{452, 22, 453, 23}, {1, 1, 99, 21}},
        {{453, 22, 454, 23}, {99, 1, 100, 21}},
        {{451, 23, 452, 24}, {0, 21, 1, 22}},
        {{452, 23, 453, 24}, {1, 21, 99, 22}},
        {{453, 23, 454, 24}, {99, 21, 100, 22}}}},
      {"no borders: one stretched centre",
       {353, 82, 380, 103},
       {0, 0, 0, 0},
       {0, 0, 40, 20},
       {{{353, 82, 380, 103}, {0, 0, 40, 20}}}},
      {"only a left column",
       {130, 28, 135, 36},
       {0, 0, 2, 0},
       {0, 0, 24, 50},
       {{{130, 28, 133, 36}, {0, 0, 22, 50}}, {{133, 28, 135, 36}, {22, 0, 24, 50}}}},
      {"destination narrower than the borders",
       {0, 0, 10, 10},
       {4, 0, 4, 0},
       {0, 0, 4, 10},
       {{{0, 0, 4, 10}, {0, 0, 2, 10}}, {{6, 0, 10, 10}, {2, 0, 4, 10}}}},
      {"empty destination", {0, 0, 10, 10}, {2, 2, 2, 2}, {5, 5, 5, 5}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NineSlice(c.source, c.borders, c.destination), c.expected) << c.name;
  }
}

// The main window's title row: 702-pixel frame, 30-pixel row, 1-pixel line, the skin's
// margins, the border buttons' sizes and the seven title-bar items.
TitleRowInput MainWindowRow() {
  TitleRowInput in;
  in.frameWidth = 702;
  in.titleHeight = 30;
  in.border = 1;
  in.iconLeft = 8;
  in.buttonsRight = 0;
  in.buttonsTop = 1;
  in.buttonSpace = 0;
  in.minimizeButton = {27, 21};
  in.closeButton = {34, 21};
  in.blockGap = 6;
  in.glyphIndent = 7;
  in.iconCell = 16;
  in.items = {{{40, 20}, false, {26, 13}}, {{2, 18}, true, {}},         {{40, 20}, false, {26, 13}},
              {{2, 16}, true, {}},         {{27, 18}, false, {13, 11}}, {{2, 18}, true, {}},
              {{27, 18}, false, {13, 13}}};
  return in;
}

TEST(LayoutTitleRow, PlacesButtonsItemsGlyphsAndLogoOfTheMainWindow) {
  const TitleRowLayout row = LayoutTitleRow(MainWindowRow());
  EXPECT_EQ(row.close, (Rect{667, 1, 701, 22}));
  EXPECT_EQ(row.minimize, (Rect{640, 1, 667, 22}));
  EXPECT_EQ(row.block, (Rect{494, 1, 634, 30}));
  EXPECT_EQ(row.block.Width(), 140);
  const std::vector<Rect> items = {{494, 1, 534, 21}, {534, 6, 536, 24}, {536, 1, 576, 21},
                                   {576, 7, 578, 23}, {578, 1, 605, 19}, {605, 6, 607, 24},
                                   {607, 1, 634, 19}};
  EXPECT_EQ(row.items, items);
  // Glyphs 7 pixels in, centred vertically: which centres them horizontally too.
  const std::vector<Rect> glyphs = {{501, 4, 527, 17}, {}, {543, 4, 569, 17}, {},
                                    {585, 4, 598, 15}, {}, {614, 3, 627, 16}};
  EXPECT_EQ(row.glyphs, glyphs);
  for (std::size_t i : {0u, 2u, 4u, 6u}) {
    EXPECT_EQ(row.glyphs[i].left - row.items[i].left, row.items[i].right - row.glyphs[i].right);
  }
  EXPECT_EQ(row.logo, (Point{9, 7}));
}

TEST(LayoutTitleRow, FollowsTheSkinsMargins) {
  TitleRowInput in = MainWindowRow();
  in.frameWidth = 500;
  in.border = 2;
  in.buttonsRight = 3;
  in.buttonSpace = 4;
  in.titleHeight = 40;
  const TitleRowLayout row = LayoutTitleRow(in);
  EXPECT_EQ(row.close, (Rect{461, 1, 495, 22}));
  EXPECT_EQ(row.minimize, (Rect{430, 1, 457, 22}));
  EXPECT_EQ(row.block.right, 424);
  EXPECT_EQ(row.items[1], (Rect{324, 11, 326, 29}));  // spacer centred on row 20
  EXPECT_EQ(row.logo, (Point{10, 12}));
}

TEST(HitTitleRow, TellsButtonsItemsAndCaptionApart) {
  const TitleRowInput in = MainWindowRow();
  const TitleRowLayout row = LayoutTitleRow(in);
  struct Case {
    Point p;
    TitleHit expected;
  };
  const Case cases[] = {
      {{667, 1}, {TitlePart::Close, -1}},     {{700, 21}, {TitlePart::Close, -1}},
      {{701, 10}, {TitlePart::None, -1}},     {{666, 10}, {TitlePart::Minimize, -1}},
      {{640, 21}, {TitlePart::Minimize, -1}}, {{639, 10}, {TitlePart::Caption, -1}},
      {{494, 1}, {TitlePart::Item, 0}},       {{533, 20}, {TitlePart::Item, 0}},
      {{534, 10}, {TitlePart::Caption, -1}},  // a spacer
      {{536, 5}, {TitlePart::Item, 2}},       {{600, 18}, {TitlePart::Item, 4}},
      {{600, 19}, {TitlePart::Caption, -1}},  {{633, 1}, {TitlePart::Item, 6}},
      {{100, 15}, {TitlePart::Caption, -1}},  {{10, 29}, {TitlePart::Caption, -1}},
      {{10, 30}, {TitlePart::None, -1}},      {{0, 10}, {TitlePart::None, -1}},
      {{10, 0}, {TitlePart::None, -1}},
  };
  for (const Case& c : cases) {
    const TitleHit hit = HitTitleRow(row, in.items, c.p);
    EXPECT_EQ(hit, c.expected) << c.p.x << "," << c.p.y;
  }
}

}  // namespace
}  // namespace skin
