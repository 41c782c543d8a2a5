#pragma once
// GDI: device contexts, pens, brushes, bitmaps and DIBs, blits and raster operations, regions,
// fonts and text. Narrow ("A") functions take GBK bytes. Coordinates are MM_TEXT throughout.
// Failures return the documented failure value and set the last error (errno values).

#include "platform/win32/WinDef.h"

// ---- Colours ---------------------------------------------------------------------------------
#define CLR_INVALID 0xFFFFFFFFu
#define PALETTERGB(r, g, b) (0x02000000u | RGB(r, g, b))

// ---- Object types and stock objects ----------------------------------------------------------
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// ---- Modes -------------------------------------------------------------------------------------
#define TRANSPARENT 1
#define OPAQUE 2

#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

#define ALTERNATE 1
#define WINDING 2

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define GDI_ERROR 0xFFFFFFFFu

// ---- Raster operations (ternary: index byte in bits 16..23) ------------------------------------
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#define MAKEROP4(fore, back) (DWORD)((((back) << 8) & 0xFF000000u) | (fore))

// ---- Pens and brushes --------------------------------------------------------------------------
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3

#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

// ---- Bitmaps and DIBs --------------------------------------------------------------------------
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

#pragma pack(push, 1)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER, *PBITMAPFILEHEADER, *LPBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagRGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
} RGBTRIPLE;

// The colour table (or the three BI_BITFIELDS masks) follows the header; callers allocate room.
typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION;

// ---- Regions -----------------------------------------------------------------------------------
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RDH_RECTANGLES 1

typedef struct _RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
} RGNDATAHEADER;

typedef struct _RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
} RGNDATA, *PRGNDATA, *LPRGNDATA;

typedef struct tagXFORM XFORM;  // world transforms are not supported; ExtCreateRegion wants NULL

// ---- Fonts and text ----------------------------------------------------------------------------
#define LF_FACESIZE 32
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define GB2312_CHARSET 134
#define OEM_CHARSET 255
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
// In tmPitchAndFamily the bit is set for a *variable* pitch font, as on the original platform.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;
typedef LOGFONTA LOGFONT;

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
typedef TEXTMETRICA TEXTMETRIC;

typedef struct tagNEWTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
} NEWTEXTMETRICA;

typedef struct tagFONTSIGNATURE {
  DWORD fsUsb[4];
  DWORD fsCsb[2];
} FONTSIGNATURE;

typedef struct tagNEWTEXTMETRICEXA {
  NEWTEXTMETRICA ntmTm;
  FONTSIGNATURE ntmFontSig;
} NEWTEXTMETRICEXA;

typedef struct tagENUMLOGFONTEXA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[64];
  BYTE elfStyle[LF_FACESIZE];
  BYTE elfScript[LF_FACESIZE];
} ENUMLOGFONTEXA;

// Font enumeration callbacks receive an ENUMLOGFONTEXA and a NEWTEXTMETRICEXA behind their
// LOGFONTA and TEXTMETRICA pointers; returning 0 stops the enumeration.

// ---- Device contexts ---------------------------------------------------------------------------
HDC WINAPI CreateCompatibleDC(HDC hdc);
// Only "DISPLAY" is known: a memory DC whose compatible bitmaps are 32-bit colour.
HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData);
BOOL WINAPI DeleteDC(HDC hdc);
int WINAPI SaveDC(HDC hdc);
BOOL WINAPI RestoreDC(HDC hdc, int savedDC);

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
BOOL WINAPI DeleteObject(HGDIOBJ h);
int WINAPI GetObjectA(HGDIOBJ h, int size, LPVOID out);
#define GetObject GetObjectA
DWORD WINAPI GetObjectType(HGDIOBJ h);
HGDIOBJ WINAPI GetStockObject(int index);
BOOL WINAPI UnrealizeObject(HGDIOBJ h);

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF c);
COLORREF WINAPI GetBkColor(HDC hdc);
int WINAPI SetBkMode(HDC hdc, int mode);
int WINAPI GetBkMode(HDC hdc);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF c);
COLORREF WINAPI GetTextColor(HDC hdc);
int WINAPI SetROP2(HDC hdc, int rop2);
int WINAPI GetROP2(HDC hdc);
int WINAPI SetStretchBltMode(HDC hdc, int mode);
int WINAPI GetStretchBltMode(HDC hdc);
int WINAPI SetPolyFillMode(HDC hdc, int mode);
int WINAPI GetPolyFillMode(HDC hdc);
UINT WINAPI SetTextAlign(HDC hdc, UINT align);
UINT WINAPI GetTextAlign(HDC hdc);
BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT pt);
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT pt);
BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT pt);
BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT pt);
BOOL WINAPI LPtoDP(HDC hdc, LPPOINT pts, int count);
BOOL WINAPI DPtoLP(HDC hdc, LPPOINT pts, int count);

// ---- Clipping ----------------------------------------------------------------------------------
int WINAPI SelectClipRgn(HDC hdc, HRGN rgn);
int WINAPI ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int WINAPI OffsetClipRgn(HDC hdc, int dx, int dy);
int WINAPI GetClipBox(HDC hdc, LPRECT rc);
int WINAPI GetClipRgn(HDC hdc, HRGN rgn);
BOOL WINAPI PtVisible(HDC hdc, int x, int y);
BOOL WINAPI RectVisible(HDC hdc, const RECT* rc);

// ---- Regions -----------------------------------------------------------------------------------
HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
HRGN WINAPI CreateRectRgnIndirect(const RECT* rc);
HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rc);
HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h);
HRGN WINAPI CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN WINAPI ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);
DWORD WINAPI GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data);
int WINAPI CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
BOOL WINAPI SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int WINAPI OffsetRgn(HRGN rgn, int dx, int dy);
BOOL WINAPI PtInRegion(HRGN rgn, int x, int y);
BOOL WINAPI RectInRegion(HRGN rgn, const RECT* rc);
int WINAPI GetRgnBox(HRGN rgn, LPRECT rc);
BOOL WINAPI EqualRgn(HRGN a, HRGN b);
BOOL WINAPI FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL WINAPI FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h);
BOOL WINAPI PaintRgn(HDC hdc, HRGN rgn);
BOOL WINAPI InvertRgn(HDC hdc, HRGN rgn);

// ---- Pens, brushes, drawing --------------------------------------------------------------------
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HPEN WINAPI CreatePenIndirect(const LOGPEN* lp);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color);
HBRUSH WINAPI CreatePatternBrush(HBITMAP bmp);
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* lb);

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL WINAPI LineTo(HDC hdc, int x, int y);
BOOL WINAPI Polyline(HDC hdc, const POINT* pts, int count);
BOOL WINAPI PolylineTo(HDC hdc, const POINT* pts, DWORD count);
BOOL WINAPI Polygon(HDC hdc, const POINT* pts, int count);
BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int w, int h);
COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF c);
BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF c);
COLORREF WINAPI GetPixel(HDC hdc, int x, int y);

// ---- Blits -------------------------------------------------------------------------------------
BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
BOOL WINAPI BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL WINAPI StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
// The mask is monochrome: 1 selects the foreground ROP (low word of MAKEROP4), 0 the background.
BOOL WINAPI MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
                    DWORD rop4);
int WINAPI StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                         const BITMAPINFO* bmi, UINT usage, DWORD rop);
int WINAPI SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                             const void* bits, const BITMAPINFO* bmi, UINT usage);

// ---- Bitmaps -----------------------------------------------------------------------------------
HBITMAP WINAPI CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits);
HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bm);
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int w, int h);
HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section, DWORD offset);
int WINAPI GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO bmi, UINT usage);
int WINAPI SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);
LONG WINAPI GetBitmapBits(HBITMAP bmp, LONG size, LPVOID bits);
LONG WINAPI SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits);
BOOL WINAPI GdiFlush();

#include "platform/win32/WinGdi_text.h"
