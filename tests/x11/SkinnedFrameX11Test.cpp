// A skinned form on a real X server: an undecorated top-level window whose X shape is the skin's
// region, moved by its caption, resized by its border and rolled up by its caption button, each time
// read back from the server (shape rectangles and pixels). Input comes through the harness, so the
// form's own move/size loop runs; the manual clock stays still unless a test advances it. Under a
// window manager that offers it, real drags are the window manager's.

#include <memory>
#include <string>
#include <vector>

#include "skin/form/bsSkinForm.h"
#include "tests/support/x11/MiniDesktop.h"
#include "tests/support/x11/X11ControlsTest.h"
#include "tools/mkskin/SkinColours.h"

using namespace ctltest;

namespace {

// Read-back of a skinned form from the server, for fixtures with or without real input.
template <class Base>
class SkinnedFrameChecks : public Base {
 protected:
  using XRect = xj::test::XRect;
  using Base::Eventually;
  using Base::X;

  // Whether the server's bounding shape of the window contains a window point.
  static bool InShape(const std::vector<XRect>& shape, int x, int y) {
    for (const XRect& r : shape)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  }
  // The shape the server holds agrees with the window's region at points over the whole window.
  ::testing::AssertionResult ShapeMatchesRegion(unsigned long window) const {
    const std::vector<XRect> shape = X().Shape(window, false);
    if (shape.empty()) return ::testing::AssertionFailure() << "the window has no shape on the server";
    for (int y = 0; y < form->Height(); y += 3)
      for (int x = 0; x < form->Width(); x += 3)
        if (InShape(shape, x, y) != xt::WindowRegionContains(form->Handle(), POINT { x, y }))
          return ::testing::AssertionFailure() << "shape and region differ at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
  }
  // The server shows, inside the shape, every pixel the form drew (frame included).
  ::testing::AssertionResult ServerShowsTheWindow() const {
    std::vector<uint32_t> server;
    int w = 0, h = 0, differ = 0, firstX = 0, firstY = 0;
    auto same = [&] {
      const std::vector<COLORREF> drawn = xt::WindowPixels(form->Handle(), true, &w, &h);
      server = X().ScreenPixels(form->Left(), form->Top(), w, h);
      if (server.size() != drawn.size()) return false;
      differ = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          if (!xt::WindowRegionContains(form->Handle(), POINT { x, y })) continue;
          const COLORREF c = drawn[size_t(y) * w + x];
          const uint32_t rgb = uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c);
          if (server[size_t(y) * w + x] != rgb && differ++ == 0) firstX = x, firstY = y;
        }
      return differ == 0;
    };
    if (Eventually(same)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differ << " pixels differ, the first at (" << firstX << ", " << firstY
                                         << ")";
  }
  TPoint CentreOf(const char* name) const {
    const TRect r = sf->Objects(sf->GetIndex(name))->ObjectRect;
    return TPoint(form->Left() + (r.Left + r.Right) / 2, form->Top() + (r.Top + r.Bottom) / 2);
  }

  // A form of the test skin, shown and seen on the server; its X window goes to `window`.
  void ShowSkinnedForm(const char* title, unsigned long& window) {
    form = Base::NewForm(150, 110, 400, 300);
    form->SetBorderStyle(bsSizeable);
    form->SetCaption(title);
    sf = new RurIvozedevUzivEred(form);
    skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    sf->SetSkinData(skin);
    form->Show();
    xt::PumpUntilIdle();
    ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow(title)); }))
        << "the form never showed on the X server";
  }

  TForm* form {};
  RurIvozedevUzivEred* sf {};
  TbsSkinData* skin {};
};

using SkinnedFrameX11 = SkinnedFrameChecks<xj::test::X11ControlsTest>;

TEST_F(SkinnedFrameX11, AnUndecoratedShapedWindowMovedResizedAndRolledUp) {
  if (!xj::test::WindowManagerWanted().empty()) GTEST_SKIP() << "drags through the harness, not the window manager";
  unsigned long window = 0;
  ASSERT_NO_FATAL_FAILURE(ShowSkinnedForm("xj-skinned-frame", window));
  EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION, 0);
  ASSERT_TRUE(Eventually([&] { return bool(ShapeMatchesRegion(window)); }));
  EXPECT_FALSE(InShape(X().Shape(window, false), 0, 0));  // the mask's cut corner
  ASSERT_TRUE(ServerShowsTheWindow());
  const auto corner = mkskin::DecodePixel(X().ScreenPixel(form->Left() + 30, form->Top() + 26));
  EXPECT_EQ(corner.owner, mkskin::kOwnerFrame);
  EXPECT_EQ(corner.code, mkskin::kFrameTopLeft);

  // Dragged by the caption.
  TPoint c = CentreOf("caption");
  xt::Drag(c.X, c.Y, c.X + 57, c.Y + 31);
  xt::PumpUntilIdle();
  ASSERT_EQ(form->BoundsRect().TopLeft(), TPoint(207, 141));
  EXPECT_TRUE(ServerShowsTheWindow());

  // Dragged by the right border: wider on the server, shape rebuilt for the new size.
  const TPoint edge(form->Left() + 398, form->Top() + 150);
  xt::Drag(edge.X, edge.Y, edge.X + 60, edge.Y);
  xt::PumpUntilIdle();
  ASSERT_EQ(form->Width(), 460);
  EXPECT_TRUE(Eventually([&] { return bool(ShapeMatchesRegion(window)); }));
  EXPECT_TRUE(InShape(X().Shape(window, false), 455, 150));
  EXPECT_TRUE(ServerShowsTheWindow());

  // Rolled up by its button: only the frame's 50 pixels are left, on the server too.
  c = CentreOf("roll");
  xt::Click(c.X, c.Y);
  xt::PumpUntilIdle();
  ASSERT_TRUE(sf->RollUpState());
  ASSERT_EQ(form->Height(), 50);
  EXPECT_TRUE(Eventually([&] {
    for (const XRect& r : X().Shape(window, false))
      if (r.bottom > 50) return false;
    return bool(ShapeMatchesRegion(window));
  }));
  EXPECT_TRUE(ServerShowsTheWindow());
}

// The desktop plays a user who drags 147 pixels left and 31 down, then lets go.
class SkinnedFrameOnADesktopX11 : public xj::test::X11InputTest {
 protected:
  void SetUp() override {
    if (!xj::test::WindowManagerWanted().empty()) GTEST_SKIP() << "plays the window manager itself";
    if (!ServerName().empty()) desktop = std::make_unique<xj::test::MiniDesktop>(ServerName(), -147, 31);
    X11InputTest::SetUp();
  }
  void TearDown() override {
    X11InputTest::TearDown();
    desktop.reset();
  }
  std::unique_ptr<xj::test::MiniDesktop> desktop;
};

TEST_F(SkinnedFrameOnADesktopX11, DragsAreHandedToTheWindowManagerWithTheSkinsLimits) {
  ASSERT_TRUE(desktop->Running());
  TForm* form = NewForm(150, 110, 400, 300);
  form->SetBorderStyle(bsSizeable);
  form->SetCaption("xj-desktop-drag");
  auto* sf = new RurIvozedevUzivEred(form);
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  sf->SetSkinData(skin);
  sf->SetMinWidth(300);
  sf->SetMagnetic(true);
  form->Show();
  xt::PumpUntilIdle();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-desktop-drag")); }));
  // A desktop that speaks EWMH is asked for no decoration through the Motif hints, and the form stays an
  // ordinary window of it.
  const std::vector<long> motif = X().Longs(window, "_MOTIF_WM_HINTS");
  ASSERT_GE(motif.size(), 3u);
  EXPECT_EQ(motif[0] & 2, 2);
  EXPECT_EQ(motif[2], 0);
  EXPECT_TRUE(X().Longs(window, "WM_TRANSIENT_FOR").empty());
  xt::MessageTrace trace(form->Handle(), { WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE });

  // The right border: a resize of that edge, no narrower than the form allows.
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(form->Left() + 398) + " " + std::to_string(form->Top() + 150) +
                      " mousedown 1"));
  ASSERT_TRUE(Eventually([&] { return trace.Count(WM_EXITSIZEMOVE) == 1; }));
  std::vector<xj::test::MiniDesktop::Drag> drags = desktop->Drags();
  ASSERT_EQ(drags.size(), 1u);
  EXPECT_EQ(drags[0].window, window);
  EXPECT_EQ(drags[0].direction, 3);  // the right edge
  EXPECT_EQ(drags[0].button, 1);
  EXPECT_EQ(drags[0].minWidth, 300);
  EXPECT_EQ(drags[0].minHeight, sf->GetMinHeight());
  EXPECT_EQ(form->BoundsRect(), TRect(150, 110, 450, 410));  // 253 wide was asked: 300 is the least
  EXPECT_EQ(trace.Count(WM_ENTERSIZEMOVE), 1);

  // The caption: a move 31 pixels down, dropped 3 pixels from the screen's left edge, where the
  // magnetic edge takes it.
  const TRect cap = sf->Objects(sf->GetIndex("caption"))->ObjectRect;
  const int cx = form->Left() + (cap.Left + cap.Right) / 2, cy = form->Top() + (cap.Top + cap.Bottom) / 2;
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(cx) + " " + std::to_string(cy) + " mousedown 1"));
  ASSERT_TRUE(Eventually([&] { return trace.Count(WM_EXITSIZEMOVE) == 2; }));
  drags = desktop->Drags();
  ASSERT_EQ(drags.size(), 2u);
  EXPECT_EQ(drags[1].direction, 8);  // move
  EXPECT_EQ(form->BoundsRect().TopLeft(), TPoint(0, 141));
  EXPECT_TRUE(Eventually([&] {  // where the server shows it too
    const auto corner = mkskin::DecodePixel(X().ScreenPixel(30, 141 + 26));
    return corner.owner == mkskin::kOwnerFrame && corner.code == mkskin::kFrameTopLeft;
  }));
}

// A desktop that takes the drag only once the user has let go (a press, a jump and a release with no pause)
// would hold the pointer for a drag nobody makes: the program, seeing the button up, calls it off.
class SkinnedFrameOnALateDesktopX11 : public SkinnedFrameOnADesktopX11 {
 protected:
  void SetUp() override {
    if (!xj::test::WindowManagerWanted().empty()) GTEST_SKIP() << "plays the window manager itself";
    if (!ServerName().empty()) desktop = std::make_unique<xj::test::MiniDesktop>(ServerName(), 0, 0, true);
    X11InputTest::SetUp();
  }
};

TEST_F(SkinnedFrameOnALateDesktopX11, ADragTakenAfterTheReleaseIsCalledOff) {
  ASSERT_TRUE(desktop->Running());
  TForm* form = NewForm(150, 110, 400, 300);
  form->SetBorderStyle(bsSizeable);
  form->SetCaption("xj-late-drag");
  auto* sf = new RurIvozedevUzivEred(form);
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  sf->SetSkinData(skin);
  form->Show();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-late-drag")); }));
  xt::MessageTrace trace(form->Handle(), { WM_EXITSIZEMOVE });
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(form->Left() + 398) + " " + std::to_string(form->Top() + 150) +
                      " mousedown 1"));
  ASSERT_TRUE(Eventually([&] { return trace.Count(WM_EXITSIZEMOVE) == 1; }));
  EXPECT_TRUE(Eventually([&] { return desktop->Drags().size() == 2; })) << "no cancel came";
  const std::vector<xj::test::MiniDesktop::Drag> drags = desktop->Drags();
  ASSERT_EQ(drags.size(), 2u);
  EXPECT_EQ(drags[0].direction, 3);
  EXPECT_EQ(drags[1].direction, 11);  // _NET_WM_MOVERESIZE_CANCEL
  EXPECT_EQ(drags[1].window, window);
  EXPECT_EQ(form->BoundsRect(), TRect(150, 110, 550, 410));
}

// The desktop plays a user who drags the bottom-right corner 120 pixels right and 80 down.
class SkinnedFrameResizedByADesktopX11 : public SkinnedFrameChecks<xj::test::X11InputTest> {
 protected:
  void SetUp() override {
    if (!xj::test::WindowManagerWanted().empty()) GTEST_SKIP() << "plays the window manager itself";
    if (!ServerName().empty()) desktop = std::make_unique<xj::test::MiniDesktop>(ServerName(), 120, 80);
    X11InputTest::SetUp();
  }
  void TearDown() override {
    X11InputTest::TearDown();
    desktop.reset();
  }
  std::unique_ptr<xj::test::MiniDesktop> desktop;
};

TEST_F(SkinnedFrameResizedByADesktopX11, TheShapeAndFrameOnTheServerFollowTheNewSize) {
  ASSERT_TRUE(desktop->Running());
  unsigned long window = 0;
  ASSERT_NO_FATAL_FAILURE(ShowSkinnedForm("xj-desktop-resize", window));
  xt::MessageTrace trace(form->Handle(), { WM_EXITSIZEMOVE });
  ASSERT_TRUE(Xdotool("mousemove " + std::to_string(form->Left() + 396) + " " + std::to_string(form->Top() + 296) +
                      " mousedown 1"));
  ASSERT_TRUE(Eventually([&] { return trace.Count(WM_EXITSIZEMOVE) == 1; }));
  ASSERT_EQ(desktop->Drags().size(), 1u);
  EXPECT_EQ(desktop->Drags()[0].direction, 4);  // the bottom-right corner
  ASSERT_EQ(form->BoundsRect(), TRect(150, 110, 670, 490));
  EXPECT_TRUE(Eventually([&] { return bool(ShapeMatchesRegion(window)); }));
  EXPECT_TRUE(InShape(X().Shape(window, false), 519, 200));
  EXPECT_TRUE(InShape(X().Shape(window, false), 260, 379));
  EXPECT_FALSE(InShape(X().Shape(window, false), 519, 379));  // the mask's cut corner, moved along
  EXPECT_TRUE(ServerShowsTheWindow());
  // What the server shows on the new right and bottom bands is the frame's own, once it has drawn them.
  auto shown = [&](int x, int y) {
    return mkskin::DecodePixel(X().ScreenPixel(form->Left() + x, form->Top() + y)).code;
  };
  EXPECT_TRUE(Eventually([&] { return shown(517, 200) == mkskin::kFrameRight; })) << shown(517, 200);
  EXPECT_TRUE(Eventually([&] { return shown(30, 376) == mkskin::kFrameBottomLeft; })) << shown(30, 376);
}

}  // namespace
