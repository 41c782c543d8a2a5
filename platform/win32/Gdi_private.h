#pragma once
// Shared by the Gdi_*.cpp files only: the object model behind the handles, pixel formats, the
// raster-operation engine and the drawing scope that every primitive goes through.

#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/GdiInternal.h"
#include "platform/win32/IntMath.h"
#include "platform/win32/Region.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinGdi_user.h"

namespace xj::gdi {

// ---- Colours -------------------------------------------------------------------------------------
// COLORREF is 0x00BBGGRR, a surface pixel 0x00RRGGBB: the same swap goes both ways.
inline uint32_t ToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF ToColorRef(uint32_t p) { return ToPixel(p & 0xFFFFFF); }
// Sets n pixels to v. wchar_t is a 32-bit unit here, and the C library's wmemset is vectorised where a
// plain loop over 32-bit stores is not: solid fills are most of what an erase costs. A few pixels (the
// lines of frames and edges) are cheaper stored one by one than through the call.
static_assert(sizeof(wchar_t) == sizeof(uint32_t));
inline void FillPixels(uint32_t* d, int n, uint32_t v) {
  if (n < 16)
    std::fill(d, d + std::max(n, 0), v);
  else
    std::wmemset(reinterpret_cast<wchar_t*>(d), static_cast<wchar_t>(v), size_t(n));
}
constexpr uint32_t kWhite = 0xFFFFFF;
// A colour on a monochrome target: the nearer of black and white.
inline uint32_t MonoPixel(uint32_t p) {
  unsigned sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
  return sum >= 383 ? kWhite : 0;
}
// System colours (0x80000000 | index) and PALETTERGB are accepted where a COLORREF is expected.
COLORREF ResolveColor(COLORREF c);

// The Win32 functions at file scope see the gdi names through `using namespace xj::gdi`.
using xj::Region;

// ---- Objects and handles -------------------------------------------------------------------------
enum class Kind : uint8_t {
  Pen = OBJ_PEN,
  Brush = OBJ_BRUSH,
  DC = OBJ_DC,
  Font = OBJ_FONT,
  Bitmap = OBJ_BITMAP,
  Region = OBJ_REGION,
  Icon = 100,
  ImageList = 101,
};

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock { false };
  int selections { 0 };   // DC states (current or saved) holding the object
  bool owned { false };   // a window's region
  bool counted { true };  // false for the parts of another object (an icon's bitmaps)
  void* handle { nullptr };
  const void* cachedBy { nullptr };  // the lookup cache that holds the object (Gdi_objects.cpp), under the table's lock
};

// Adds the object to the handle table; returns its handle (null and ENOMEM if it cannot).
void* Register(std::unique_ptr<Object> obj);

// The object behind a handle, or null (a null handle finds null).
Object* Lookup(const void* h);
template <class T>
T* Get(const void* h) {
  Object* o = Lookup(h);
  return o && o->kind == T::kKind ? static_cast<T*>(o) : nullptr;
}
// Removes the object from the table and frees it.
void Destroy(Object* o);
void CountRefusedOwnedRegion();
void CountRefusedDelete();

// ---- Pixel formats -------------------------------------------------------------------------------
struct PixelFormat {
  int bpp { 32 };
  DWORD masks[3] { 0xFF0000, 0xFF00, 0xFF };  // 16 and 32 bits
  std::vector<uint32_t> palette;              // ≤ 8 bits, as pixels

  bool PlainBgrx() const { return bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF; }
  bool Mono() const { return bpp == 1; }
  static PixelFormat Default(int bpp);
};

// Palette lookups remember recent answers; one matcher per conversion run.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(const std::vector<uint32_t>& pal) : pal_(pal) {}
  int Nearest(uint32_t pixel);

 private:
  const std::vector<uint32_t>& pal_;
  uint32_t lastPixel_ { 0xFFFFFFFF };
  int lastIndex_ { 0 };
};

int StrideFor(int width, int bpp, int align);
// Converts n pixels starting at x0 of a row to 32-bit colour (monochrome: 0 or white).
void ReadRow(const PixelFormat& f, const uint8_t* row, int x0, int n, uint32_t* out);
// Converts n 32-bit pixels into the row at x0 (palette depths take the nearest entry).
void WriteRow(const PixelFormat& f, uint8_t* row, int x0, int n, const uint32_t* in, PaletteMatcher* m);
// Builds a pixel format from a BITMAPINFO; false if it is not one we can handle.
bool FormatFromInfo(const BITMAPINFO* bmi, UINT usage, PixelFormat& f, int& width, int& height, bool& topDown);

// Rows of pixels that are not 32-bit colour, read where they lie, a piece of a row at a time: row y starts at
// first + (y - top) · step.
struct PackedRows {
  const PixelFormat* fmt { nullptr };
  const uint8_t* first { nullptr };  // row `top`
  int top { 0 };
  ptrdiff_t step { 0 };  // bytes from one row to the next one down (negative in bottom-up memory)

  const uint8_t* Row(int y) const { return first + ptrdiff_t(y - top) * step; }
  // n pixels of row y from x0 on, as 32-bit colour.
  void Read(int y, int x0, int n, uint32_t* out) const { ReadRow(*fmt, Row(y), x0, n, out); }
};

// ---- Bitmaps -------------------------------------------------------------------------------------
struct Bitmap : Object {
  static constexpr Kind kKind = Kind::Bitmap;
  Bitmap() : Object(Kind::Bitmap) {}

  int width { 0 };
  int height { 0 };
  PixelFormat fmt;
  int stride { 0 };       // bytes per row
  bool topDown { true };  // memory order of the rows
  bool dibSection { false };
  std::unique_ptr<uint8_t[]> bits;
  // A non-32-bit bitmap's pixels as 32-bit colour in the rectangle one drawing operation touches (rows of its
  // width one after the other); kept between operations only to be reused, and never cleared, since every
  // operation fills what it uses.
  std::unique_ptr<uint32_t[]> shadow;
  size_t shadowSize { 0 };
  void* selectedInto { nullptr };

  uint8_t* Row(int y) { return bits.get() + ptrdiff_t(topDown ? y : height - 1 - y) * stride; }
  const uint8_t* Row(int y) const { return bits.get() + ptrdiff_t(topDown ? y : height - 1 - y) * stride; }
  bool Direct() const { return fmt.PlainBgrx(); }
  // The 32-bit surface: the bits themselves for plain 32-bit bitmaps; for other depths the size alone, their
  // pixels being converted a piece at a time (Pull and Push for drawing, Rows for reading).
  Surface View();
  PackedRows Rows() const;
  void Pull(const RECT& rc);                            // rc's bits → shadow
  void Push(const RECT& rc);                            // shadow → rc's bits
  void ReadPixels32(std::vector<uint32_t>& out) const;  // whole bitmap, top-down
};

// Makes a bitmap (white, R11, unless the caller will write every pixel itself), or null with the last
// error set. A bitmap that is part of another object is not counted as an object of its own.
Bitmap* NewBitmap(int width, int height, const PixelFormat& fmt, bool dibSection, bool topDown, bool counted = true,
                  bool white = true);
HBITMAP HandleOf(Bitmap* b);
Bitmap* StockBitmap();  // the 1 × 1 monochrome bitmap of a fresh memory DC

// ---- Pens, brushes, fonts ------------------------------------------------------------------------
struct Pen : Object {
  static constexpr Kind kKind = Kind::Pen;
  Pen() : Object(Kind::Pen) {}
  UINT style { PS_SOLID };
  int width { 1 };
  COLORREF color { 0 };
};

struct Brush : Object {
  static constexpr Kind kKind = Kind::Brush;
  Brush() : Object(Kind::Brush) {}
  UINT style { BS_SOLID };
  COLORREF color { 0 };
  LONG hatch { 0 };
  int sysIndex { -1 };  // GetSysColorBrush
  // BS_PATTERN: a copy of the bitmap; a monochrome one takes the DC's text and background colours.
  int patWidth { 0 };
  int patHeight { 0 };
  bool patMono { false };
  std::vector<uint32_t> pattern;
};

struct RealFont;
struct Font : Object {
  static constexpr Kind kKind = Kind::Font;
  Font() : Object(Kind::Font) {}
  LOGFONTA lf {};
  std::shared_ptr<RealFont> real;  // realised on first use
};

// What an HRGN names.
struct RegionObject : Object {
  static constexpr Kind kKind = Kind::Region;
  RegionObject() : Object(Kind::Region) {}
  Region rgn;
};

// ---- Device contexts -----------------------------------------------------------------------------
struct DCState {
  HPEN pen { nullptr };
  HBRUSH brush { nullptr };
  HFONT font { nullptr };
  HBITMAP bitmap { nullptr };
  COLORREF bkColor { 0xFFFFFF };
  COLORREF textColor { 0 };
  int bkMode { OPAQUE };
  int rop2 { R2_COPYPEN };
  int stretchMode { BLACKONWHITE };
  int polyFillMode { ALTERNATE };
  UINT textAlign { TA_LEFT | TA_TOP };
  POINT viewportOrg { 0, 0 };
  POINT windowOrg { 0, 0 };
  POINT brushOrg { 0, 0 };
  POINT pos { 0, 0 };
  std::optional<Region> clip;  // application clip, device coordinates
};

struct DC : Object {
  static constexpr Kind kKind = Kind::DC;
  DC() : Object(Kind::DC) {}
  ~DC() override;

  DCState st;
  std::vector<DCState> saved;
  bool memory { true };
  bool display { false };  // CreateDCA("DISPLAY"): its compatible bitmaps are colour
  DCTarget* target { nullptr };
  POINT origin { 0, 0 };          // device (0, 0) in the surface
  std::optional<Region> visible;  // device coordinates
  const void* tag { nullptr };

  Bitmap* Bmp() const { return st.bitmap ? Get<Bitmap>(st.bitmap) : nullptr; }
  bool Mono() const;
  // Logical → surface coordinates; a caller's coordinates may be any int, so the sums stop at its ends.
  int SX(int x) const { return xj::ClampInt(int64_t { x } - st.windowOrg.x + st.viewportOrg.x + origin.x); }
  int SY(int y) const { return xj::ClampInt(int64_t { y } - st.windowOrg.y + st.viewportOrg.y + origin.y); }
  // Logical → device coordinates (no surface origin).
  int DX(int x) const { return xj::ClampInt(int64_t { x } - st.windowOrg.x + st.viewportOrg.x); }
  int DY(int y) const { return xj::ClampInt(int64_t { y } - st.windowOrg.y + st.viewportOrg.y); }
  // The paintable part of the surface, in surface coordinates; of `within` on the surface `s`.
  Region EffectiveClip();
  Region EffectiveClip(const Surface& s, const RECT& within);
  // What the DC draws on; for a bitmap that is not 32-bit colour its size without pixels (see Bitmap::View),
  // and then *packed, when asked for, is that bitmap (else null).
  Surface CurrentSurface(Bitmap** packed = nullptr);
};

DC* GetDC(HDC h);  // with the last error set when the handle is bad

// Holds a target's pixels for one drawing operation: a non-32-bit bitmap is converted in for the
// rectangle touched and written back at the end; a window target hears about the damage.
class DrawScope {
 public:
  DrawScope(DC& dc, const RECT& bounds);
  ~DrawScope();
  DrawScope(const DrawScope&) = delete;
  DrawScope& operator=(const DrawScope&) = delete;

  bool Empty() const { return empty_; }
  // The pixel at surface (x, y), which lies in the clip; the pixels after it in its row follow it in memory.
  uint32_t* At(int x, int y) const { return base_ + ptrdiff_t(y - top_) * stride_ + (x - left_); }
  // Pixels from one row to the next one down.
  ptrdiff_t Stride() const { return stride_; }
  const Region& Clip() const { return clip_; }
  bool Mono() const { return mono_; }
  // Marks where something was actually drawn (for the damage report); defaults to the bounds.
  DC& Dc() { return dc_; }

 private:
  DC& dc_;
  uint32_t* base_ { nullptr };  // the pixel at (left_, top_)
  ptrdiff_t stride_ { 0 };      // in pixels
  int left_ { 0 };
  int top_ { 0 };
  Region clip_;
  RECT box_ {};
  Bitmap* bmp_ { nullptr };
  bool empty_ { true };
  bool mono_ { false };
};

// ---- Raster operations ---------------------------------------------------------------------------
// Any ternary raster operation, evaluated bitwise from its index byte (P = 0xF0, S = 0xCC, D = 0xAA).
class Rop3 {
 public:
  explicit Rop3(uint8_t code);
  static Rop3 FromRop2(int rop2);
  uint8_t Code() const { return code_; }
  bool UsesSource() const { return ((code_ >> 2) ^ code_) & 0x33; }
  bool UsesPattern() const { return ((code_ >> 4) ^ code_) & 0x0F; }
  bool UsesDest() const { return ((code_ >> 1) ^ code_) & 0x55; }
  // d[i] = f(p, s[i], d[i]); p is p[i] when p is given, else pc. s may be null if unused.
  void Row(uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t pc, int n) const;

 private:
  template <bool HasP, bool HasS>
  void Generic(uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t pc, int n) const;
  uint8_t code_;
};

// A brush made ready for one target: a solid pixel or a repeating tile anchored at the origin.
struct PatternSource {
  bool none { false };
  bool solid { true };
  uint32_t color { 0 };
  int w { 0 };
  int h { 0 };
  std::vector<uint32_t> tile;  // h rows of Span() pixels
  std::vector<uint8_t> paint;  // hatch in TRANSPARENT mode: 1 where the hatch lines are
  int orgX { 0 };              // surface coordinates of the tile's (0, 0)
  int orgY { 0 };
  int span { 0 };  // pixels per tile row after Expand; 0 = w

  int Span() const { return span ? span : w; }
  // Repeats each narrow tile row across (once per brush use), so that a run from any phase is long.
  void Expand();
  // The pattern from (x, y) on as a pointer into the tile: count (1..n) pixels follow in a row;
  // *mask, when asked for and paint is not empty, points at their paint flags.
  const uint32_t* Run(int x, int y, int n, int& count, const uint8_t** mask = nullptr) const;
  // Tile values for n pixels from (x, y); mask gets 0/1 paint flags when paint is not empty.
  void Fill(int x, int y, int n, uint32_t* out, uint8_t* mask) const;
};
PatternSource RealizeBrush(DC& dc, HBRUSH brush, bool mono);
PatternSource SolidSource(uint32_t pixel);

// Applies rop with pattern pat to the span [x0, x1) of row y, clipped to the scope.
void PaintSpan(DrawScope& ds, int y, int x0, int x1, const Rop3& rop, const PatternSource& pat);
// Applies rop with pattern pat to a surface rectangle, clipped to the scope.
void PaintRect(DrawScope& ds, const RECT& rc, const Rop3& rop, const PatternSource& pat);
// PatBlt-style fill of a logical rectangle with a brush (used by FillRect and friends).
BOOL FillWithBrush(DC& dc, const RECT& logical, HBRUSH brush, DWORD rop);

// ---- Shapes (Gdi_raster.cpp) ----------------------------------------------------------------------
struct Span {
  int y, x0, x1;  // [x0, x1) of row y
};
// The rows of a rectangle whose corners are quarters of a cw × ch ellipse (an ellipse when they
// cover the box); rows[i] is [x0, x1) of row box.top + i, empty when x0 >= x1.
void RoundRectRows(const RECT& box, int cw, int ch, std::vector<std::pair<int, int>>& rows);
// The inside of a polygon by the fill mode, pixel (x, y) sampled at its top-left corner.
void PolygonSpans(const POINT* pts, int n, int fillMode, std::vector<Span>& out);
Region RegionFromSpans(const std::vector<Span>& spans);
// Paints a region given in surface coordinates.
void PaintRegion(DC& dc, const Region& rgn, const Rop3& rop, const PatternSource& pat);

// ---- Fonts (Gdi_font.cpp) ------------------------------------------------------------------------
// One character of a GBK string: its code point and where its bytes are.
struct TextChar {
  char32_t cp;
  int offset;
  int bytes;
};
void DecodeGbk(const char* s, int len, std::vector<TextChar>& out);

// A rendered glyph: 8-bit coverage, placed relative to the pen position and the cell's top.
struct Glyph {
  int advance { 0 };
  int bx { 0 };
  int by { 0 };
  int w { 0 };
  int h { 0 };
  std::vector<uint8_t> alpha;  // h rows of w
};

struct FtState;
// A font made ready for drawing: metrics, and the identity of its glyphs in the shared cache.
struct RealFont {
  RealFont();
  ~RealFont();
  std::string face;  // GBK, as asked for
  bool testFace { false };
  int ascent { 10 };
  int descent { 3 };
  int internalLeading { 0 };
  int aveWidth { 8 };
  int maxWidth { 16 };
  int weight { FW_NORMAL };
  bool italic { false };
  bool underline { false };
  bool strikeOut { false };
  BYTE charSet { ANSI_CHARSET };
  BYTE pitchAndFamily { 0 };  // as TEXTMETRIC reports it
  int underlinePos { 1 };     // rows below the baseline
  int underlineThick { 1 };
  int strikePos { 5 };  // rows above the baseline
  int strikeThick { 1 };
  int quarterTurns { 0 };  // escapement, counter-clockwise
  // Fonts that draw the same glyphs (same face, size and style; decorations and escapement aside)
  // share this number and so their cache entries.
  uint32_t glyphSet { 0 };
  std::unique_ptr<FtState> ft;

  int Height() const { return ascent + descent; }
  // Renders one glyph; only the glyph cache calls it, under its lock.
  Glyph Render(const TextChar& c);

 private:
  Glyph TestGlyph(const TextChar& c) const;
};
std::shared_ptr<RealFont> Realize(const LOGFONTA& lf);
RealFont& FontOf(DC& dc);

// The glyphs of every font, shared by all DCs and bounded in size. A lookup holds the cache's lock
// until Unlock (or its end). A glyph it returned may be let go by the next one it looks up: a caller
// that draws the glyphs later keeps their pointers.
class GlyphLookup {
 public:
  GlyphLookup();
  ~GlyphLookup();
  GlyphLookup(const GlyphLookup&) = delete;
  GlyphLookup& operator=(const GlyphLookup&) = delete;

  const std::shared_ptr<const Glyph>& Get(RealFont& f, const TextChar& c);  // only while locked
  void Unlock();

 private:
  bool locked_ { true };
};

// ---- Text (Gdi_text.cpp) -------------------------------------------------------------------------
// One T for each thread, made on its first use: the buffers a drawing call fills and the next one reuses.
template <class T>
T& PerThread() {
  thread_local T t;
  return t;
}
// The width of a GBK string in the DC's font (no prefix processing); with out, also its characters
// and each one's advance.
struct MeasuredChar {
  int offset;
  int bytes;
  int advance;
};
int MeasureChars(DC& dc, const char* s, int len, std::vector<MeasuredChar>* out);
SIZE MeasureText(DC& dc, const char* s, int len);
// Draws a GBK string with its box's top-left at logical (x, y), with the DC's font, colours and
// background mode, clipped additionally to clipLogical when given; underlines the characters
// at the byte offsets listed. Used by DrawText.
void DrawTextRun(DC& dc, int x, int y, const char* s, int len, const RECT* clipLogical,
                 const std::vector<int>& underlined);

// ---- System colours (Gdi_syscolors.cpp) --------------------------------------------------------
HBRUSH SysColorBrushHandle(int index);

// ---- Icons (Gdi_icons.cpp) ------------------------------------------------------------------------
// The bitmaps behind an icon (color null for a monochrome one, whose mask is twice as tall).
bool IconBitmaps(HICON icon, HBITMAP& color, HBITMAP& mask, int& width, int& height);

// ---- Resources -----------------------------------------------------------------------------------
const std::vector<uint8_t>* FindBitmapResource(const char* name);

}  // namespace xj::gdi
