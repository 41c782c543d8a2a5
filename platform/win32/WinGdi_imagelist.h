#pragma once
// Image lists: equally sized images kept side by side in one colour strip and, for masked lists,
// a monochrome mask strip (1 = transparent). CommCtrl.h includes this header.

#include "platform/win32/WinDef.h"

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLORDDB 0x00FE
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020

#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001
#define ILD_BLEND25 0x0002
#define ILD_FOCUS ILD_BLEND25
#define ILD_BLEND50 0x0004
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50
#define ILD_MASK 0x0010
#define ILD_IMAGE 0x0020

#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL WINAPI ImageList_Destroy(HIMAGELIST list);
// Adds as many images as the bitmap is wide; returns the index of the first, -1 on failure.
int WINAPI ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Pixels of the key colour become transparent and are stored black in the image.
int WINAPI ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF key);
// index -1 appends; returns the index replaced or added, -1 on failure.
int WINAPI ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
#define ImageList_AddIcon(list, icon) ImageList_ReplaceIcon(list, -1, icon)
BOOL WINAPI ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
// index -1 removes every image.
BOOL WINAPI ImageList_Remove(HIMAGELIST list, int index);
int WINAPI ImageList_GetImageCount(HIMAGELIST list);
BOOL WINAPI ImageList_SetImageCount(HIMAGELIST list, UINT count);
BOOL WINAPI ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL WINAPI ImageList_SetIconSize(HIMAGELIST list, int cx, int cy);
COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST list, COLORREF bk);
COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST list);
HICON WINAPI ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
BOOL WINAPI ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style);
// dx, dy 0 draw the whole image; bk CLR_DEFAULT uses the list's colour, CLR_NONE draws through the mask.
BOOL WINAPI ImageList_DrawEx(HIMAGELIST list, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF bk,
                             COLORREF fg, UINT style);
HIMAGELIST WINAPI ImageList_Duplicate(HIMAGELIST list);

namespace xj {
// The disabled look of an image: its opaque area (the mask) embossed, button highlight at +1,+1,
// then button shadow at 0,0.
BOOL ImageListDrawDisabled(HIMAGELIST list, int index, HDC hdc, int x, int y);
}  // namespace xj
