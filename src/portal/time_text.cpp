#include "time_text.h"

namespace portal {
namespace {

// Decimal digits of a non-negative value, padded with zeros to at least `width`.
void AppendNumber(std::u16string& out, int value, int width) {
  if (value < 0) value = 0;
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), u'0');
  out += digits;
}

}  // namespace

std::u16string FormatTimeOfDay(const LongTimeFormat& format, TimeOfDay time) {
  int hour = time.hour;
  const std::u16string& designator = hour < 12 ? format.morning : format.afternoon;
  if (!format.twentyFourHour) {
    hour %= 12;
    if (hour == 0) hour = 12;
  }

  std::u16string text;
  if (!format.twentyFourHour && format.designatorFirst) {
    text += designator;
    text += u' ';
  }
  AppendNumber(text, hour, format.leadingZero ? 2 : 1);
  text += format.separator;
  AppendNumber(text, time.minute, 2);
  text += format.separator;
  AppendNumber(text, time.second, 2);
  if (!format.twentyFourHour && !format.designatorFirst) {
    text += u' ';
    text += designator;
  }
  return text;
}

std::u16string BuildRefreshAddress(std::u16string_view frameAddress, const LongTimeFormat& format,
                                   TimeOfDay time) {
  std::u16string address(frameAddress);
  address += u"&_=";
  address += FormatTimeOfDay(format, time);
  return address;
}

}  // namespace portal
