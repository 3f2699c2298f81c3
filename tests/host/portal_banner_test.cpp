#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addresses.h"
#include "banner.h"

namespace portal {
namespace {

// A player that records what it is asked to do.
class RecordingPlayer : public BannerPlayer {
 public:
  std::vector<std::string> calls;
  std::u16string movie;
  int loads = 0;

  void SetLeft(int v) override { calls.push_back("left " + std::to_string(v)); }
  void SetTop(int v) override { calls.push_back("top " + std::to_string(v)); }
  void SetWidth(int v) override { calls.push_back("width " + std::to_string(v)); }
  void SetHeight(int v) override { calls.push_back("height " + std::to_string(v)); }
  std::u16string Movie() const override { return movie; }
  void SetMovie(const std::u16string& address) override {
    movie = address;
    ++loads;
    calls.push_back("movie");
  }
  void Play() override { calls.push_back("play"); }
};

const std::u16string kMovie = u"http://portal.example/mini_web/flash.php?ext=.swf";

TEST(PlaceAndPlayBanner, SetsFullBoundsThenLoadsOnceThenPlaysEveryTime) {
  RecordingPlayer player;
  PlaceAndPlayBanner(player, kMovie);
  PlaceAndPlayBanner(player, kMovie);
  const std::vector<std::string> expected = {"left 210",  "top 0",     "width 280", "height 20",
                                             "movie",     "play",      "left 210",  "top 0",
                                             "width 280", "height 20", "play"};
  EXPECT_EQ(player.calls, expected);
  EXPECT_EQ(player.loads, 1);
  EXPECT_EQ(player.movie, kMovie);
}

TEST(PlaceAndPlayBanner, LoadsAgainOnlyWhenTheAddressChanges) {
  RecordingPlayer player;
  player.movie = kMovie;  // already showing it
  PlaceAndPlayBanner(player, kMovie);
  EXPECT_EQ(player.loads, 0);
  PlaceAndPlayBanner(player, u"http://portal.example/other.swf");
  EXPECT_EQ(player.loads, 1);
}

TEST(RouteFor, OlderPlayersLoadTheAddressNewerOnesGetTheData) {
  for (int version : {6, 8, 9}) EXPECT_EQ(RouteFor(version), MovieRoute::PlayerLoadsAddress);
  for (int version : {10, 11, 32}) EXPECT_EQ(RouteFor(version), MovieRoute::ProgramFetchesData);
}

TEST(IsServableMediaAddress, KnowsMediaByPathOrQueryExtension) {
  struct Case {
    std::u16string_view address;
    bool servable;
  };
  const Case cases[] = {
      {u"http://portal.example/mini_web/flash.php?ext=.swf", true},
      {u"http://portal.example/banner.swf", true},
      {u"https://portal.example/Banner.SWF?v=2", true},
      {u"http://portal.example/a.php?x=1&ext=.swf#top", true},
      {u"http://portal.example/a.mp4", true},
      {u"http://portal.example/mini_web/flash.php", false},
      {u"http://portal.example/a.php?ext=swf", false},
      {u"http://portal.example/a.php?file=.swf", false},
      {u"http://portal.example/a.php?ext=.exe", false},
      {u"http://portal.example/a.html#x.swf", false},
      {u"banner.swf", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsServableMediaAddress(c.address), c.servable)
        << std::string(c.address.begin(), c.address.end());
  }
  AddressTable table;
  FillAddressTable(table, u"C:\\x\\bin\\MiniKorvel.exe");
  EXPECT_TRUE(IsServableMediaAddress(table.BannerAddress));
}

}  // namespace
}  // namespace portal
