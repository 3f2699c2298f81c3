#include "addresses.h"

#include "encoding.h"

namespace portal {
namespace {

std::u16string OnBase(std::u16string_view path) {
  std::u16string address(kBaseAddress);
  address += path;
  return address;
}

}  // namespace

std::u16string HomeAddress() { return OnBase(u"/"); }
std::u16string SearchPrefix() { return OnBase(u"/sell/search.php?kw="); }
std::u16string LoginAddress() { return OnBase(u"/member/login.php"); }
std::u16string RegistrationAddress() { return OnBase(u"/member/register.php"); }
std::u16string FeedbackAddress() { return OnBase(u"/feedback/"); }

void FillAddressTable(AddressTable& table, std::u16string_view executablePath) {
  table.FrameAddress = OnBase(u"/mini_web/frame.html?");
  table.BannerAddress = OnBase(u"/mini_web/flash.php?ext=.swf");

  const std::size_t cut = executablePath.find_last_of(u"\\:");
  std::u16string root;
  if (cut != std::u16string_view::npos) root = executablePath.substr(0, cut + 1);
  root += u"..\\";
  table.ResourceRoot = root;
  table.ErrorPagePath = root + u"Res\\error.html";
  table.LoadingPagePath = root + u"Res\\loading.html";
}

std::u16string BuildSearchAddress(std::u16string_view keyword) {
  return SearchPrefix() + AsciiToUtf16(FormEncode(Utf16ToUtf8(keyword)));
}

}  // namespace portal
