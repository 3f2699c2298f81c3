#include "skin_theme.h"

#include <variant>

namespace win {
namespace {

constexpr wchar_t kSkinResource[] = L"MINIKORVEL_SKIN";

template <class Reference>
Reference Require(const skin::Options& options, std::string_view section, std::string_view key) {
  const auto value = options.Image(section, key);
  if (!value || !std::holds_alternative<Reference>(*value)) {
    throw skin::SkinError("The skin lacks the image " + std::string(section) + "." +
                          std::string(key));
  }
  return std::get<Reference>(*value);
}

skin::Colour RequireColour(const skin::Options& options, std::string_view section,
                           std::string_view key) {
  const auto value = options.ColourOf(section, key);
  if (!value) {
    throw skin::SkinError("The skin lacks the colour " + std::string(section) + "." +
                          std::string(key));
  }
  return *value;
}

int NumberOr(const skin::Options& options, std::string_view key, int fallback) {
  return options.Number("GLOBALINFO", key).value_or(fallback);
}

}  // namespace

std::span<const std::uint8_t> ResourceBytes(const wchar_t* name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

Picture LoadPictureResource(const wchar_t* name) {
  const auto bytes = ResourceBytes(name);
  if (bytes.empty()) throw skin::SkinError("A picture of the program is missing");
  const bool png = bytes.size() > 8 && bytes[0] == 0x89 && bytes[1] == 'P';
  return Picture(png ? skin::DecodePng(bytes) : skin::DecodeBmp(bytes));
}

const SkinTheme& SkinTheme::Instance() {
  static const SkinTheme theme(skin::Skin::Load(ResourceBytes(kSkinResource)));
  return theme;
}

SkinTheme::SkinTheme(skin::Skin skinData) : data(std::move(skinData)) {
  const skin::Options& o = data.Options();
  const auto atlasImage = data.Atlas();
  if (!atlasImage) throw skin::SkinError("The skin lacks its atlas");
  atlas = Picture(skin::WithKeyColourTransparent(*atlasImage));

  const auto frameRef = Require<skin::MemberImage>(o, "GLOBALINFO", "EXBORDER");
  const auto frameImage = data.ImageOf(frameRef);
  if (!frameImage) throw skin::SkinError("The skin lacks its frame image");
  frame = Picture(*frameImage);
  frameStates = frameRef.states;
  frameBorders = frameRef.borders;

  // A title height of 0 means the engine's standard 30 pixels.
  const int title = NumberOr(o, "TITLEHEIGHT", 0);
  titleHeight = title > 0 ? title : 30;
  borderWidth = NumberOr(o, "BORDERWIDTH", 1);
  shadow = NumberOr(o, "FORMOFFSET", 0);
  iconLeft = NumberOr(o, "BILEFT", 0);
  buttonsRight = NumberOr(o, "BIRIGHT", 0);
  buttonsTop = NumberOr(o, "BITOP", 0);
  buttonSpace = NumberOr(o, "BISPACE", 0);
  const auto minimize = Require<skin::AtlasImage>(o, "GLOBALINFO", "BICONMIN");
  minimizeButton = {minimize.rect, minimize.states};
  const auto close = Require<skin::AtlasImage>(o, "GLOBALINFO", "BICONCLOSE");
  closeButton = {close.rect, close.states};

  formColour = RequireColour(o, "FORM", "COLOR");
  textColour =
      o.ColourOf("FORM", "FONTCOLOR").value_or(RequireColour(o, "GLOBALINFO", "FONTCOLOR"));
  itemPattern = Require<skin::Pattern>(o, "TB_MENUBTN", "PATTERN").rect;
  itemHotPattern = Require<skin::Pattern>(o, "TB_MENUBTN", "HOTPATTERN").rect;
  editBorder = Require<skin::BorderMask>(o, "EDIT", "BORDERSMASK");
  editColour = RequireColour(o, "EDIT", "COLOR");

  menuColour = RequireColour(o, "MENUITEM", "COLOR");
  menuFontColour = RequireColour(o, "MENUITEM", "FONTCOLOR");
  menuHotFontColour = RequireColour(o, "MENUITEM", "HOTFONTCOLOR");
  const auto hot = o.Gradient("MENUITEM", "HOTGRADIENTDATA");
  if (!hot || hot->empty()) throw skin::SkinError("The skin lacks MENUITEM.HOTGRADIENTDATA");
  menuHotStart = hot->front().start;
  menuHotEnd = hot->front().end;
  separatorColour = RequireColour(o, "GLOBALINFO", "BORDERCOLOR");
  iconLineBorder = Require<skin::BorderMask>(o, "ICOLINE", "BORDERSMASK");
  iconLineColour = RequireColour(o, "ICOLINE", "COLOR");

  linkColour = RequireColour(o, "WEBBUTTON", "FONTCOLOR");
  linkHotColour = RequireColour(o, "WEBBUTTON", "HOTFONTCOLOR");
}

}  // namespace win
