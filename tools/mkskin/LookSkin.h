#pragma once
// The real-look skins' artwork: a plain, conventional look (gradient caption, bevelled buttons, clear hot,
// pressed, focused and disabled states) drawn into the same record layout as the test skin. The layout
// (which record has which rectangles where) is TestSkin.cpp's; this file only decides what the pixels and
// colour keys hold.
#include "tools/mkskin/Bmp.h"

#include <cstdint>
#include <string>

namespace mkskin {

// The colours a look is drawn in (0xRRGGBB).
struct LookPalette {
  std::string name;       // the skin's folder and [VERSION] skinname
  uint32_t accent;        // caption gradient end, selection, progress, focus frame
  uint32_t accentLight;   // caption gradient start, hot faces' tint
  uint32_t face;          // buttons, bars and the form's background
  uint32_t inactiveDark;  // the inactive caption's gradient end
};

const LookPalette& AzureLook();
const LookPalette& OliveLook();

struct LookBox {
  int l { 0 }, t { 0 }, r { 0 }, b { 0 };
  int Width() const { return r - l; }
  int Height() const { return b - t; }
};

// One rectangle of a record to draw: the record's name and class keyword, the INI key of the rectangle,
// where it lies in its picture. An area is a place on a face drawn earlier (an arrow button inside a
// scroll bar); everything else is an image of its own.
struct LookImage {
  std::string record;
  std::string keyword;
  std::string key;
  LookBox rect;
  bool area { false };
};

void PaintLookImage(Picture& picture, const LookImage& image, const LookPalette& palette, bool inactive = false);

// A colour key's value as the skin stores it (0x00BBGGRR).
int32_t LookColour(const std::string& keyword, const std::string& key, const LookPalette& palette);

// The frame picture (inactive: its inactive twin) around a client rectangle, caption band of `captionH`.
Picture LookFrame(int w, int h, const LookBox& client, const LookPalette& palette, bool inactive);
// The popup menu's (hint = false) or hint's window picture.
Picture LookWindow(int w, int h, bool hint, const LookPalette& palette);
// The form background tile.
Picture LookTile(const LookPalette& palette);

}  // namespace mkskin
