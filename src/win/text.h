// UTF-16 text crosses between the platform-free code (char16_t) and Win32 (wchar_t, also
// 16 bits on Windows) without conversion.
#pragma once

#include <string>
#include <string_view>

namespace win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string Utf16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace win
