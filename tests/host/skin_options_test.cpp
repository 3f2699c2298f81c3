#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>

#include "archive.h"
#include "options.h"

namespace skin {
namespace {

constexpr char kText[] =
    "[GLOBALINFO]\r\n"
    "VERSION=8.00\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "EXBORDER=!EXBORDER.PNG!2!0!3!0018!0040!0018!0018!1\r\n"
    "BICONMIN=@0000@0082@0082@0103@3@0\r\n"
    "DESCRIPTION=\r\n"
    "\r\n"
    "; a comment line\r\n"
    "[EDIT]\r\n"
    "BORDERSMASK=^0451^0021^0454^0024^0001^0001^0001^0001^1^0^1^1\r\n"
    "COLOR=16777215\r\n"
    "STATES=1\r\n"
    "GLOW0=N/A\r\n"
    "[TB_MENUBTN]\r\n"
    "PATTERN=~0353~0082~0380~0103~00~0\r\n"
    "[MENUITEM]\r\n"
    "HOTGRADIENTDATA=14194494;13010480;97;0;0;13010480;13010480;0;0;0\r\n"
    "[FORM]\n"  // a lone LF ends a line too
    "COLOR = 14015228 \n";

class OptionsTest : public ::testing::Test {
 protected:
  Options options_ = Options::Parse(kText);
};

TEST_F(OptionsTest, KeepsSectionsAndValuesInStoredOrder) {
  ASSERT_EQ(options_.Sections().size(), 5u);
  EXPECT_EQ(options_.Sections()[0].name, "GLOBALINFO");
  EXPECT_EQ(options_.Sections()[4].name, "FORM");
  EXPECT_EQ(options_.Sections()[0].values[1].first, "MASTERBITMAP");
  EXPECT_EQ(*options_.Value("GLOBALINFO", "VERSION"), "8.00");
}

TEST_F(OptionsTest, LooksUpSectionsAndKeysInAnyLetterCase) {
  EXPECT_EQ(*options_.Value("globalinfo", "masterbitmap"), "MASTER.BMP");
  EXPECT_EQ(options_.ColourOf("form", "color"), (Colour{252, 218, 213}));
}

TEST_F(OptionsTest, MissingAndNotApplicableValuesAreUnset) {
  EXPECT_FALSE(options_.Value("EDIT", "GLOW0"));
  EXPECT_FALSE(options_.Image("EDIT", "GLOW0"));
  EXPECT_FALSE(options_.Value("EDIT", "NOSUCHKEY"));
  EXPECT_FALSE(options_.Value("NOSUCHSECTION", "COLOR"));
  EXPECT_EQ(*options_.Value("GLOBALINFO", "DESCRIPTION"), "");
}

TEST_F(OptionsTest, GivesTypedValues) {
  EXPECT_EQ(options_.Number("EDIT", "STATES"), 1);
  EXPECT_EQ(options_.ColourOf("EDIT", "COLOR"), (Colour{255, 255, 255}));
  EXPECT_EQ(std::get<MemberImage>(*options_.Image("GLOBALINFO", "EXBORDER")),
            (MemberImage{"EXBORDER.PNG", 2, {0, 3}, {18, 40, 18, 18}, 1}));
  EXPECT_EQ(std::get<AtlasImage>(*options_.Image("GLOBALINFO", "BICONMIN")),
            (AtlasImage{{0, 82, 82, 103}, 3, 0}));
  EXPECT_EQ(std::get<BorderMask>(*options_.Image("EDIT", "BORDERSMASK")),
            (BorderMask{{451, 21, 454, 24}, {1, 1, 1, 1}, 1, {0, 1, 1}}));
  EXPECT_EQ(std::get<Pattern>(*options_.Image("TB_MENUBTN", "PATTERN")),
            (Pattern{{353, 82, 380, 103}, {0, 0}}));
  const auto gradient = *options_.Gradient("MENUITEM", "HOTGRADIENTDATA");
  ASSERT_EQ(gradient.size(), 2u);
  EXPECT_EQ(gradient[0].start, (Colour{62, 151, 216}));
  EXPECT_EQ(gradient[0].end, (Colour{48, 134, 198}));
  EXPECT_EQ(gradient[0].rest, (std::array<int, 3>{97, 0, 0}));
}

TEST(ColourFromNumber, ReadsBlueGreenRed) {
  EXPECT_EQ(ColourFromNumber(0), (Colour{0, 0, 0}));
  EXPECT_EQ(ColourFromNumber(255), (Colour{255, 0, 0}));
  EXPECT_EQ(ColourFromNumber(7628121), (Colour{89, 101, 116}));
  EXPECT_EQ(ColourFromNumber(16777215), (Colour{255, 255, 255}));
  EXPECT_THROW(ColourFromNumber(16777216), SkinError);
  EXPECT_THROW(ColourFromNumber(-1), SkinError);
}

struct BadValue {
  const char* text;
};

std::ostream& operator<<(std::ostream& out, const BadValue& v) { return out << v.text; }

class MalformedImageRef : public ::testing::TestWithParam<BadValue> {};

TEST_P(MalformedImageRef, IsRefused) { EXPECT_THROW(ParseImageRef(GetParam().text), SkinError); }

INSTANTIATE_TEST_SUITE_P(Values, MalformedImageRef,
                         ::testing::Values(BadValue{""}, BadValue{"@"}, BadValue{"@1@2@3@4@5"},
                                           BadValue{"@1@2@3@4@5@6@7"}, BadValue{"@1@2@x@4@5@6"},
                                           BadValue{"@1@2@@4@5@6"}, BadValue{"^1^2^3^4^5^6^7^8^9"},
                                           BadValue{"~1~2~3~4~5"}, BadValue{"!!2!0!3!1!1!1!1!1"},
                                           BadValue{"!A.PNG!2"}, BadValue{"#1#2#3#4#5#6"},
                                           BadValue{"@99999999999@0@0@0@0@0"},
                                           BadValue{"MASTER.BMP"}));

TEST(ParseGradient, NeedsGroupsOfFiveNumbers) {
  EXPECT_EQ(ParseGradient("255;65280;0;0;0").size(), 1u);
  for (const char* bad :
       {"", "1;2;3;4", "1;2;3;4;5;6", "1;2;x;4;5", "1;2;3;4;5;", "16777216;0;0;0;0"}) {
    EXPECT_THROW(ParseGradient(bad), SkinError) << bad;
  }
}

TEST(OptionsParse, RefusesLinesThatAreNeitherHeadersNorValues) {
  for (const char* bad : {"[GLOBALINFO\r\n", "[]\r\n", "[A]\r\njust words\r\n", "[A]\r\n=value\r\n",
                          "KEY=before any section\r\n"}) {
    EXPECT_THROW(Options::Parse(bad), SkinError) << bad;
  }
}

TEST(OptionsParse, TypedAccessRefusesMalformedValues) {
  const Options options = Options::Parse("[A]\r\nCOLOR=pink\r\nSTATES=3x\r\nIMG=@1@2\r\n");
  EXPECT_THROW(options.ColourOf("A", "COLOR"), SkinError);
  EXPECT_THROW(options.Number("A", "STATES"), SkinError);
  EXPECT_THROW(options.Image("A", "IMG"), SkinError);
}

}  // namespace
}  // namespace skin
