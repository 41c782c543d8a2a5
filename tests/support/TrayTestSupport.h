#pragma once
// For tests of the notification area: icons drawn in code (any size, opaque colours and transparent
// pixels) and the record Shell_NotifyIconA takes.

#include <cstring>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win32/ShellApi.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinUser.h"

namespace xj::test {

// An icon w × h: `colour(x, y)` gives 0x00BBGGRR, or CLR_INVALID for a transparent pixel (AND mask set).
inline HICON MakeIcon(int w, int h, const std::function<COLORREF(int, int)>& colour) {
  std::vector<uint32_t> pixels(size_t(w) * size_t(h), 0);
  const int stride = (w + 15) / 16 * 2;  // monochrome rows are whole words
  std::vector<BYTE> mask(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = colour(x, y);
      if (c == CLR_INVALID)
        mask[size_t(y) * size_t(stride) + size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
      else
        pixels[size_t(y) * size_t(w) + size_t(x)] =
            uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    }
  HBITMAP colourBitmap = CreateBitmap(w, h, 1, 32, pixels.data());
  HBITMAP maskBitmap = CreateBitmap(w, h, 1, 1, mask.data());
  ICONINFO info { TRUE, 0, 0, maskBitmap, colourBitmap };
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(maskBitmap);
  DeleteObject(colourBitmap);
  return icon;
}

// 32 × 32: a transparent top-left quarter, red below it, blue on the right.
inline HICON QuarteredIcon() {
  return MakeIcon(32, 32, [](int x, int y) -> COLORREF {
    if (x < 16 && y < 16) return CLR_INVALID;
    return x < 16 ? RGB(255, 0, 0) : RGB(0, 0, 255);
  });
}

// A shell-5 record for (h, id) with the callback message `callback`.
inline NOTIFYICONDATAA NotifyRecord(HWND h, UINT id, UINT flags, UINT callback, HICON icon = nullptr,
                                    const char* tip = "") {
  NOTIFYICONDATAA d {};
  d.cbSize = NOTIFYICONDATAA_V2_SIZE;
  d.hWnd = h;
  d.uID = id;
  d.uFlags = flags;
  d.uCallbackMessage = callback;
  d.hIcon = icon;
  std::strncpy(d.szTip, tip, sizeof d.szTip - 1);
  return d;
}

}  // namespace xj::test
