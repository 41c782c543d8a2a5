// Programs built on the platform under a real X server (a private Xvfb): forms are X windows showing
// what the platform drew, xdotool's typing and clicking reach the controls, and a window region cuts
// the X window with the SHAPE extension. A screenshot of the display is written under the build tree.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>

#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/display/Display.h"
#include "platform/win32/WmBackend.h"
#include "tests/x11/XProbe.h"
#include "tests/x11/XvfbServer.h"

namespace x11test {
namespace {

constexpr int kTimeoutMs = 15000;  // generous: a loaded machine runs many tests at once

XvfbServer* gServer = nullptr;
std::string gProblem;

class X11FormTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!OnPath("Xvfb")) {
      gProblem = "Xvfb is not installed";
      return;
    }
    gServer = new XvfbServer;
    if (!gServer->Start(gProblem)) {
      delete gServer;
      gServer = nullptr;
    }
  }
  static void TearDownTestSuite() {
    // The window manager's connection goes before the server does: a connection that breaks ends the
    // process.
    xj::wm::SetDisplay(nullptr);
    delete gServer;
    gServer = nullptr;
  }

  void SetUp() override {
    if (!gServer) GTEST_SKIP() << gProblem;
    if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    // Before the first window: the window manager opens its display from these.
    setenv("DISPLAY", gServer->Name().c_str(), 1);
    setenv("XJ_DISPLAY", "x11", 1);
    FX = std::make_unique<XProbe>(gServer->Name());
    ASSERT_TRUE(FX->Connected());
  }
  void TearDown() override {
    for (TCustomForm* f : FForms) delete f;
    FForms.clear();
    Pump();
  }

  TForm* NewForm(const char* title, int left, int top, int width, int height) {
    auto* form = new TForm(nullptr);
    FForms.push_back(form);
    form->SetBounds(left, top, width, height);
    form->SetCaption(title);
    return form;
  }

  static void Pump() { Application->ProcessMessages(); }
  // Runs the message loop until `done` holds or the time runs out.
  static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
      Pump();
      if (done()) return true;
      usleep(5000);
    }
    return done();
  }
  // An outside program against our X server, while the loop goes on.
  static int Run(const std::string& command) {
    return RunWhilePumping(command, [] { Pump(); });
  }
  static int Xdotool(const std::string& args) { return Run("xdotool " + args); }

  // A form shown and on the screen: its X window is mapped and shows the form's colour at `probe`
  // (screen coordinates).
  unsigned long ShowAndWait(TForm* form, const std::string& title, POINT probe, uint32_t rgb) {
    form->Show();
    unsigned long w = 0;
    PumpUntil([&] {
      w = FX->FindWindow(title);
      return FX->Viewable(w) && FX->ScreenPixel(probe.x, probe.y) == rgb;
    });
    return w;
  }

  static uint32_t Rgb(TColor c) {
    const uint32_t bgr = uint32_t(ColorToRGB(c));
    return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
  }

  // A point set per pixel of a w×h area from rectangles (window coordinates).
  static std::vector<bool> Coverage(int w, int h, const std::vector<RECT>& rects) {
    std::vector<bool> mask(size_t(w) * h, false);
    for (const RECT& r : rects)
      for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, h); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, w); ++x) mask[size_t(y) * w + x] = true;
    return mask;
  }
  std::vector<bool> ServerShape(unsigned long w, bool input, int width, int height) {
    std::vector<RECT> rects;
    for (const XRect& r : FX->Shape(w, input)) rects.push_back({ r.left, r.top, r.right, r.bottom });
    return Coverage(width, height, rects);
  }

  std::unique_ptr<XProbe> FX;
  std::vector<TCustomForm*> FForms;
};

// A top-level form without a frame, cut to a "T" by its window region: the X window has exactly that
// shape for drawing and for input, and the screen shows the form only inside it.
TEST_F(X11FormTest, AWindowRegionShapesTheXWindow) {
  TForm* form = NewForm("xj-shaped", 300, 200, 200, 150);
  form->SetBorderStyle(bsNone);
  form->SetColor(clRed);
  const std::vector<RECT> shape { { 0, 0, 200, 40 }, { 70, 40, 130, 150 } };
  HRGN region = CreateRectRgn(0, 0, 200, 40);
  HRGN stem = CreateRectRgn(70, 40, 130, 150);
  CombineRgn(region, region, stem, RGN_OR);
  DeleteObject(stem);
  ASSERT_NE(SetWindowRgn(form->Handle(), region, TRUE), 0);
  const unsigned long w = ShowAndWait(form, "xj-shaped", { 300 + 100, 200 + 100 }, Rgb(clRed));
  ASSERT_TRUE(FX->Viewable(w)) << "the form never showed on the X server";

  EXPECT_EQ(ServerShape(w, false, 200, 150), Coverage(200, 150, shape));
  EXPECT_EQ(ServerShape(w, true, 200, 150), Coverage(200, 150, shape));
  EXPECT_EQ(FX->ScreenPixel(300 + 10, 200 + 10), Rgb(clRed));
  EXPECT_NE(FX->ScreenPixel(300 + 10, 200 + 100), Rgb(clRed));  // outside the region: what lies beneath

  // A new region replaces the shape; none gives the whole window back.
  SetWindowRgn(form->Handle(), CreateRectRgn(0, 0, 50, 50), TRUE);
  ASSERT_TRUE(PumpUntil([&] { return ServerShape(w, false, 200, 150) == Coverage(200, 150, { { 0, 0, 50, 50 } }); }));
  SetWindowRgn(form->Handle(), nullptr, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return ServerShape(w, false, 200, 150) == Coverage(200, 150, { { 0, 0, 200, 150 } }); }));
  EXPECT_TRUE(PumpUntil([&] { return FX->ScreenPixel(300 + 10, 200 + 100) == Rgb(clRed); }));
}

}  // namespace
}  // namespace x11test
