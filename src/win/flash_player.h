// The banner's movie player: the ShockwaveFlash ActiveX control hosted windowless and
// transparent, drawn by the form over its background and fed the form's mouse messages over
// the banner's bounds. Whether the control exists is decided once, at creation: without it
// every operation does nothing and the strip shows the form's background.
//
// Order: CoCreateInstance -> SetClientSite -> InitNew -> WMode "Transparent" (it must be set
// before activation) -> DoVerb(OLEIVERB_INPLACEACTIVATE), which the site answers as windowless.
// Teardown: InPlaceDeactivate -> Close(OLECLOSE_NOSAVE) -> SetClientSite(nullptr) -> release.
#pragma once

#include <windows.h>

#include <ocidl.h>

#include <memory>
#include <string>

#include "banner.h"
#include "com_ptr.h"

namespace win {

class FlashPlayer final : public portal::BannerPlayer {
 public:
  FlashPlayer();
  ~FlashPlayer() override;
  FlashPlayer(const FlashPlayer&) = delete;
  FlashPlayer& operator=(const FlashPlayer&) = delete;

  // Creates the control for `window` (the form that draws it). Nothing is reported when it
  // cannot be created: the player stays unavailable for the run.
  void Create(HWND window);
  bool Available() const { return bool(object_); }
  // Destroys the control; called before the form's window goes.
  void Close();

  // portal::BannerPlayer
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  std::u16string Movie() const override { return movie_; }
  void SetMovie(const std::u16string& address) override;
  void Play() override;

  // Draws the movie's current frame into `dc` (the form's client coordinates), blended over
  // what is already there.
  void Draw(HDC dc) const;
  // Offers a mouse or cursor message of the form to the player: true when it is over the
  // banner and the player took it.
  bool RouteMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  RECT Bounds() const { return bounds_; }
  // The player's major version (0 when unavailable or unknown).
  int MajorVersion() const { return majorVersion_; }

 private:
  class Site;
  class Fetch;
  void ApplyBounds();
  void LoadData(const std::string& movie);

  HWND window_ = nullptr;
  RECT bounds_{};
  std::u16string movie_;
  int majorVersion_ = 0;
  Site* site_ = nullptr;  // one reference, ours
  ComPtr<IOleObject> object_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IViewObject> view_;
  ComPtr<IOleInPlaceObjectWindowless> windowless_;
  ComPtr<IUnknown> fetch_;  // the download in flight, if any
};

}  // namespace win
