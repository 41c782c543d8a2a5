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
#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/display/x11/X11Open.h"
#include "platform/win32/WmBackend.h"
#include "tests/components/aux/AuxTestUtil.h"
#include "tests/support/Wait.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/x11/XProbe.h"

using namespace auxtest;
using namespace ctltest;

namespace {

const char* const kPattern[] = { "##....##", "#.####.#", "#.#..#.#", "#.####.#", "...#...#", ".#######" };
constexpr int kCols = 8, kRows = 6, kBlock = 15;
constexpr TColor kRed = 0x0000FF, kMagenta = 0xFF00FF;

bool Opaque(int X, int Y) {
  return X >= 0 && Y >= 0 && X < kCols * kBlock && Y < kRows * kBlock && kPattern[Y / kBlock][X / kBlock] == '#';
}

xj::test::XvfbServer* gServer = nullptr;
std::unique_ptr<xj::test::XProbe> gProbe;
std::string gProblem;

// The window's bounding shape as one flag per pixel of a Width x Height window, row by row.
std::vector<bool> ShapeFlags(unsigned long Window, int Width, int Height) {
  std::vector<bool> in(static_cast<size_t>(Width * Height), false);
  for (const xj::test::XRect& r : gProbe->Shape(Window, false))
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, Height); ++y)
      for (int x = std::max(r.left, 0); x < std::min(r.right, Width); ++x)
        in[static_cast<size_t>(y * Width + x)] = true;
  return in;
}

class ShapedFormX11 : public ControlsTest {
 protected:
  static void SetUpTestSuite() {
    if (!xj::test::OnPath("Xvfb")) {
      gProblem = "Xvfb is not installed";
      return;
    }
    gServer = new xj::test::XvfbServer;
    if (gServer->Start(gProblem)) gProbe = std::make_unique<xj::test::XProbe>(gServer->Name());
    if (!gProbe || !gProbe->Connected()) {
      if (gProblem.empty()) gProblem = "cannot connect to Xvfb";
      gProbe.reset();
      delete gServer;
      gServer = nullptr;
    }
  }
  static void TearDownTestSuite() {
    gProbe.reset();
    delete gServer;
    gServer = nullptr;
  }
  void SetUp() override {
    if (!gServer) GTEST_SKIP() << gProblem;
    ControlsTest::SetUp();
    std::string error;
    auto backend = xj::display::OpenX11Backend(gServer->Name().c_str(), &error);
    ASSERT_TRUE(backend) << error;
    xj::wm::SetDisplay(std::move(backend));
  }
  void TearDown() override {
    if (!gServer) return;
    // Back to memory before the server goes: the x11 connection closes with its windows.
    xj::wm::SetDisplay(std::make_unique<xj::display::HeadlessBackend>());
    ControlsTest::TearDown();
  }
  // Pumps our loop and polls the server until Done holds.
  static bool Eventually(const std::function<bool()>& Done) {
    return xj::test::WaitUntil(Done, [] { xt::PumpUntilIdle(); });
  }
};

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
  ASSERT_TRUE(Eventually([&] { return (window = gProbe->FindWindow("Shaped form demonstration")) != 0; }));

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
  EXPECT_TRUE(Eventually([&] { return gProbe->ScreenPixel(solidX, solidY) == 0xFF0000u; }));  // red as X stores it
  EXPECT_NE(gProbe->ScreenPixel(holeX, holeY), 0xFF0000u);
}

}  // namespace
