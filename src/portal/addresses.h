// Every portal address the program works with, derived from one base address at compile time,
// and the requests built from them at the moment of use.
#pragma once

#include <string>
#include <string_view>

#include "portal_config.h"

namespace portal {

inline constexpr std::u16string_view kBaseAddress = config::kBaseAddress;

// Fixed pages outside the address table (opened in the default browser).
std::u16string HomeAddress();          // base + "/"
std::u16string SearchPrefix();         // base + "/sell/search.php?kw="
std::u16string LoginAddress();         // base + "/member/login.php"
std::u16string RegistrationAddress();  // base + "/member/register.php"
std::u16string FeedbackAddress();      // base + "/feedback/"

// The four related sites offered in the notification-area menu, in menu order: the caption
// and the site's own home page (its scheme and host followed by "/").
struct RelatedSite {
  std::u16string_view caption;
  std::u16string_view address;
};
inline constexpr RelatedSite kRelatedSites[4] = {
    {u"Lumivar 资讯", u"https://news.lumivar.example/"},
    {u"Lumivar 物流", u"https://logistics.lumivar.example/"},
    {u"Lumivar 展会", u"https://expo.lumivar.example/"},
    {u"Lumivar 商学院", u"https://academy.lumivar.example/"},
};

// The program-wide address table: empty until FillAddressTable runs, never changed after.
struct AddressTable {
  std::u16string FrameAddress;     // base + "/mini_web/frame.html?"
  std::u16string BannerAddress;    // base + "/mini_web/flash.php?ext=.swf"
  std::u16string LoadingPagePath;  // ResourceRoot + "Res\loading.html"
  std::u16string ResourceRoot;     // exe directory (with its "\") + "..\", not normalised
  std::u16string ErrorPagePath;    // ResourceRoot + "Res\error.html"
};

// Fills every entry from the running executable's full path. The resource root keeps the path
// up to and including its last "\" or ":" (nothing when there is none) and appends "..\".
void FillAddressTable(AddressTable& table, std::u16string_view executablePath);

// Search prefix followed by FormEncode of the keyword's UTF-8 bytes. The keyword is used as
// typed: not trimmed, not validated; an empty keyword still yields an address.
std::u16string BuildSearchAddress(std::u16string_view keyword);

}  // namespace portal
