#pragma once
// The skinning library's shared helpers:
//   - value codecs: how rectangles, points, Booleans, font styles, alignments and string lists are
//     written in a skin file and what is read back from any text found there;
//   - rectangle and number helpers with this library's own meaning of a null rectangle and point;
//   - text fitting and drawing, screen capture and monitor areas;
//   - the system checks that decide whether translucent (layered) windows are used;
//   - the date helpers of the calendar control.
// The face, mask and region builders and the glyph drawing build on these. None of them keeps state.

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/SysUtils.h"
#include "platform/vcl/Types.h"
#include "platform/win32/WinDef.h"

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

// Lists in a skin file hold at most this many entries; a larger count is malformed and reads as 0 (it
// could only add empty entries, at unbounded cost).
constexpr int MaxSkinListCount = 65536;

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
// keys), to Strings; a missing entry adds "".
void ReadStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);
void ReadStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);

void WriteRect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TRect& R);
void WritePoint(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TPoint& P);
void WriteBoolean(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, bool Value);
// The words of the styles present in the order bold, italic, underline, strike-out, comma-separated.
void WriteFontStyles(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident,
                     TFontStyles Styles);
void WriteAlignment(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident,
                    TAlignment Alignment);
// Write the count and the entries; keys of a longer earlier list stay (erase the section first).
void WriteStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);
void WriteStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);

// A 32-bit little-endian length, then the bytes. Reading raises EReadError when the length is negative
// or more than the stream holds.
void WriteStringToStream(const AnsiString& Str, TStream* S);
void ReadStringFromStream(AnsiString& Str, TStream* S);

// ---- Rectangles and numbers -----------------------------------------------------------------------------

inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
inline TRect NullRect() { return TRect(0, 0, 0, 0); }
// Null: narrower or lower than one pixel; not only the all-zero rectangle.
inline bool IsNullRect(const TRect& R) { return R.Right - R.Left < 1 || R.Bottom - R.Top < 1; }
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

// ---- Screen ---------------------------------------------------------------------------------------------

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
