// Byte and text conversions used to build request addresses.
#pragma once

#include <string>
#include <string_view>

namespace portal {

// UTF-16 to UTF-8. A surrogate pair becomes one four-byte sequence; an unpaired surrogate
// becomes U+FFFD (EF BF BD), as WideCharToMultiByte does on Windows.
std::string Utf16ToUtf8(std::u16string_view text);

// Form encoding of a byte string. Walks the bytes up to the end or the first zero byte.
// Letters, digits and ! $ ' ( ) * - . @ _ stay as they are; the blank becomes "+"; every
// other byte becomes "%" and two upper-case hexadecimal digits.
std::string FormEncode(std::string_view bytes);

// Widens ASCII text (such as FormEncode's output) to UTF-16.
std::u16string AsciiToUtf16(std::string_view ascii);

}  // namespace portal
