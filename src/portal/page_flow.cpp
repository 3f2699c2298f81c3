#include "page_flow.h"

#include <utility>

namespace portal {
namespace {

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// The address's scheme in lower case, or nothing when the text does not start with one
// (a letter, then letters, digits, "+", "-" or ".", then ":").
std::u16string SchemeOf(std::u16string_view url) {
  const size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) return {};
  std::u16string scheme;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = AsciiLower(url[i]);
    const bool letter = c >= u'a' && c <= u'z';
    const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
    if (!letter && (i == 0 || !other)) return {};
    scheme += c;
  }
  return scheme;
}

}  // namespace

PageFlow::PageFlow(const AddressTable& table, std::u16string builtInErrorAddress)
    : table_(table), builtInErrorAddress_(std::move(builtInErrorAddress)) {}

std::u16string PageFlow::Start() {
  stage_ = ErrorStage::None;
  return table_.LoadingPagePath;
}

std::optional<std::u16string> PageFlow::DocumentComplete(std::u16string_view url) {
  stage_ = ErrorStage::None;
  if (IsLoadingPageAddress(url)) return table_.FrameAddress;
  return std::nullopt;
}

std::optional<std::u16string> PageFlow::NavigateError() {
  switch (stage_) {
    case ErrorStage::None:
      stage_ = ErrorStage::ErrorPage;
      return table_.ErrorPagePath;
    case ErrorStage::ErrorPage:
      stage_ = ErrorStage::BuiltInPage;
      return builtInErrorAddress_;
    case ErrorStage::BuiltInPage:
      break;
  }
  return std::nullopt;
}

std::u16string PageFlow::Refresh(std::u16string refreshAddress) {
  stage_ = ErrorStage::None;
  return refreshAddress;
}

bool IsLoadingPageAddress(std::u16string_view url) {
  if (url.find(u"\\Res\\loading.html") != std::u16string_view::npos) return true;
  return SchemeOf(url) == u"file" && url.find(u"/Res/loading.html") != std::u16string_view::npos;
}

bool IsShellSafeAddress(std::u16string_view url) {
  for (const char16_t c : url) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  const std::u16string scheme = SchemeOf(url);
  return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

std::u16string ResourceAddress(std::u16string_view modulePath, std::u16string_view name) {
  std::u16string address = u"res://";
  address += modulePath;
  address += u'/';
  address += name;
  return address;
}

bool IsBlockedBrowserKey(unsigned virtualKey, bool ctrl, bool shift, bool alt) {
  return virtualKey == 'N' && ctrl && !shift && !alt;
}

}  // namespace portal
