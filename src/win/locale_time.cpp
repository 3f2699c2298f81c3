#include "locale_time.h"

#include <windows.h>

#include <string>

#include "text.h"

namespace win {
namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 2] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, ARRAYSIZE(buffer));
  return length > 0 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring();
}

int LocaleNumber(LCTYPE type, int fallback) {
  DWORD value = 0;
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                      reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t)) == 0) {
    return fallback;
  }
  return static_cast<int>(value);
}

}  // namespace

portal::LongTimeFormat ReadUserLongTimeFormat() {
  portal::LongTimeFormat format;
  const std::wstring separator = LocaleText(LOCALE_STIME);
  if (!separator.empty()) format.separator = Utf16(separator);
  format.leadingZero = LocaleNumber(LOCALE_ITLZERO, 0) != 0;
  format.twentyFourHour = LocaleNumber(LOCALE_ITIME, 1) != 0;
  format.morning = Utf16(LocaleText(LOCALE_S1159));
  format.afternoon = Utf16(LocaleText(LOCALE_S2359));
  format.designatorFirst = LocaleNumber(LOCALE_ITIMEMARKPOSN, 0) != 0;
  return format;
}

portal::TimeOfDay LocalTimeOfDay() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond};
}

}  // namespace win
