// The time-of-day text of the refresh address, written from the pieces of the user's long time
// format. Platform-free: the Windows side reads the pieces from the locale at the moment of use.
#pragma once

#include <string>
#include <string_view>

namespace portal {

struct LongTimeFormat {
  std::u16string separator = u":";   // between hour, minutes and seconds
  bool leadingZero = false;          // hour written with two digits
  bool twentyFourHour = true;        // false: 12-hour clock with a designator
  std::u16string morning = u"AM";    // designator for hours 0 to 11
  std::u16string afternoon = u"PM";  // designator for hours 12 to 23
  bool designatorFirst = false;      // designator before the hour (one blank after it)
};

struct TimeOfDay {
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
};

// Hour, separator, two-digit minutes, separator, two-digit seconds. On a 12-hour clock the hour
// runs 1..12 (0 o'clock is 12) and the designator follows after one blank, or precedes the hour
// with one blank when designatorFirst. No date and no fraction of a second.
std::u16string FormatTimeOfDay(const LongTimeFormat& format, TimeOfDay time);

// frameAddress, then "&_=", then the time text, unencoded.
std::u16string BuildRefreshAddress(std::u16string_view frameAddress, const LongTimeFormat& format,
                                   TimeOfDay time);

}  // namespace portal
