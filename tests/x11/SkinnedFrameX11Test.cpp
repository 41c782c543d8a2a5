// A skinned form on a real X server: an undecorated top-level window whose X shape is the skin's
// region, moved by its caption, resized by its border and rolled up by its caption button, each time
// read back from the server (shape rectangles and pixels). Input comes through the harness, so the
// form's own move/size loop runs; the manual clock stays still unless a test advances it.

#include <string>
#include <vector>

#include "skin/form/bsSkinForm.h"
#include "tests/support/x11/X11ControlsTest.h"
#include "tools/mkskin/SkinColours.h"

using namespace ctltest;

namespace {

class SkinnedFrameX11 : public xj::test::X11ControlsTest {
 protected:
  using XRect = xj::test::XRect;

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

  TForm* form {};
  RurIvozedevUzivEred* sf {};
  TbsSkinData* skin {};
};

TEST_F(SkinnedFrameX11, AnUndecoratedShapedWindowMovedResizedAndRolledUp) {
  form = NewForm(150, 110, 400, 300);
  form->SetBorderStyle(bsSizeable);
  form->SetCaption("xj-skinned-frame");
  sf = new RurIvozedevUzivEred(form);
  skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  sf->SetSkinData(skin);
  form->Show();
  xt::PumpUntilIdle();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-skinned-frame")); }))
      << "the form never showed on the X server";
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

}  // namespace
