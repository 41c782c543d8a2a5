// Programs built on the platform under a real X server (a private Xvfb): forms are X windows showing
// what the platform drew, xdotool's typing and clicking reach the controls, and a window region cuts
// the X window with the SHAPE extension. A screenshot of the display is written under the build tree.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/display/Display.h"
#include "platform/win32/WmBackend.h"
#include "tests/support/Scratch.h"
#include "tests/support/Utf8.h"
#include "tests/support/Wait.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/XProbe.h"
#include "tests/support/XvfbServer.h"

namespace x11test {

using xj::test::OnPath;
using xj::test::RunWhilePumping;
using xj::test::Shown;
using xj::test::u8s;
using xj::test::WaitUntil;
using xj::test::XProbe;
using xj::test::XRect;
using xj::test::XvfbServer;
namespace {

XvfbServer* gServer = nullptr;
std::string gProblem;

class X11FormTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { gServer = xj::test::StartXvfbAndManager(gProblem); }
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
  // Runs the message loop until `done` holds.
  static bool PumpUntil(const std::function<bool()>& done) { return WaitUntil(done, Pump); }
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

// A program's form: xdotool clicks into the edit, types (Chinese too, through the input method path),
// and clicks the button, whose handler copies the edit's text into the form's caption. The class
// library sees the text, the X server the new title, and a screenshot of the display shows it all.
TEST_F(X11FormTest, TypingAndClickingReachTheControlsOfARealWindow) {
  TForm* form = NewForm("xj-form", 200, 150, 360, 170);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(20, 20, 240, 24);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(20, 64, 120, 30);
  button->SetCaption("复制到标题");
  int clicks = 0;
  button->OnClick = TNotifyEvent::FromCallable([&](TObject*) {
    ++clicks;
    form->SetCaption(edit->Text());
  });
  const TPoint face = form->ClientToScreen(TPoint(300, 120));
  const unsigned long w = ShowAndWait(form, "xj-form", { face.X, face.Y }, Rgb(clBtnFace));
  ASSERT_TRUE(FX->Viewable(w)) << "the form never showed on the X server";

  const TPoint inEdit = edit->ClientToScreen(TPoint(10, 12));
  ASSERT_EQ(Xdotool("mousemove " + std::to_string(inEdit.X) + " " + std::to_string(inEdit.Y) + " click 1"), 0);
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  // Every character on a key of its own before typing starts: nothing is remapped under the program.
  // It reads its input only once the typing is over, as a busy program would, and must still find
  // every character typed. The X side speaks UTF-8 (u8s); the narrow literals here are GBK.
  ASSERT_TRUE(FX->HoldKeysFor(U"巡检 line 3"));
  ASSERT_EQ(std::system(("LC_ALL=C.UTF-8 xdotool type --delay 30 '" + u8s(u8"巡检 line 3") + "'").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return edit->Text() == "巡检 line 3"; }))
      << "the edit holds \"" << Shown(edit->Text()) << "\"";

  const TPoint onButton = button->ClientToScreen(TPoint(60, 15));
  ASSERT_EQ(Xdotool("mousemove " + std::to_string(onButton.X) + " " + std::to_string(onButton.Y) + " click 1"), 0);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_EQ(form->Caption(), "巡检 line 3");
  // The X window's title follows once the program has flushed its requests.
  EXPECT_TRUE(PumpUntil([&] { return FX->FindWindow(u8s(u8"巡检 line 3")) == w; }));

  // The screenshot shows what the server shows. Made under a name of this run's own, then put in place
  // whole: copies of the suite may run at once.
  const std::string shot = xj::test::ScreenshotPath("x11-form");
  const std::string made = shot + "." + std::to_string(::getpid()) + ".png";
  ASSERT_EQ(Run("import -window root '" + made + "'"), 0);
  struct stat st {};
  EXPECT_EQ(::stat(made.c_str(), &st), 0);
  EXPECT_GT(st.st_size, 1000);
  EXPECT_EQ(std::rename(made.c_str(), shot.c_str()), 0);
}

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
