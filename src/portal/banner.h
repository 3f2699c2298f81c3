// The banner strip at the top of the window, free of any platform: the three steps the main
// window takes each time its background is redrawn, against whatever player shows the movie.
#pragma once

#include <string>
#include <string_view>

namespace portal {

// The player of the banner movie as the window sees it.
class BannerPlayer {
 public:
  virtual ~BannerPlayer() = default;
  // Bounds in the window's client coordinates.
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  // The movie's address; setting it loads the movie.
  virtual std::u16string Movie() const = 0;
  virtual void SetMovie(const std::u16string& address) = 0;
  virtual void Play() = 0;
};

// Where the banner sits in the window's top strip.
inline constexpr int kBannerLeft = 210, kBannerTop = 0, kBannerWidth = 280, kBannerHeight = 20;

// The banner's steps, in order: its full bounds; the movie, loaded only when its address
// changes (so once per run); play.
void PlaceAndPlayBanner(BannerPlayer& player, std::u16string_view movieAddress);

// How a player loads a movie: older players (major version below 10) take the address
// themselves; newer ones are handed the movie's data, fetched by the program.
enum class MovieRoute { PlayerLoadsAddress, ProgramFetchesData };
MovieRoute RouteFor(int playerMajorVersion);

// Whether an address names a media file the program fetches for the player: a known media
// extension at the end of its path, or as an "ext" value in its query (".swf" there counts).
bool IsServableMediaAddress(std::u16string_view address);

}  // namespace portal
