#pragma once
// What the header and list-view classes share: their procedures (registered in Controls.cpp), their
// display orders, and the way both draw a caption with an optional image.

#include <string>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinGdi_imagelist.h"

namespace xj::ctl {

// The widest a section or column may be: wider than any screen, and small enough that the widths of
// many add up without overflow.
constexpr int kMaxSectionWidth = 1 << 20;

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Whether `order` holds each of 0 .. size−1 once (a display order of columns or sections).
bool IsPermutation(const int* order, size_t size);

// A caption in `r` aligned by `fmt` (HDF_LEFT/RIGHT/CENTER), shortened with "..." when it does not fit,
// after image `image` of `images` when there is one; 6-pixel margins.
void DrawCaption(HDC dc, RECT r, const std::string& text, int fmt, HIMAGELIST images, int image);

}  // namespace xj::ctl
