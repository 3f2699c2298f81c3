// The program's own skin archive and pictures, read with the program's readers: what the
// windows are drawn from must be what the layout expects.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "archive.h"
#include "image.h"
#include "options.h"
#include "skin.h"

namespace skin {
namespace {

std::vector<std::uint8_t> ReadFile(const std::string& relative) {
  std::ifstream in(std::filesystem::path(MK_SOURCE_DIR) / relative, std::ios::binary);
  EXPECT_TRUE(in) << relative;
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

class SkinArchive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    skin_ = new Skin(Skin::Load(ReadFile("assets/skin/MiniKorvel.askin")));
  }
  static void TearDownTestSuite() {
    delete skin_;
    skin_ = nullptr;
  }
  static Skin* skin_;
};
Skin* SkinArchive::skin_ = nullptr;

TEST_F(SkinArchive, HoldsTheOptionsAndTenImagesInStoredOrder) {
  struct Expected {
    const char* name;
    int width, height, bits;
  };
  const Expected members[] = {
      {"Options.dat", 0, 0, 0},        {"ButtonHuge.bmp", 288, 192, 8},
      {"Master.bmp", 515, 120, 24},    {"ExBorder.png", 114, 69, 32},
      {"GlowBtn.png", 32, 32, 32},     {"GlowCAlone.png", 63, 38, 32},
      {"GlowClose.png", 63, 38, 32},   {"GlowMax.png", 46, 38, 32},
      {"GlowMin.png", 46, 38, 32},     {"GlowNorm.png", 46, 38, 32},
      {"Master.fw.png", 515, 120, 32},
  };
  const auto& stored = skin_->Members().members;
  ASSERT_EQ(stored.size(), std::size(members));
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(stored[i].name, members[i].name);
    if (i == 0) continue;
    const auto image = skin_->MemberImage(stored[i].name);
    ASSERT_TRUE(image) << stored[i].name;
    EXPECT_EQ(image->width, members[i].width) << stored[i].name;
    EXPECT_EQ(image->height, members[i].height) << stored[i].name;
    EXPECT_EQ(image->sourceBits, members[i].bits) << stored[i].name;
  }
  EXPECT_EQ(skin_->Members().Options(), &stored[0]);
}

TEST_F(SkinArchive, OptionsHoldGlobalInfoAndTheControlSectionsInOrder) {
  const std::vector<std::string> controls = {"DIVIDER",
                                             "EDIT",
                                             "GRIPH",
                                             "GRIPV",
                                             "GROUPBOX",
                                             "ICOLINE",
                                             "HINT",
                                             "MAINMENU",
                                             "MDIAREA",
                                             "PAGECONTROL",
                                             "PANEL",
                                             "PANEL_LOW",
                                             "PROGRESSH",
                                             "STATUSBAR",
                                             "FORM",
                                             "DIVIDERV",
                                             "GAUGE",
                                             "COMBOBOX",
                                             "SPLITTER",
                                             "SCROLLBAR1V",
                                             "SCROLLBAR1H",
                                             "SCROLLBAR2H",
                                             "SCROLLBAR2V",
                                             "SCROLLSLIDERV",
                                             "SCROLLBTNTOP",
                                             "SCROLLBTNBOTTOM",
                                             "SCROLLBTNRIGHT",
                                             "SCROLLBTNLEFT",
                                             "SCROLLSLIDERH",
                                             "COMBOBTN",
                                             "DIALOG",
                                             "PROGRESSV",
                                             "CHECKBOX",
                                             "SPEEDBUTTON",
                                             "SPEEDBUTTON_SMALL",
                                             "RADIOBUTTON",
                                             "TRACKBAR",
                                             "TABTOP",
                                             "WEBBUTTON",
                                             "BARTITLE",
                                             "EXTRALINE",
                                             "TOOLBUTTON",
                                             "COLHEADER",
                                             "BUTTON_HUGE",
                                             "PAGECONTROLBOTTOM",
                                             "PAGECONTROLLEFT",
                                             "PAGECONTROLRIGHT",
                                             "TABBOTTOM",
                                             "TABLEFT",
                                             "TABRIGHT",
                                             "FORMTITLE",
                                             "BUTTON",
                                             "BUTTON_BIG",
                                             "UPDOWNBTN",
                                             "BARPANEL",
                                             "MENULINE",
                                             "ALPHACOMBOBOX",
                                             "BAR",
                                             "TOOLBAR",
                                             "DRAGBAR",
                                             "SELECTION",
                                             "MENUITEM",
                                             "ALPHAEDIT",
                                             "RIBBONPAGE",
                                             "RIBBONTAB",
                                             "TB_BTN",
                                             "TB_MENUBTN"};
  const auto& sections = skin_->Options().Sections();
  ASSERT_EQ(sections.size(), controls.size() + 1);
  EXPECT_EQ(sections[0].name, "GLOBALINFO");
  for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(sections[i + 1].name, controls[i]);
}

TEST_F(SkinArchive, ValuesThatShapeTheWindows) {
  const Options& o = skin_->Options();
  struct Number {
    const char* section;
    const char* key;
    int value;
  };
  for (const Number& n : {Number{"GLOBALINFO", "TITLEHEIGHT", 0},
                          {"GLOBALINFO", "BORDERWIDTH", 1},
                          {"GLOBALINFO", "FORMOFFSET", 10},
                          {"GLOBALINFO", "BORDERMODE", 1},
                          {"GLOBALINFO", "BILEFT", 8},
                          {"GLOBALINFO", "BIRIGHT", 0},
                          {"GLOBALINFO", "BITOP", 1},
                          {"GLOBALINFO", "BISPACE", 0},
                          {"EDIT", "STATES", 1},
                          {"TB_MENUBTN", "STATES", 3}}) {
    EXPECT_EQ(o.Number(n.section, n.key), n.value) << n.section << "." << n.key;
  }
  struct Colour {
    const char* section;
    const char* key;
    skin::Colour value;
  };
  for (const Colour& c : {Colour{"FORM", "COLOR", {252, 218, 213}},
                          {"EDIT", "COLOR", {255, 255, 255}},
                          {"ICOLINE", "COLOR", {252, 218, 213}},
                          {"MENUITEM", "COLOR", {255, 255, 255}},
                          {"MENUITEM", "HOTFONTCOLOR", {255, 255, 255}},
                          {"WEBBUTTON", "FONTCOLOR", {87, 146, 178}},
                          {"WEBBUTTON", "HOTFONTCOLOR", {0, 128, 255}},
                          {"GLOBALINFO", "SHADOW1COLOR", {89, 101, 116}}}) {
    EXPECT_EQ(o.ColourOf(c.section, c.key), c.value) << c.section << "." << c.key;
  }
  EXPECT_EQ(*o.Value("GLOBALINFO", "MASTERBITMAP"), "MASTER.BMP");
  EXPECT_EQ(std::get<MemberImage>(*o.Image("GLOBALINFO", "EXBORDER")),
            (MemberImage{"EXBORDER.PNG", 2, {0, 3}, {18, 40, 18, 18}, 1}));
  EXPECT_EQ(std::get<AtlasImage>(*o.Image("GLOBALINFO", "BICONMIN")),
            (AtlasImage{{0, 82, 82, 103}, 3, 0}));
  EXPECT_EQ(std::get<AtlasImage>(*o.Image("GLOBALINFO", "BICONCLOSE")),
            (AtlasImage{{84, 82, 187, 103}, 3, 0}));
  EXPECT_EQ(std::get<Pattern>(*o.Image("TB_MENUBTN", "PATTERN")).rect, (Rect{353, 82, 380, 103}));
  EXPECT_EQ(std::get<BorderMask>(*o.Image("EDIT", "BORDERSMASK")).rect, (Rect{451, 21, 454, 24}));
  const auto hot = *o.Gradient("MENUITEM", "HOTGRADIENTDATA");
  EXPECT_EQ(hot[0].start, (skin::Colour{62, 151, 216}));
  EXPECT_EQ(hot[0].end, (skin::Colour{48, 134, 198}));
}

TEST_F(SkinArchive, EveryImageReferenceResolves) {
  const auto atlas = skin_->Atlas();
  ASSERT_TRUE(atlas);
  const Options& o = skin_->Options();
  for (const auto& section : o.Sections()) {
    for (const auto& [key, value] : section.values) {
      if (value.empty() || std::string("@^~!").find(value[0]) == std::string::npos) continue;
      const auto ref = o.Image(section.name, key);
      ASSERT_TRUE(ref) << section.name << "." << key;
      Rect rect;
      if (const auto* a = std::get_if<AtlasImage>(&*ref)) rect = a->rect;
      if (const auto* m = std::get_if<BorderMask>(&*ref)) rect = m->rect;
      if (const auto* p = std::get_if<Pattern>(&*ref)) rect = p->rect;
      if (const auto* member = std::get_if<MemberImage>(&*ref)) {
        // The one image the archive does not hold belongs to a control the program lacks.
        if (member->name == "BR.BMP") continue;
        EXPECT_TRUE(skin_->ImageOf(*member)) << section.name << "." << key << " " << member->name;
        continue;
      }
      EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= atlas->width &&
                  rect.bottom <= atlas->height && rect.Width() > 0 && rect.Height() > 0)
          << section.name << "." << key << " " << value;
    }
  }
}

// Pictures
// -----------------------------------------------------------------------------------------

bool SameRgb(const Image& image, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::uint8_t* p = image.Pixel(x, y);
  return p[0] == r && p[1] == g && p[2] == b;
}

TEST(Pictures, HaveTheirSizesAndDepths) {
  struct Expected {
    const char* file;
    int width, height, bits;
  };
  for (const Expected& e : {Expected{"logo.bmp", 228, 50, 24},
                            {"about.bmp", 436, 269, 24},
                            {"glyph-login.bmp", 26, 13, 32},
                            {"glyph-register.bmp", 26, 13, 32},
                            {"glyph-more.bmp", 13, 11, 32},
                            {"glyph-refresh.bmp", 13, 13, 32},
                            {"search-button.bmp", 21, 22, 32},
                            {"menu-about.bmp", 16, 16, 32},
                            {"menu-refresh.bmp", 16, 16, 32}}) {
    const Image image = DecodeBmp(ReadFile(std::string("assets/pictures/") + e.file));
    EXPECT_EQ(image.width, e.width) << e.file;
    EXPECT_EQ(image.height, e.height) << e.file;
    EXPECT_EQ(image.sourceBits, e.bits) << e.file;
  }
}

TEST(Pictures, LogoIsOpaqueAndEndsBeforeTheBannerInTheTopStrip) {
  const Image logo = DecodeBmp(ReadFile("assets/pictures/logo.bmp"));
  // Drawn at client column 8, rows 23 to 49 show in the strip, where the banner starts at
  // client column 210 and the logo's drawing must end at client column 186.
  for (int y = 0; y < logo.height; ++y) {
    for (int x = 0; x < logo.width; ++x) {
      EXPECT_FALSE(SameRgb(logo, x, y, 255, 0, 255)) << x << "," << y;
      if (y >= 23 && x + 8 > 186) {
        EXPECT_TRUE(SameRgb(logo, x, y, 252, 218, 213)) << x << "," << y;
      }
    }
  }
}

TEST(Pictures, AboutPictureHasItsBannerAndPlainLowerArea) {
  const Image about = DecodeBmp(ReadFile("assets/pictures/about.bmp"));
  for (int y = 172; y < about.height; ++y) {
    for (int x = 0; x < about.width; ++x) {
      ASSERT_TRUE(SameRgb(about, x, y, 253, 250, 252)) << x << "," << y;
    }
  }
  EXPECT_TRUE(SameRgb(about, 0, 0, 221, 117, 159));
  EXPECT_TRUE(SameRgb(about, about.width - 1, 171, 221, 117, 159));
}

TEST(Pictures, SearchButtonIsOpaqueWithItsCrimsonLines) {
  const Image button = DecodeBmp(ReadFile("assets/pictures/search-button.bmp"));
  for (int y = 0; y < button.height; ++y) {
    for (int x = 0; x < button.width; ++x) {
      EXPECT_EQ(button.Pixel(x, y)[3], 255) << x << "," << y;
      EXPECT_FALSE(SameRgb(button, x, y, 128, 128, 0)) << x << "," << y;
    }
  }
  for (int x = 0; x < button.width - 1; ++x) {
    EXPECT_TRUE(SameRgb(button, x, 0, 198, 23, 50)) << x;
    EXPECT_TRUE(SameRgb(button, x, button.height - 1, 198, 23, 50)) << x;
  }
}

}  // namespace
}  // namespace skin
