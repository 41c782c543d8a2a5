// Narrow text drawn byte by byte as GBK: the single byte 0x80 is the euro sign (the same glyph and width
// as its double-byte form), and bytes that are no character draw as '?'.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/platform/gdi/GdiTestUtil.h"

namespace {

struct Drawn {
  std::vector<COLORREF> pixels;
  SIZE extent {};
  bool operator==(const Drawn& o) const {
    return pixels == o.pixels && extent.cx == o.extent.cx && extent.cy == o.extent.cy;
  }
};

// `text` in black on white, 24 pixels high, and the extent the font gives it.
Drawn Draw(const char* text) {
  gditest::Canvas c(40, 32);
  HFONT font = gditest::MakeFont("DejaVu Sans", -24);
  HGDIOBJ old = SelectObject(c.dc(), font);
  SetBkMode(c.dc(), TRANSPARENT);
  SetTextColor(c.dc(), RGB(0, 0, 0));
  const int n = static_cast<int>(std::strlen(text));
  TextOutA(c.dc(), 4, 2, text, n);
  Drawn d;
  GetTextExtentPoint32A(c.dc(), text, n, &d.extent);
  SelectObject(c.dc(), old);
  DeleteObject(font);
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) d.pixels.push_back(c.At(x, y));
  return d;
}

TEST(TextBytes, TheByte0x80DrawsTheEuroSignAndBytesThatAreNoCharacterAQuestionMark) {
  const Drawn euro = Draw("\x80"), euroPair = Draw("\xA2\xE3"), question = Draw("?");
  EXPECT_TRUE(euro == euroPair);
  EXPECT_FALSE(euro == question);
  EXPECT_GT(std::count(euro.pixels.begin(), euro.pixels.end(), RGB(0, 0, 0)), 20);  // inked, not blank
  EXPECT_NE(euro.extent.cx, question.extent.cx);
  EXPECT_TRUE(Draw("\xFF") == question);
  EXPECT_TRUE(Draw("\x81") == question);  // a lead byte with nothing after it
}

}  // namespace
