#pragma once
// GDI fonts and text output. Strings are GBK bytes; a lead byte and its trail byte are one
// character. Face names map as follows: "宋体"/"SimSun" → AR PL UMing, "MS Sans Serif"/"Tahoma"/
// "Arial" → DejaVu Sans, "Courier New" → DejaVu Sans Mono, anything else through fontconfig.
// The built-in face "Platform Test" (no FreeType) draws every single-byte character as an 8 × 13
// cell and every double-byte character as a 16 × 13 cell (ascent 10, descent 3) whose glyph is
// the filled box x ∈ [1, cell − 1), y ∈ [1, 10) of the cell; blanks and control characters draw
// nothing, bold widens the box by one pixel, underline is row 11, strike-out row 5.

#include "platform/win32/WinDef.h"

struct tagLOGFONTA;
struct tagTEXTMETRICA;

HFONT WINAPI CreateFontIndirectA(const tagLOGFONTA* lf);
#define CreateFontIndirect CreateFontIndirectA
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCSTR face);
BOOL WINAPI GetTextMetricsA(HDC hdc, tagTEXTMETRICA* tm);
#define GetTextMetrics GetTextMetricsA
BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR s, int len, LPSIZE size);
#define GetTextExtentPoint32 GetTextExtentPoint32A
int WINAPI GetTextFaceA(HDC hdc, int size, LPSTR face);
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR s, int len);
#define TextOut TextOutA
// dx, when given, holds one advance per byte; a double-byte character advances by the sum of its two.
BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCSTR s, UINT len, const INT* dx);
#define ExtTextOut ExtTextOutA

typedef int(CALLBACK* FONTENUMPROCA)(const tagLOGFONTA*, const tagTEXTMETRICA*, DWORD, LPARAM);
int WINAPI EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA proc, LPARAM lParam);
int WINAPI EnumFontFamiliesExA(HDC hdc, tagLOGFONTA* lf, FONTENUMPROCA proc, LPARAM lParam, DWORD flags);
