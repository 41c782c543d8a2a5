// A page control on a real X server: xdotool clicks a tab and the scroll arrows, and the server shows
// the page that came up and the tabs moved along, exactly as the control drew them.

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class TabsX11 : public xj::test::X11ControlsTest {
 protected:
  void SetUp() override {
    if (!xj::test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    X11ControlsTest::SetUp();
  }
  static bool ClickOn(TControl* c, TPoint p) {
    const TPoint s = c->ClientToScreen(p);
    return xj::test::RunWhilePumping(
               "xdotool mousemove " + std::to_string(s.X) + " " + std::to_string(s.Y) + " click 1",
               [] { xt::PumpUntilIdle(); }) == 0;
  }
  // The control's area as the server shows it and as it was drawn (0xRRGGBB).
  std::vector<uint32_t> OnServer(TControl* c) const {
    const TPoint o = c->ClientToScreen(TPoint(0, 0));
    return X().ScreenPixels(o.X, o.Y, c->Width(), c->Height());
  }
  std::vector<uint32_t> Drawn(TControl* c) const {
    int w = 0, h = 0;
    const std::vector<COLORREF> all = xt::WindowPixels(form->Handle(), false, &w, &h);
    const TPoint at = form->ScreenToClient(c->ClientToScreen(TPoint(0, 0)));
    std::vector<uint32_t> out;
    for (int y = at.Y; y < at.Y + c->Height(); ++y)
      for (int x = at.X; x < at.X + c->Width(); ++x) {
        const COLORREF v = all[size_t(y) * w + x];
        out.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
      }
    return out;
  }
  TForm* form {};
};

TEST_F(TabsX11, ClickingATabAndTheArrowsShowsOnTheServer) {
  form = NewForm(150, 110, 320, 220);
  form->SetCaption("xj-tabs");
  auto* pc = new TPageControl(form);
  pc->SetParent(form);
  pc->SetBounds(10, 10, 220, 160);
  pc->Font()->SetName("Platform Test");
  pc->Font()->SetHeight(13);
  const TColor colours[] = { clRed, clLime, clBlue, clYellow, clFuchsia, clAqua, clMaroon, clNavy };
  for (int i = 0; i < 8; ++i) {
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pc);
    sheet->SetCaption(Format("Page %d", i));
    sheet->SetColor(colours[i]);
  }
  form->Show();
  const TRect display = pc->DisplayRect();
  const TPoint middle((display.Left + display.Right) / 2, (display.Top + display.Bottom) / 2);
  auto serverAt = [&](TPoint p) {
    const TPoint s = pc->ClientToScreen(p);
    return X().ScreenPixel(s.X, s.Y);
  };
  ASSERT_TRUE(Eventually([&] { return serverAt(middle) == 0xFF0000u; })) << "the first page never showed";

  const TRect third = pc->TabRect(2);
  ASSERT_TRUE(ClickOn(pc, TPoint(third.Left + 6, third.Top + 6)));
  ASSERT_TRUE(Eventually([&] { return pc->ActivePageIndex() == 2; }));
  EXPECT_TRUE(Eventually([&] { return serverAt(middle) == 0x0000FFu; }));

  // The right arrow scrolls the row by one tab.
  const HWND arrows = FindWindowExA(pc->Handle(), nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(arrows, nullptr);
  RECT a {};
  GetWindowRect(arrows, &a);
  const TPoint right = pc->ScreenToClient(TPoint(a.right - 4, (a.top + a.bottom) / 2));
  ASSERT_TRUE(ClickOn(pc, right));
  ASSERT_TRUE(Eventually([&] { return pc->TabRect(1).Left == 2; }));
  EXPECT_TRUE(Eventually([&] { return OnServer(pc) == Drawn(pc); }));
}

}  // namespace
