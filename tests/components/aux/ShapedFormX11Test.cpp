// The shaped form on a real X server: a private Xvfb, the x11 display back-end, and the form's X window
// read back with the SHAPE extension — its bounding shape must be exactly the picture's opaque pixels
// (the frame's offset added) — and from the screen: the picture where it is kept, not where it is cut.
// Skipped when Xvfb is not installed.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/CTL_KRShapedForm.h"
#include "tests/components/aux/AuxTestUtil.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace auxtest;
using namespace ctltest;

namespace {

const char* const kPattern[] = { "##....##", "#.####.#", "#.#..#.#", "#.####.#", "...#...#", ".#######" };
constexpr int kCols = 8, kRows = 6, kBlock = 15;
constexpr TColor kRed = 0x0000FF, kMagenta = 0xFF00FF;

bool Opaque(int X, int Y) {
  return X >= 0 && Y >= 0 && X < kCols * kBlock && Y < kRows * kBlock && kPattern[Y / kBlock][X / kBlock] == '#';
}

// The window's bounding shape as one flag per pixel of a Width x Height window, row by row.
std::vector<bool> ShapeFlags(unsigned long Window, int Width, int Height) {
  std::vector<bool> in(static_cast<size_t>(Width * Height), false);
  for (const xj::test::XRect& r : xj::test::X11ControlsTest::X().Shape(Window, false))
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, Height); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, Width); ++x)
        in[static_cast<size_t>(y * Width + x)] = true;
  return in;
}

using ShapedFormX11 = xj::test::X11ControlsTest;

TEST_F(ShapedFormX11, TheFormsXWindowIsCutToTheOpaquePixelsOfThePicture) {
  TForm* form = NewForm(200, 150, 300, 200);
  form->SetCaption("Shaped form demonstration");
  auto* shaped = new TKRShapedForm(form);
  shaped->SetParent(form);
  TBitmap picture;
  Fill(picture, kCols * kBlock, kRows * kBlock, kMagenta);
  picture.Canvas()->Brush()->SetColor(kRed);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c)
      if (kPattern[r][c] == '#')
        picture.Canvas()->FillRect(TRect(c * kBlock, r * kBlock, (c + 1) * kBlock, (r + 1) * kBlock));
  shaped->Picture()->SetBitmap(&picture);
  form->Show();
  xt::PumpUntilIdle();

  const xt::WindowInfo info = xt::Info(form->Handle());
  const int width = info.window.right - info.window.left, height = info.window.bottom - info.window.top;
  const int dx = info.client.left - info.window.left, dy = info.client.top - info.window.top;
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return (window = X().FindWindow("Shaped form demonstration")) != 0; }));

  std::vector<bool> expected(static_cast<size_t>(width * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) expected[static_cast<size_t>(y * width + x)] = Opaque(x - dx, y - dy);
  EXPECT_TRUE(Eventually([&] { return ShapeFlags(window, width, height) == expected; }));

  const std::vector<bool> shape = ShapeFlags(window, width, height);
  int kept = 0;
  for (bool b : shape) kept += b;
  EXPECT_EQ(kept, 29 * kBlock * kBlock);  // the 29 opaque squares of the pattern, nothing else

  // On screen: red where the picture is kept, something else where it is cut away.
  const int solidX = info.client.left + 2, solidY = info.client.top + 2;
  const int holeX = info.client.left + 3 * kBlock + 7, holeY = info.client.top + 2 * kBlock + 7;
  EXPECT_TRUE(Eventually([&] { return X().ScreenPixel(solidX, solidY) == 0xFF0000u; }));  // red as X stores it
  EXPECT_NE(X().ScreenPixel(holeX, holeY), 0xFF0000u);
}

}  // namespace
