#include "banner.h"

#include <array>

namespace portal {
namespace {

constexpr std::array<std::u16string_view, 4> kMediaExtensions = {u".swf", u".flv", u".mp3",
                                                                 u".mp4"};

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool EndsWithMediaExtension(std::u16string_view text) {
  for (std::u16string_view extension : kMediaExtensions) {
    if (text.size() < extension.size()) continue;
    const std::u16string_view tail = text.substr(text.size() - extension.size());
    bool same = true;
    for (std::size_t i = 0; i < tail.size(); ++i) same = same && Lower(tail[i]) == extension[i];
    if (same) return true;
  }
  return false;
}

}  // namespace

void PlaceAndPlayBanner(BannerPlayer& player, std::u16string_view movieAddress) {
  player.SetLeft(kBannerLeft);
  player.SetTop(kBannerTop);
  player.SetWidth(kBannerWidth);
  player.SetHeight(kBannerHeight);
  if (player.Movie() != movieAddress) player.SetMovie(std::u16string(movieAddress));
  player.Play();
}

MovieRoute RouteFor(int playerMajorVersion) {
  return playerMajorVersion < 10 ? MovieRoute::PlayerLoadsAddress : MovieRoute::ProgramFetchesData;
}

bool IsServableMediaAddress(std::u16string_view address) {
  const std::size_t scheme = address.find(u"://");
  if (scheme == std::u16string_view::npos) return false;
  std::u16string_view rest = address.substr(scheme + 3);
  rest = rest.substr(0, rest.find(u'#'));
  const std::size_t query = rest.find(u'?');
  if (EndsWithMediaExtension(rest.substr(0, query))) return true;
  if (query == std::u16string_view::npos) return false;
  // "ext=.swf" among the query's parameters.
  std::u16string_view parameters = rest.substr(query + 1);
  while (!parameters.empty()) {
    const std::size_t amp = parameters.find(u'&');
    const std::u16string_view pair = parameters.substr(0, amp);
    const std::size_t equals = pair.find(u'=');
    if (equals != std::u16string_view::npos && pair.substr(0, equals) == u"ext" &&
        EndsWithMediaExtension(pair.substr(equals + 1)) &&
        pair.substr(equals + 1).front() == u'.') {
      return true;
    }
    if (amp == std::u16string_view::npos) break;
    parameters.remove_prefix(amp + 1);
  }
  return false;
}

}  // namespace portal
