// The program's skin, read from the archive carried as a resource: the pictures and the values
// the windows are drawn with, looked up once. Drawing code takes every colour, rectangle and
// measure from here, never from constants of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "options.h"
#include "picture.h"
#include "skin.h"

namespace win {

// The bytes of an RCDATA resource of the running program, or an empty span.
std::span<const std::uint8_t> ResourceBytes(const wchar_t* name);

// A picture kept as an RCDATA resource holding a PNG image or a Windows bitmap file. Throws
// skin::SkinError when the resource is missing or malformed.
Picture LoadPictureResource(const wchar_t* name);

struct StateImage {  // an atlas image with its state count
  skin::Rect rect;
  int states = 1;
};

struct SkinTheme {
  // Reads the skin from the program's resource MINIKORVEL_SKIN. Throws skin::SkinError.
  static const SkinTheme& Instance();
  explicit SkinTheme(skin::Skin skin);

  skin::Skin data;
  Picture atlas;  // the key colour transparent
  Picture frame;  // the frame image with its shadow, its states side by side
  int frameStates = 1;
  skin::Borders frameBorders;

  int titleHeight = 0;
  int borderWidth = 0;
  int shadow = 0;
  int iconLeft = 0, buttonsRight = 0, buttonsTop = 0, buttonSpace = 0;
  StateImage minimizeButton, closeButton;

  skin::Colour formColour;
  skin::Colour textColour;  // labels on a form
  // Title-bar item backgrounds: normal and hot patterns.
  skin::Rect itemPattern, itemHotPattern;
  // The edit's frame.
  skin::BorderMask editBorder;
  skin::Colour editColour;
  // Menus.
  skin::Colour menuColour, menuFontColour, menuHotFontColour;
  skin::Colour menuHotStart, menuHotEnd;
  skin::Colour separatorColour;
  skin::BorderMask iconLineBorder;
  skin::Colour iconLineColour;
  // The link label.
  skin::Colour linkColour, linkHotColour;
};

}  // namespace win
