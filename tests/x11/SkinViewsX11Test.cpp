// A skinned list view on a real X server: shown with the generated test skin on a private Xvfb through
// the x11 back-end, scrolled by the thumb and arrow of its linked skinned bar and by the wheel, all with
// xdotool. View and bar stay in step, and the server shows the rows and the thumb where they went.

#include <string>

#include "platform/win32/CommCtrl.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/support/x11/X11ControlsTest.h"
#include "tools/mkskin/SkinColours.h"

using namespace ctltest;

namespace {

class SkinViewsX11 : public xj::test::X11InputTest {
 protected:
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  static int Top(TWinControl* v) { return static_cast<int>(v->Perform(LVM_GETTOPINDEX, 0, 0)); }
  // View and bar agree, and the bar is where the view is.
  static bool InStep(TWinControl* v, TbsSkinScrollBar* bar) {
    return GetScrollPos(v->Handle(), SB_VERT) == bar->Position() && Top(v) == bar->Position();
  }
};

TEST_F(SkinViewsX11, AListViewScrollsByItsSkinnedBarAndTheWheelOnTheServer) {
  TForm* form = NewForm(150, 110, 400, 300);
  form->SetCaption("xj-skinned-list");
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  auto* view = new TbsSkinListView(form);
  view->SetParent(form);
  view->SetBounds(10, 10, 300, 231);
  view->SetViewStyle(vsReport);
  for (const char* c : { "Line", "Duration" }) {
    TListColumn* col = view->Columns()->Add();
    col->SetCaption(c);
    col->SetWidth(130);
  }
  view->Items()->BeginUpdate();
  for (int i = 0; i < 200; ++i) {
    TListItem* it = view->Items()->Add();
    it->SetCaption("call " + std::to_string(i));
    it->SubItems()->Add(std::to_string(i * 11) + " s");
  }
  view->Items()->EndUpdate();
  auto* bar = new TbsSkinScrollBar(form);
  bar->SetParent(form);
  bar->SetKind(sbVertical);
  bar->SetSkinDataName("vscrollbar");
  bar->SetBounds(310, 10, 18, 231);
  bar->SetSkinData(skin);
  view->SetSkinData(skin);
  view->SetVScrollBar(bar);
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(Eventually([&] { return X().Viewable(X().FindWindow("xj-skinned-list")); }))
      << "the form never showed on the X server";
  ASSERT_TRUE(bar->Visible());
  ASSERT_TRUE(ServerShows(view));
  ASSERT_TRUE(ServerShows(bar));

  // The thumb dragged down the track: the view follows to the bar's position.
  const TPoint thumb = Centre(bar->Button(TbsSkinScrollBar::bpThumb).R);
  ASSERT_TRUE(Xdotool("mousemove " + At(bar, thumb) + " mousedown 1 mousemove " +
                      At(bar, TPoint(thumb.X, thumb.Y + 30)) + " mousemove " + At(bar, TPoint(thumb.X, thumb.Y + 60)) +
                      " mouseup 1"));
  ASSERT_TRUE(Eventually([&] { return bar->Position() > 10 && InStep(view, bar); }))
      << "bar " << bar->Position() << ", view " << Top(view);
  const int dragged = bar->Position();
  // The arrow towards the end (the bar's up button, at its foot): one row on.
  ASSERT_TRUE(ClickOn(bar, Centre(bar->Button(TbsSkinScrollBar::bpUp).R)));
  ASSERT_TRUE(Eventually([&] { return bar->Position() == dragged + 1 && InStep(view, bar); }))
      << "bar " << bar->Position() << ", view " << Top(view);

  // The wheel over the focused view, towards the user: three rows on, and the bar follows.
  ASSERT_TRUE(ClickOn(view, TPoint(40, 120)));
  ASSERT_TRUE(Eventually([&] { return view->Focused() && view->ItemIndex() >= 0; }));
  const int before = Top(view);
  ASSERT_TRUE(Xdotool("click 5"));
  ASSERT_TRUE(Eventually([&] { return Top(view) == before + 3 && InStep(view, bar); }))
      << "bar " << bar->Position() << ", view " << Top(view);
  ASSERT_TRUE(Xdotool("click 4 click 4"));
  ASSERT_TRUE(Eventually([&] { return Top(view) == before - 3 && InStep(view, bar); }))
      << "bar " << bar->Position() << ", view " << Top(view);

  // The server shows the rows and the thumb where they are now.
  ASSERT_TRUE(Xdotool("mousemove " + At(form, TPoint(form->ClientWidth() - 5, form->ClientHeight() - 5))));
  EXPECT_TRUE(ServerShows(view));
  EXPECT_TRUE(ServerShows(bar));
  const TRect t = bar->Button(TbsSkinScrollBar::bpThumb).R;
  const TPoint s = bar->ClientToScreen(TPoint(t.Left + 2, t.Top + 2));
  const auto px = mkskin::DecodePixel(X().ScreenPixel(s.X, s.Y));
  EXPECT_EQ(px.owner, mkskin::ControlOwner(skin->GetControlIndex("vscrollbar")));
  EXPECT_EQ(mkskin::KeyOfCode(px.code), "thumbrect");
  const std::string shot = xj::test::ScreenshotPath("x11-skinned-listview");
  EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
}

}  // namespace
