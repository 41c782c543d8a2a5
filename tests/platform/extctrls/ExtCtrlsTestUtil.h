#pragma once
// Helpers for the stock-control tests: the control layer's fixture, pixel maps of what a window shows,
// and small bitmaps painted from rows of characters.

#include <initializer_list>
#include <string>
#include <utility>

#include "tests/support/PixelRows.h"
#include "tests/support/ControlsTestUtil.h"

namespace exttest {

using namespace ctltest;

constexpr COLORREF kFace = 0xC0C0C0;       // clBtnFace in the classic palette
constexpr COLORREF kShadow = 0x808080;     // clBtnShadow
constexpr COLORREF kHighlight = 0xFFFFFF;  // clBtnHighlight
constexpr COLORREF kDkShadow = 0x000000;   // cl3DDkShadow

// What the window shows in the rectangle (client coordinates), one line per row, one character per
// pixel: the character of the first ink that matches, '?' for any other colour.
inline std::string Map(HWND h, int left, int top, int width, int height,
                       std::initializer_list<std::pair<char, COLORREF>> inks) {
  std::string s;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const COLORREF c = xt::ReadPixel(h, x, y);
      char ch = '?';
      for (const auto& [k, ink] : inks)
        if (c == ink) {
          ch = k;
          break;
        }
      s += ch;
    }
    s += '\n';
  }
  return s;
}

using xj::test::Rows;

// A 32-bit bitmap painted from rows of characters, one colour per character.
inline void Paint(TBitmap& b, std::initializer_list<const char*> rows,
                  std::initializer_list<std::pair<char, TColor>> inks) {
  int h = 0, w = 0;
  for (const char* r : rows) {
    w = std::max(w, static_cast<int>(strlen(r)));
    ++h;
  }
  b.SetPixelFormat(pf32bit);
  b.SetSize(w, h);
  int y = 0;
  for (const char* r : rows) {
    for (int x = 0; r[x]; ++x)
      for (const auto& [c, color] : inks)
        if (r[x] == c) b.Canvas()->SetPixels(x, y, color);
    ++y;
  }
}

// The control layer's fixture with a shown form whose face is a colour no control uses.
class StockTest : public ControlsTest {
 protected:
  static constexpr TColor kFormColor = 0x00A0E0;  // a colour of no control
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 300);
    form->SetColor(kFormColor);
  }
  HWND FormHandle() { return form->Handle(); }
  // A key pressed and released, handled by the application's loop (the only way to the key pipeline).
  static void Press(UINT vk, unsigned shift = xt::ssNone) {
    xt::KeyDown(vk, shift, false);
    xt::KeyUp(vk, shift, false);
    Application->ProcessMessages();
  }
  TForm* form {};
};

}  // namespace exttest
