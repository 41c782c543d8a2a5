#pragma once

// The skinning library's shared helpers:
//   - value codecs: how rectangles, points, Booleans, font styles, alignments and string lists are
//     written in a skin file and what is read back from any text found there;
//   - rectangle and number helpers with this library's own meaning of a null rectangle and point;
//   - text fitting and drawing, screen capture and monitor areas;
//   - the system checks that decide whether translucent (layered) windows are used;
//   - the date helpers of the calendar control;
//   - the face, mask and region builders and the glyph and arrow drawing, built on the helpers above.
// None of them keeps state, but for what the face builders keep of skin pictures between faces.

#include <climits>
#include <memory>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/SysUtils.h"
#include "platform/vcl/Types.h"
#include "platform/win32/IntMath.h"
#include "platform/win32/WinDef.h"
#include "platform/win32/WinGdi.h"

class TControl;
class TCustomIniFile;

// ---- Value codecs ---------------------------------------------------------------------------------------
//
// A rectangle is written "Left,Top,Right,Bottom", a point "X,Y", in decimal. On reading, a comma ends a
// field; inside a field only digits count, and a minus sign before the first digit makes it negative
// (blanks, letters and other signs are dropped). Surplus fields are ignored.

// Raise EConvertError "'%s' is not a valid integer value" for a field that holds no digit (too few
// fields, an empty value) or does not fit 32 bits.
TRect GetRect(const AnsiString& Text);
TPoint GetPoint(const AnsiString& Text);
// The text WriteRect writes.
AnsiString SetRect(const TRect& R);

// Lists in a skin file hold at most this many entries. A count up to it is read as it stands (an entry
// that is missing reads as empty); a larger one is wrong, and the entries actually there below the limit
// are read instead, up to the last of them, so a skin never loses its lists to a bad count.
constexpr int MaxSkinListCount = 65536;
// How many entries of a list to read: the count at CountIdent, or for a count above MaxSkinListCount one
// past the last entry "<EntryPrefix><i>" present below the limit. Never negative.
int ReadSkinListCount(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& CountIdent,
                      const AnsiString& EntryPrefix);

// A missing key gives (0,0,0,0) / (0,0); so does a value the parsers above refuse, like a malformed
// integer gives its default, so one bad value never stops a skin from loading.
TRect ReadRect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
TPoint ReadPoint(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
// True only for the integer 1 (decimal or hexadecimal).
bool ReadBoolean(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
// Each of "fsbold", "fsitalic", "fsunderline", "fsstrikeout" found anywhere in the value (exact case).
TFontStyles ReadFontStyles(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
// "tacenter", "taleftjustify", "tarightjustify"; any other text and a missing key give taCenter.
TAlignment ReadAlignment(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident);
// Append the lines of "<Ident>linecount" / "<Ident>line<i>", or of "<Ident>count" / "<i>" (bare index
// keys), to Strings, as many as ReadSkinListCount says; a missing entry adds "".
void ReadStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);
void ReadStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);

void WriteRect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TRect& R);
void WritePoint(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TPoint& P);
void WriteBoolean(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, bool Value);
// The words of the styles present in the order bold, italic, underline, strike-out, comma-separated.
void WriteFontStyles(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TFontStyles Styles);
void WriteAlignment(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TAlignment Alignment);
// Write the count and the entries; keys of a longer earlier list stay (erase the section first).
void WriteStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);
void WriteStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);

// A 32-bit little-endian length, then the bytes. Reading raises EReadError when the length is negative
// or more than the stream holds.
void WriteStringToStream(const AnsiString& Str, TStream* S);
void ReadStringFromStream(AnsiString& Str, TStream* S);

// ---- Rectangles and numbers -----------------------------------------------------------------------------

// Stopping at the ends of the int range: a skin's rectangle may hold any coordinates.
inline int RectWidth(const TRect& R) { return xj::SatSub(R.Right, R.Left); }
inline int RectHeight(const TRect& R) { return xj::SatSub(R.Bottom, R.Top); }
inline TRect NullRect() { return TRect(0, 0, 0, 0); }
// Null: narrower or lower than one pixel; not only the all-zero rectangle.
// In 64 bits: a skin may hold any coordinates, and an inverted rectangle must never wrap into a wide one.
inline bool IsNullRect(const TRect& R) { return int64_t { R.Right } - R.Left < 1 || int64_t { R.Bottom } - R.Top < 1; }
// Null: either coordinate 0.
inline bool IsNullPoint(const TPoint& P) { return P.X == 0 || P.Y == 0; }
inline bool EqRects(const TRect& A, const TRect& B) { return A == B; }
// All four edges inside.
inline bool PointInRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}
// Both corners of Inner inside Outer by PtInRect (right and bottom edges outside), so a rectangle is
// not inside itself.
bool RectInRect(const TRect& Inner, const TRect& Outer);
inline int Max(int A, int B) { return A >= B ? A : B; }
inline int Min(int A, int B) { return A < B ? A : B; }
// The part of R inside Picture (0, 0, width, height), the only part a copy from it can read; a null
// rectangle when there is none or no picture.
TRect ClipToPicture(const TRect& R, const TBitmap* Picture);
// Moves R, keeping its size, to the centre of Bounds; returns the moved R.
TRect RectToCenter(TRect& R, const TRect& Bounds);

// ---- Text -----------------------------------------------------------------------------------------------

// Shortens S to the longest leading part that fits in W pixels of C's font together with "...", and
// appends "..."; a text that fits stays as it is. Whole characters go, never half of a double-byte one.
void CorrectTextbyWidth(TCanvas* C, AnsiString& S, int W);
// One line, left-aligned, centred vertically in R (DrawText with DT_SINGLELINE | DT_VCENTER).
void SPDrawText(TCanvas* Cnvs, const AnsiString& S, const TRect& R);
// TextRect clipped to R at x = R.Left + 2 (+ Offset), y centring the text's height in R.
void SPDrawText2(TCanvas* Cnvs, const AnsiString& S, const TRect& R);
void SPDrawText3(TCanvas* Cnvs, const AnsiString& S, const TRect& R, int Offset);

// Every occurrence of Find replaced by Repl, left to right, never searching Repl again; an empty Find
// changes nothing.
AnsiString ReplaceStr(const AnsiString& S, const AnsiString& Find, const AnsiString& Repl);

// ---- Background and screen ------------------------------------------------------------------------------

// Paints into Dest what Control's parent shows under Control, with Dest's origin at Control's top-left:
// a parent that is no form paints itself (PaintWindow) and is then sent WM_ERASEBKGND with Dest's DC; a
// form only gets the WM_ERASEBKGND. Nothing happens for a control without a parent.
void GetParentImage(TControl* Control, TCanvas* Dest);

// Copies the screen area at (X, Y) of B's size into B.
void GetScreenImage(int X, int Y, TBitmap* B);
// The work area (WorkArea) or the whole area of the monitor nearest to Wnd; the primary screen's when
// there is one monitor or the user library does not say.
TRect GetMonitorWorkArea(HWND Wnd, bool WorkArea);
void GetPrimaryMonitorWorkArea(bool WorkArea, TRect& R);

// ---- System ---------------------------------------------------------------------------------------------

void GetWindowsVersion(int& Major, int& Minor);
bool CheckWXP();
// True on the versions whose translucent windows the callers use (5.0 and 5.1).
bool CheckW2KWXP();
// Gives a window that already has WS_EX_LAYERED the constant opacity Value (0 transparent, 255 opaque)
// through the user library's SetLayeredWindowAttributes; does nothing where that is missing.
void SetAlphaBlendTransparent(HWND Wnd, BYTE Value);

// ---- Dates ----------------------------------------------------------------------------------------------

WORD ExtractDay(TDateTime D);
WORD ExtractMonth(TDateTime D);
WORD ExtractYear(TDateTime D);
bool IsLeapYear(int Year);
// The Gregorian length of Month; 0 for a month outside 1 to 12.
int DaysPerMonth(int Year, int Month);

// ==== Face, mask and region builders; glyphs and arrows ===================================================
//
// A skin object is the rectangle SrcRect of a skin picture, cut into nine pieces by four corner points
// and a client rectangle, all relative to SrcRect's top-left corner: LTPoint.X / RTPoint.X are where the
// top band starts and ends, LTPoint.Y / LBPoint.Y where the left band starts and ends, RTPoint.Y /
// RBPoint.Y the right band, LBPoint.X / RBPoint.X the bottom band; ClRect.Top is the top border's height,
// ClRect.Left the left border's width, ClRect.Right and ClRect.Bottom where the right and bottom borders
// begin. The New* arguments are the same in the image being built, computed by the caller.
//
// Fixed pieces are copied once; bands are tiled with their source span S, never stretched: tile k
// starts at P0 + k * S and its last tile is cut short at the band's end. A band or client whose span or
// new length is below 1 draws nothing. A piece whose destination differs in size from its source is
// stretched (nearest neighbour) with the destination canvas's copy mode. Builders resize the bitmaps
// they are given (keeping what overlaps) and overwrite them; a null bitmap makes them do nothing.
//
// Masks: a pixel is inside the window exactly when it is pure black (red, green and blue all 0).

// A 24-bit top-down copy of a bitmap with a table of row pointers, for scanning pixels directly.
class TbsFBitmap : public TObject {
  XJ_CLASS(TbsFBitmap, TObject)
 public:
  // Copies the bitmap's pixels; an invalid handle gives an empty copy.
  explicit TbsFBitmap(HBITMAP HBmp);
  ~TbsFBitmap() override;
  void Initialize();

  // Row y at RowPointers[y]; pixels are blue, green, red.
  uint8_t* Bits { nullptr };
  uint8_t** RowPointers { nullptr };
  int RowGap { 0 };     // filler bytes that end each row: Width mod 4
  int RowStride { 0 };  // Width * 3 + Width mod 4
  int ByteSize { 0 };
  int Width { 0 };
  int Height { 0 };
  HBITMAP DibHandle { nullptr };
  HDC MemoryDC { nullptr };
  BITMAPINFO Info {};
  BITMAPINFOHEADER Header {};

 private:
  HGDIOBJ FOldBitmap { nullptr };
};

// How much of a face a builder makes. The face is laid out at its whole new size, but Dest holds only its
// pixels from the top-left corner to Width x Height, exactly as the whole face has them there: a control
// that grew past what shows of it (its parent's client area) needs no more. The default makes it whole.
struct TbsFaceCut {
  int Width { INT_MAX };
  int Height { INT_MAX };
};

// Pieces of a skin picture's Area copied onto Dest as Dest's canvas copies them (CopyRect; pieces of
// another size stretch), but straight into Dest's pixels where it can, from the area widened once when
// the pieces would widen as much.
class TbsSkinPieces {
 public:
  TbsSkinPieces(TBitmap* Dest, TBitmap* Picture, const TRect& Area);
  ~TbsSkinPieces();
  // Src in the picture's coordinates.
  void Copy(const TRect& Dst, const TRect& Src);

 private:
  struct TCopier;
  std::unique_ptr<TCopier> FCopier;
  TPoint FOrigin;
};

// The face of NewWidth x NewHeight (cut by Cut): bands tiled between the new corner points, the eight
// corner pieces, and the client tiled in both directions when DrawClient (otherwise the client keeps what
// the resized Dest holds). Only resizes Dest when RBPoint shares its x or y with LTPoint, or Src is empty.
void CreateSkinImage(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                     const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                     const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest, TBitmap* Src,
                     const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient, TbsFaceCut Cut = {});
// A face open on its right side (tabs): the top and bottom bands run to the right edge; no right band,
// no right corners; the client runs to the right edge.
void CreateSkinImage2(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                      const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                      const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest, TBitmap* Src,
                      const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient);
// CreateSkinImage, except that a band whose flag is set is stretched over its whole new length.
void CreateSkinImageBS(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                       const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                       const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Dest,
                       TBitmap* Src, const TRect& SrcRect, int NewWidth, int NewHeight, bool DrawClient,
                       bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch);

// Three-part faces. Dest becomes NewWidth x (SrcRect's height) for the horizontal ones (NewHeight is not
// used) and (SrcRect's width) x NewHeight for the vertical one (NewWidth is not used), each cut by Cut.
// Left cap, middle tiled from LeftOffset, right cap.
void CreateHSkinImage(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                      int NewHeight, TbsFaceCut Cut = {});
// Left cap and a middle that runs to the right edge.
void CreateHSkinImage2(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                       int NewHeight, TbsFaceCut Cut = {});
// No caps: the middle tiled from x = 0, its last tile ending LeftOffset short of the right edge.
void CreateHSkinImage3(int LeftOffset, int RightOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                       int NewHeight, TbsFaceCut Cut = {});
// Top cap, middle tiled from TopOffset, bottom cap.
void CreateVSkinImage(int TopOffset, int BottomOffset, TBitmap* Dest, TBitmap* Src, const TRect& SrcRect, int NewWidth,
                      int NewHeight, TbsFaceCut Cut = {});

// The four border pieces of the resized mask: TopMask NewWidth x ClRect.Top, BottomMask NewWidth x
// (Mask height - ClRect.Bottom), LeftMask ClRect.Left x (NewClRect's height), RightMask (Mask width -
// ClRect.Right) x (NewClRect's height). A piece without size is left as passed. NewHeight is not used.
void CreateSkinMask(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                    const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint, const TPoint& NewLBPoint,
                    const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Mask, TBitmap* TopMask,
                    TBitmap* LeftMask, TBitmap* RightMask, TBitmap* BottomMask, int NewWidth, int NewHeight);
// The window region of the resized object: NewClRect (unless null) united with the black pixels of every
// border piece that exists. Rgn is 0 when that is empty, or when NewLTPoint lies right of NewRTPoint or
// below NewLBPoint. The caller owns the region.
void CreateSkinRegion(HRGN& Rgn, const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint,
                      const TPoint& RBPoint, const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                      const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect, TBitmap* Mask,
                      int NewWidth, int NewHeight);
// The region of the black pixels of Mask at its own size; 0 for an empty mask.
void CreateSkinSimplyRegion(HRGN& Rgn, TBitmap* Mask);
// Region data for ExtCreateRegion: one rectangle per horizontal run of black pixels, one pixel row high,
// in row order and left to right, moved by (XOffset, YOffset); the bound is the mask's rectangle. Returns
// the byte size (32 + 16 * runs) and sets Data, which the caller frees with std::free; an empty mask
// returns 0 and leaves Data alone.
int CreateRgnFromBmp(TBitmap* Mask, int XOffset, int YOffset, RGNDATA*& Data);

// The four borders of the resized face as separate bitmaps (tiles start at the image's edge, the corner
// pieces are drawn over their ends). An image whose size or span would be below 1 is left as passed.
void CreateSkinBorderImages(const TPoint& LTPoint, const TPoint& RTPoint, const TPoint& LBPoint, const TPoint& RBPoint,
                            const TRect& ClRect, const TPoint& NewLTPoint, const TPoint& NewRTPoint,
                            const TPoint& NewLBPoint, const TPoint& NewRBPoint, const TRect& NewClRect,
                            TBitmap* LeftImage, TBitmap* TopImage, TBitmap* RightImage, TBitmap* BottomImage,
                            TBitmap* Src, const TRect& SrcRect, int NewWidth, int NewHeight);

// ---- The built-in look ------------------------------------------------------------------------------
// What a control shows without a skin: button-face faces with a one-pixel frame, navy and filled in a
// light blue when hot, a darker blue when pressed (TColor: blue in the high byte).
constexpr TColor bsLookHotFill = TColor(0xD2BDB6);
constexpr TColor bsLookDownFill = TColor(0xB59385);
enum class TbsLookState { Normal, Hot, Down };
// One face: the frame (a normal face has a button-shadow frame only with NormalFrame) and the fill
// inside it; R ends inside the frame. Sets the pen and brush colours and leaves the brush style alone.
void bsDrawLookFace(TCanvas* Canvas, TRect& R, TbsLookState State, bool NormalFrame = true);
// The state of a face that is pressed or hot (pressed wins).
inline TbsLookState bsLookState(bool Down, bool Hot) {
  return Down ? TbsLookState::Down : Hot ? TbsLookState::Hot : TbsLookState::Normal;
}

// Glyphs and signs drawn with the pen. Lines leave out their end point; each routine sets only the pen
// colour, brush colour or brush style it names and does not restore them.
//
// Cell GlyphNum (1-based) of a strip of NumGlyphs equal cells side by side, drawn at (X, Y) with the
// cell's bottom-left pixel as transparent colour. An empty strip, NumGlyphs below 1 or a GlyphNum
// outside 1 ... NumGlyphs draw nothing.
void DrawGlyph(TCanvas* Canvas, int X, int Y, TBitmap* Glyph, int NumGlyphs, int GlyphNum);
// A 4-step arrow centred in R: Code 1 left, 2 right, 3 up, 4 down; any other Code draws nothing.
void DrawArrowImage(TCanvas* Canvas, const TRect& R, TColor Color, int Code);
// A downward arrow of 5, 3 and 1 pixels whose tip is two rows below R's centre.
void DrawTrackArrowImage(TCanvas* Canvas, const TRect& R, TColor Color);
void DrawRadioImage(TCanvas* Canvas, int X, int Y, TColor Color);  // a solid 6 x 6 square
void DrawCheckImage(TCanvas* Canvas, int X, int Y, TColor Color);  // a check mark three pixels thick
// Left column and top row (without the top-right pixel) in TopColor, right column and bottom row in
// BottomColor.
void Frm3D(TCanvas* Canvas, const TRect& R, TColor TopColor, TColor BottomColor);
// Caption signs, within (X, Y) ... (X + 10, Y + 9).
void DrawCloseImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRCloseImage(TCanvas* Canvas, const TRect& R, TColor Color);  // centred in R
void DrawSysMenuImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMinimizeImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMaximizeImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRestoreImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRollUpImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRestoreRollUpImage(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMTImage(TCanvas* Canvas, int X, int Y, TColor Color);  // a solid 5 x 5 square
