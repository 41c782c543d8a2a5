#pragma once
// What the window layer, the display back-ends, the class library and the test harness need from the GDI
// beyond the Win32 calls: device contexts over foreign 32-bit surfaces, region ownership, bitmap pixels, the
// GDI object counters and the log of text drawn. Pixels are 32-bit 0x00RRGGBB (B, G, R, X bytes).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj {
class Region;  // Region.h
}

struct FT_FaceRec_;    // FreeType's face
struct tagBITMAPINFO;  // WinGdi.h

namespace xj::gdi {

// A view of 32-bit pixels; the stride is in pixels and may be negative (bottom-up memory).
struct Surface {
  uint32_t* Pixels { nullptr };
  int Width { 0 };
  int Height { 0 };
  ptrdiff_t Stride { 0 };

  uint32_t* Row(int y) const { return Pixels + y * Stride; }
  bool Empty() const { return Pixels == nullptr || Width <= 0 || Height <= 0; }
};

// Where a window DC draws. The window layer implements it for its windows (and the desktop);
// the DC asks for the surface before every drawing operation, so the surface may be reallocated
// between operations.
class DCTarget {
 public:
  virtual ~DCTarget() = default;
  virtual Surface TargetSurface() = 0;
  // Called after drawing with the rectangle touched, in surface coordinates.
  virtual void Damaged(const RECT& rc) { (void)rc; }
};

// A DC drawing on target. Device (0, 0) is at origin in the surface; visible, when not null, is
// the part of the device space that may be painted (in device coordinates, copied). Application
// clipping (SelectClipRgn and friends) narrows it further. tag identifies the target in the text
// log (e.g. the HWND). Free it with DeleteDC.
HDC CreateTargetDC(DCTarget* target, POINT origin, HRGN visible, const void* tag);
// The same with the visible part handed over as it is, for a caller that has just worked it out.
HDC CreateTargetDC(DCTarget* target, POINT origin, Region&& visible, const void* tag);
// Moves or re-clips a target DC (window moved, sized, uncovered).
BOOL SetTargetDCGeometry(HDC hdc, POINT origin, HRGN visible);

// Window regions (SetWindowRgn): an owned region refuses DeleteObject (counted); the owner frees
// it with DeleteOwnedRegion.
BOOL SetRegionOwned(HRGN rgn, bool owned);
bool IsRegionOwned(HRGN rgn);
BOOL DeleteOwnedRegion(HRGN rgn);
// The region behind a handle (null for a bad one, with the last error set); valid until the handle
// changes or goes.
const Region* RegionOf(HRGN rgn);
// A new region handle holding `r`.
HRGN CreateRegion(Region r);
// Replaces the region behind a handle. Returns its complexity, or ERROR for a bad handle.
int AssignRegion(HRGN rgn, const Region& r);

// A copy of a bitmap's pixels as 32-bit colour, top-down; false for a bad handle.
bool ReadBitmapPixels(HBITMAP bmp, std::vector<uint32_t>& pixels, int& width, int& height);
// The bit depth of a bitmap (0 for a bad handle).
int BitmapBitCount(HBITMAP bmp);

// Loads glyph `index` of a FreeType face at its active size from the face's embedded strike, the slot
// holding what FT_Load_Glyph(face, index, flags) gives there; false, with the slot to be loaded the
// ordinary way, for a face without strikes, a size without one, and a glyph the strike lacks or leaves
// blank. Under the face's lock.
bool LoadGlyphFromStrike(FT_FaceRec_* face, unsigned index, int32_t flags);

// Screen size and work area reported by GetSystemMetrics (the display back-end sets them).
void SetScreenMetrics(int width, int height, const RECT& workArea);
RECT WorkArea();

// Objects alive and refused deletions, for tests.
struct Counters {
  int Objects { 0 };  // pens, brushes, fonts, bitmaps, regions, icons, image lists
  int DCs { 0 };
  int RefusedDeletes { 0 };  // DeleteObject of a selected object
  int RefusedOwnedRegionDeletes { 0 };
};
Counters GetCounters();

// Every string drawn by TextOutA/ExtTextOutA/DrawTextA, when the log is on.
struct TextLogEntry {
  std::string Text;  // GBK bytes as drawn (prefix characters removed)
  const void* Tag { nullptr };
  int X { 0 };  // surface coordinates of the text's reference point
  int Y { 0 };
  RECT Bounds {};  // surface coordinates of the text box
  COLORREF Color { 0 };
  std::string Face;   // GBK face name as asked for
  LONG Height { 0 };  // lfHeight
  LONG Escapement { 0 };
};
void EnableTextLog(bool on);
const std::vector<TextLogEntry>& TextLog();
void ClearTextLog();

// The glyph cache every font and DC shares: what it holds, and how many glyphs it has let go to
// stay within its limit.
struct GlyphCacheStats {
  size_t Glyphs { 0 };
  size_t Bytes { 0 };
  size_t Limit { 0 };
  uint64_t Evictions { 0 };
};
GlyphCacheStats GetGlyphCacheStats();
// Sets the cache's limit in bytes (0 restores the default), evicting at once down to it.
void SetGlyphCacheLimit(size_t bytes);

// While set, every font is realised with this face (e.g. "Platform Test"); "" restores.
void SetFaceOverride(const std::string& face);

// Compiled-in bitmap resources for LoadBitmapA / LoadImageA: name (case-insensitive, or "#n" for
// an integer id) → BMP file bytes, which must outlive the process.
void RegisterBitmapResource(const std::string& name, const uint8_t* bmpFile, size_t size);

}  // namespace xj::gdi
