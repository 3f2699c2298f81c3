#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "addresses.h"
#include "time_text.h"

namespace portal {
namespace {

LongTimeFormat Clock24(std::u16string separator = u":", bool leadingZero = false) {
  LongTimeFormat format;
  format.separator = std::move(separator);
  format.leadingZero = leadingZero;
  format.twentyFourHour = true;
  return format;
}

LongTimeFormat Clock12(bool designatorFirst, bool leadingZero = false,
                       std::u16string morning = u"AM", std::u16string afternoon = u"PM",
                       std::u16string separator = u":") {
  LongTimeFormat format;
  format.separator = std::move(separator);
  format.leadingZero = leadingZero;
  format.twentyFourHour = false;
  format.morning = std::move(morning);
  format.afternoon = std::move(afternoon);
  format.designatorFirst = designatorFirst;
  return format;
}

struct TimeCase {
  const char* label;
  LongTimeFormat format;
  TimeOfDay time;
  std::u16string_view expected;
};

void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.label; }

class TimeOfDayText : public testing::TestWithParam<TimeCase> {};

TEST_P(TimeOfDayText, FollowsTheFormat) {
  const TimeCase& c = GetParam();
  EXPECT_EQ(FormatTimeOfDay(c.format, c.time), c.expected);
}

LongTimeFormat Clock24WithDesignators() {
  LongTimeFormat format = Clock12(true);
  format.twentyFourHour = true;
  return format;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TimeOfDayText,
    testing::Values(
        // 24-hour clock
        TimeCase{"H24Evening", Clock24(), {21, 5, 7}, u"21:05:07"},
        TimeCase{"H24Midnight", Clock24(), {0, 0, 0}, u"0:00:00"},
        TimeCase{"H24MidnightLeadingZero", Clock24(u":", true), {0, 0, 0}, u"00:00:00"},
        TimeCase{"H24Hour11", Clock24(), {11, 59, 59}, u"11:59:59"},
        TimeCase{"H24Noon", Clock24(), {12, 0, 0}, u"12:00:00"},
        TimeCase{"H24Hour23", Clock24(), {23, 59, 59}, u"23:59:59"},
        TimeCase{"H24MorningLeadingZero", Clock24(u":", true), {9, 5, 7}, u"09:05:07"},
        TimeCase{"H24TwoDigitHourLeadingZero", Clock24(u":", true), {13, 10, 20}, u"13:10:20"},
        TimeCase{"H24DotSeparator", Clock24(u"."), {21, 5, 7}, u"21.05.07"},
        TimeCase{"H24LongSeparator", Clock24(u" h "), {8, 0, 9}, u"8 h 00 h 09"},
        TimeCase{"H24IgnoresDesignators", Clock24WithDesignators(), {9, 5, 7}, u"9:05:07"},
        // 12-hour clock, designator after
        TimeCase{"H12Midnight", Clock12(false), {0, 0, 0}, u"12:00:00 AM"},
        TimeCase{"H12Morning", Clock12(false), {9, 5, 7}, u"9:05:07 AM"},
        TimeCase{"H12Hour11", Clock12(false), {11, 59, 59}, u"11:59:59 AM"},
        TimeCase{"H12Noon", Clock12(false), {12, 0, 0}, u"12:00:00 PM"},
        TimeCase{"H12Hour13", Clock12(false), {13, 0, 1}, u"1:00:01 PM"},
        TimeCase{"H12Hour23", Clock12(false), {23, 59, 59}, u"11:59:59 PM"},
        TimeCase{"H12Hour13LeadingZero", Clock12(false, true), {13, 0, 1}, u"01:00:01 PM"},
        TimeCase{"H12MidnightLeadingZero", Clock12(false, true), {0, 4, 5}, u"12:04:05 AM"},
        TimeCase{"H12DotSeparator",
                 Clock12(false, false, u"AM", u"PM", u"."),
                 {21, 5, 7},
                 u"9.05.07 PM"},
        // 12-hour clock, designator before
        TimeCase{"H12FirstMidnight", Clock12(true), {0, 0, 0}, u"AM 12:00:00"},
        TimeCase{"H12FirstHour23", Clock12(true), {23, 59, 59}, u"PM 11:59:59"},
        TimeCase{
            "CjkFirstMorning", Clock12(true, false, u"上午", u"下午"), {9, 5, 7}, u"上午 9:05:07"},
        TimeCase{
            "CjkFirstHour11", Clock12(true, false, u"上午", u"下午"), {11, 0, 0}, u"上午 11:00:00"},
        TimeCase{
            "CjkFirstNoon", Clock12(true, false, u"上午", u"下午"), {12, 30, 0}, u"下午 12:30:00"},
        TimeCase{"CjkFirstLeadingZero",
                 Clock12(true, true, u"上午", u"下午"),
                 {21, 5, 7},
                 u"下午 09:05:07"},
        TimeCase{"CjkAfterMidnight",
                 Clock12(false, false, u"上午", u"下午"),
                 {0, 1, 2},
                 u"12:01:02 上午"}),
    [](const testing::TestParamInfo<TimeCase>& info) { return std::string(info.param.label); });

class RefreshAddress : public testing::Test {
 protected:
  void SetUp() override { FillAddressTable(table_, u"C:\\Apps\\Portal\\bin\\client.exe"); }
  AddressTable table_;
};

TEST_F(RefreshAddress, AppendsTheTimeUnencoded) {
  const struct {
    LongTimeFormat format;
    std::u16string_view time;
  } cases[] = {
      {Clock24(), u"21:05:07"},
      {Clock12(false), u"9:05:07 PM"},
      {Clock12(true, false, u"上午", u"下午"), u"下午 9:05:07"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildRefreshAddress(table_.FrameAddress, c.format, {21, 5, 7}),
              std::u16string(kBaseAddress) + u"/mini_web/frame.html?&_=" + std::u16string(c.time));
  }
}

TEST_F(RefreshAddress, SameSecondSameAddress) {
  const LongTimeFormat format = Clock12(false);
  const std::u16string first = BuildRefreshAddress(table_.FrameAddress, format, {14, 3, 9});
  EXPECT_NE(first.find(u"?&_="), std::u16string::npos);
  EXPECT_EQ(BuildRefreshAddress(table_.FrameAddress, format, {14, 3, 9}), first);
  EXPECT_NE(BuildRefreshAddress(table_.FrameAddress, format, {14, 3, 10}), first);
}

}  // namespace
}  // namespace portal
