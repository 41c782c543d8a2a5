#pragma once
// The colour code of the generated test skin, shared by the generator and the tests that read its
// pictures back.
//
// Every pixel of a colour picture is 0xRRGGBB with
//   R = owner: what the pixel belongs to (a record of the skin, the frame, the popup window ...);
//   G = key code: the INI key of the rectangle the pixel lies in (or a region of the frame, a slice of
//       a window picture, the background tile);
//   B = local position: (x mod 16) << 4 | (y mod 16), x and y counted from the rectangle's top-left.
// So a pixel that a control draws names the record, the rectangle and (modulo 16) the source pixel.
// Exceptions: the inactive frame is an 8-bit picture without local positions (see kOwnerInactiveFrame),
// masks are pure black (inside) and white (outside), and unused picture area is kFillerPixel.
//
// Colour values of the skin's colour keys use the same code in a colour value 0x00BBGGRR: R = owner,
// G = the colour key's code, B = 0xFF. Key codes of colours and rectangles never coincide, so a colour
// value never equals a picture pixel.
#include <cstdint>
#include <iterator>
#include <string_view>

namespace mkskin {

// Owners (red channel).
inline constexpr uint8_t kOwnerFrame = 0x01;          // picture (frame) bands
inline constexpr uint8_t kOwnerInactiveFrame = 0x02;  // inactive picture; B = 0 in bands, B = the
                                                      // object's owner code inside an object's rectangle
inline constexpr uint8_t kOwnerPopupWindow = 0x03;    // [POPUPWINDOW] window picture and its colours
inline constexpr uint8_t kOwnerHintWindow = 0x04;     // [HINTWINDOW] window picture and its colours
inline constexpr uint8_t kOwnerTile = 0x05;           // the background tile (FORMINFO bgpictureindex)
inline constexpr uint8_t kOwnerObject0 = 0x10;        // + index of the entry in [SKINOBJECTS]
inline constexpr uint8_t kOwnerControl0 = 0x40;       // + index of the entry in [SKINCONTROLS]
// The second test skin's records have owners of their own, so a pixel tells which skin drew it.
inline constexpr uint8_t kOwnerSecondObject0 = 0x28;   // + index of the entry in [SKINOBJECTS]
inline constexpr uint8_t kOwnerSecondControl0 = 0x80;  // + index of the entry in [SKINCONTROLS]
inline constexpr uint8_t kOwnerFiller = 0xF0;
inline constexpr uint32_t kFillerPixel = 0xF0F0F0;

inline constexpr uint8_t ObjectOwner(int index) { return static_cast<uint8_t>(kOwnerObject0 + index); }
inline constexpr uint8_t ControlOwner(int index) { return static_cast<uint8_t>(kOwnerControl0 + index); }
inline constexpr uint8_t SecondObjectOwner(int index) { return static_cast<uint8_t>(kOwnerSecondObject0 + index); }
inline constexpr uint8_t SecondControlOwner(int index) { return static_cast<uint8_t>(kOwnerSecondControl0 + index); }

// Regions of the frame picture: the four bands around "clientrect" (top and bottom span the full
// width), each cut by the corner points into a fixed head, a stretched middle and a fixed tail.
enum FrameRegion : uint8_t {
  kFrameTopLeft = 0x01,
  kFrameTop,
  kFrameTopRight,
  kFrameLeftTop,
  kFrameLeft,
  kFrameLeftBottom,
  kFrameClient,
  kFrameRightTop,
  kFrameRight,
  kFrameRightBottom,
  kFrameBottomLeft,
  kFrameBottom,
  kFrameBottomRight,
};

// Slices of a window picture (popup, hint), cut by its four corner points only.
enum WindowSlice : uint8_t {
  kSliceLeftTop = 0x10,
  kSliceTop,
  kSliceRightTop,
  kSliceLeft,
  kSliceCentre,
  kSliceRight,
  kSliceLeftBottom,
  kSliceBottom,
  kSliceRightBottom,
};

inline constexpr uint8_t kTileCode = 0x19;

// Rectangle keys: code = kRectCode0 + position. Keys that are only ever positions inside a face are
// listed too; they are simply never painted.
inline constexpr uint8_t kRectCode0 = 0x20;
inline constexpr std::string_view kRectKeys[] = {
  "skinrect",
  "activeskinrect",
  "downrect",
  "disableskinrsect",
  "restorerect",
  "restoreactiverect",
  "restoredownrect",
  "restoreinactiverect",
  "dividerrect",
  "textrect",
  "framerect",
  "activeframerect",
  "frametextrect",
  "itemsrect",
  "clientrect",
  "maskrectarea",
  "buttonsrect",
  "captionrect",
  "downskinrect",
  "disabledskinrect",
  "trackbuttonrect",
  "checkimagearea",
  "textarea",
  "checkimagerect",
  "uncheckimagerect",
  "activecheckimagerect",
  "activeuncheckimagerect",
  "unenabledcheckimagerect",
  "unenableduncheckimagerect",
  "progressarea",
  "progressrect",
  "trackarea",
  "buttonrect",
  "activebuttonrect",
  "downbuttonrect",
  "unenabledbuttonrect",
  "upbuttonrect",
  "activeupbuttonrect",
  "downupbuttonrect",
  "activedownbuttonrect",
  "downdownbuttonrect",
  "thumbrect",
  "activethumbrect",
  "downthumbrect",
  "glyphrect",
  "activeglyphrect",
  "downglyphrect",
  "itemrect",
  "activeitemrect",
  "focusitemrect",
  "itemtextrect",
  "checkbuttonrect",
  "activecheckbuttonrect",
  "downcheckbuttonrect",
  "itemcheckrect",
  "rollupmarkerrect",
  "restoremarkerrect",
  "rollhskinrect",
  "rollvskinrect",
  "rollvcaptionrect",
  "rollhcaptionrect",
  "closebuttonrect",
  "closebuttonactiverect",
  "closebuttondownrect",
  "hrollbuttonrect",
  "hrollbuttonactiverect",
  "hrollbuttondownrect",
  "hrestorebuttonrect",
  "hrestorebuttonactiverect",
  "hrestorebuttondownrect",
  "vrollbuttonrect",
  "vrollbuttonactiverect",
  "vrollbuttondownrect",
  "vrestorebuttonrect",
  "vrestorebuttonactiverect",
  "vrestorebuttondownrect",
  "tabrect",
  "activetabrect",
  "focustabrect",
  "mouseintabrect",
  "tabsbgrect",
  "hrulerrect",
  "hthumbrect",
  "vrulerrect",
  "vthumbrect",
  "fixedcellrect",
  "selectcellrect",
  "focuscellrect",
  "fixedcelltextrect",
  "celltextrect",
};

// Colour keys: code = kColourCode0 + position.
inline constexpr uint8_t kColourCode0 = 0xB0;
inline constexpr std::string_view kColourKeys[] = {
  "fontcolor",         "activefontcolor",   "downfontcolor",           "disabledfontcolor", "unenabledfontcolor",
  "framefontcolor",    "focusfontcolor",    "mouseinfontcolor",        "selectfontcolor",   "captionfontcolor",
  "fixedfontcolor",    "bgcolor",           "activebgcolor",           "lightcolor",        "darkcolor",
  "pointscolor",       "trackmarkcolor",    "trackmarkactivecolor",    "linescolor",        "shadowcolor",
  "activeshadowcolor", "scrollmarkercolor", "scrollmarkeractivecolor",
};

static_assert(kRectCode0 + std::size(kRectKeys) <= kColourCode0, "rectangle codes run into colour codes");
static_assert(kColourCode0 + std::size(kColourKeys) <= kOwnerFiller, "colour codes run too far");

// INI keys compare without regard to ASCII case ("unenabledfontColor" is "unenabledfontcolor").
constexpr bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// Code of a rectangle or colour key; 0 when the key has none.
constexpr uint8_t KeyCode(std::string_view key) {
  for (size_t i = 0; i < std::size(kRectKeys); ++i)
    if (SameKey(kRectKeys[i], key)) return static_cast<uint8_t>(kRectCode0 + i);
  for (size_t i = 0; i < std::size(kColourKeys); ++i)
    if (SameKey(kColourKeys[i], key)) return static_cast<uint8_t>(kColourCode0 + i);
  return 0;
}

// Key of a rectangle or colour code; empty for region, slice and tile codes and unused codes.
constexpr std::string_view KeyOfCode(uint8_t code) {
  if (code >= kRectCode0 && code < kRectCode0 + std::size(kRectKeys)) return kRectKeys[code - kRectCode0];
  if (code >= kColourCode0 && code < kColourCode0 + std::size(kColourKeys)) return kColourKeys[code - kColourCode0];
  return {};
}

constexpr uint8_t LocalCode(int x, int y) { return static_cast<uint8_t>(((x & 15) << 4) | (y & 15)); }

// A picture pixel, 0xRRGGBB.
constexpr uint32_t PixelCode(uint8_t owner, uint8_t code, int localX, int localY) {
  return uint32_t { owner } << 16 | uint32_t { code } << 8 | LocalCode(localX, localY);
}

// A colour value as the skin stores it (0x00BBGGRR).
constexpr int32_t ColourValue(uint8_t owner, uint8_t code) {
  return static_cast<int32_t>(0xFFu << 16 | uint32_t { code } << 8 | owner);
}

struct DecodedPixel {
  uint8_t owner;
  uint8_t code;
  int localX;  // modulo 16
  int localY;  // modulo 16
};

constexpr DecodedPixel DecodePixel(uint32_t rgb) {
  return { static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<int>(rgb >> 4 & 15),
           static_cast<int>(rgb & 15) };
}

}  // namespace mkskin
