#pragma once
// The record layout the generated skins share: every record a complete skin holds (the frame's objects,
// the menu items and, under the names the skinned controls look up by default, every control record
// class), each with every key of its class, and where each of its rectangles lies in its picture. The
// test skin paints this layout with the colour code; the plain skin paints it with artwork.
#include "tools/mkskin/TestSkin.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mkskin {

struct Rect {
  int l { 0 }, t { 0 }, r { 0 }, b { 0 };
  constexpr int Width() const { return r - l; }
  constexpr int Height() const { return b - t; }
};

struct Point {
  int x { 0 }, y { 0 };
};

std::string Text(const Rect& r);
std::string Text(const Point& p);

// Active pictures of the generated skins.
enum : int {
  kCtrlPicture,
  kPopupPicture,
  kPopupMaskPicture,
  kHintPicture,
  kHintMaskPicture,
  kButtonsPicture,
  kTilePicture,
  kCtrl2Picture,
  kCtrlMaskPicture,
  kActivePictureCount
};

// Where the frame objects' faces lie in the frame picture. A null logo leaves the logo record out.
struct FramePlaces {
  Rect caption, close, max, min, sys, roll, help, logo;
};

// One record as laid out.
struct PlacedRecord {
  std::string name, keyword;
  bool object { false };
  bool inFrame { false };  // the face lies in the frame picture, the other images in `picture`
  int picture { -1 };      // the active picture of its images
  int mask { -1 };         // the active picture holding the mask of its face, or -1
  int w { 0 }, h { 0 };    // face size
  // Face and packed images: rectangles in their picture, by key.
  std::map<std::string, Rect> images;
  // Positions inside the face, or inside the image areaRefs names: rectangles relative to it, by key.
  std::map<std::string, Rect> areas;
  std::map<std::string, std::string> areaRefs;
  Point lt, rt, lb, rb;  // the corner points as written
};

struct PlacedSkin {
  std::vector<IniSection> lists;     // [SKINOBJECTS] and [SKINCONTROLS]
  std::vector<IniSection> sections;  // every record's section, objects first
  std::vector<PlacedRecord> records;
  std::map<int, std::pair<int, int>> packedSizes;  // width and height of the packed active pictures
};

// The value a colour key of a record takes.
using ColourOf = std::function<int32_t(const std::string& record, const std::string& key)>;

// The test skin's records (its frame objects at `places`, its control records), their images packed
// into kCtrlPicture, kButtonsPicture and kCtrl2Picture, the colour keys valued by `colour`.
PlacedSkin LayOutRecords(const FramePlaces& places, const ColourOf& colour);

// Pictures of the generated skins: black inside, white in a triangle of `cut` pixels at each corner of `r`.
void PaintMask(Picture& mask, const Rect& r, int cut);

// A one-bit mask picture of w x h with cut corners.
Picture MaskPicture(int w, int h);

// The INI section helpers of the generated skins.
IniSection Section(std::string name);
void Add(IniSection& s, std::string key, std::string value);

}  // namespace mkskin
