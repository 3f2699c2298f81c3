// The refresh address's time text against the system's own formatter for the user's locale.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "addresses.h"
#include "locale_time.h"
#include "text.h"
#include "time_text.h"
#include "unit_main.h"

namespace {

std::wstring SystemTimeText(int hour, int minute, int second) {
  SYSTEMTIME time{};
  time.wYear = 2026;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = WORD(hour);
  time.wMinute = WORD(minute);
  time.wSecond = WORD(second);
  wchar_t text[128] = {};
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, text, 128);
  return text;
}

TEST(UserLongTimeFormat, WritesWhatTheSystemWritesForTheUserLocale) {
  const portal::LongTimeFormat format = win::ReadUserLongTimeFormat();
  for (const portal::TimeOfDay time :
       {portal::TimeOfDay{0, 0, 0}, portal::TimeOfDay{9, 5, 7}, portal::TimeOfDay{11, 59, 59},
        portal::TimeOfDay{12, 0, 0}, portal::TimeOfDay{13, 1, 2}, portal::TimeOfDay{23, 5, 7}}) {
    EXPECT_EQ(win::Wide(portal::FormatTimeOfDay(format, time)),
              SystemTimeText(time.hour, time.minute, time.second))
        << time.hour << ":" << time.minute << ":" << time.second;
  }
}

TEST(RefreshAddress, IsTheFrameAddressWithTheCurrentTime) {
  portal::FillAddressTable(PortalAddresses, u"C:\\Apps\\Portal\\bin\\client.exe");
  std::u16string address;
  portal::TimeOfDay before{}, after{};
  // Retry across a change of second so that the expected text is certain.
  do {
    before = win::LocalTimeOfDay();
    address = BuildRefreshAddress();
    after = win::LocalTimeOfDay();
  } while (before.second != after.second);
  const std::u16string expected = PortalAddresses.FrameAddress + u"&_=" +
                                  portal::FormatTimeOfDay(win::ReadUserLongTimeFormat(), before);
  EXPECT_EQ(address, expected);
  EXPECT_NE(address.find(u"?&_="), std::u16string::npos);
  PortalAddresses = {};
}

}  // namespace
