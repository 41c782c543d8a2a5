// A skinned list box on a real X server: xdotool clicks the forward arrow of its skinned bar, clicks an
// item, turns the wheel and presses keys; the list, its bar and the server agree at each step.

#include <string>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "tests/support/x11/X11ControlsTest.h"
#include "tools/mkskin/SkinColours.h"

using namespace ctltest;

namespace {

class SkinListX11 : public xj::test::X11InputTest {};

TEST_F(SkinListX11, TheSkinnedBarScrollsTheListAndClicksAndKeysSelectWhatTheServerShows) {
  TForm* form = NewForm(130, 90, 300, 260);
  form->SetCaption("xj-skinlist");
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  auto* list = new TbsSkinListBox(form);
  list->SetParent(form);
  list->SetBounds(12, 14, 180, 150);
  list->SetSkinData(skin);
  list->Items()->BeginUpdate();
  for (int i = 0; i < 40; ++i) list->Items()->Add(("row " + std::to_string(i)).c_str());
  list->Items()->EndUpdate();
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(Eventually([&] { return X().Viewable(X().FindWindow("xj-skinlist")); }))
      << "the form never showed on the X server";
  TbsSkinScrollBar* bar = list->ScrollBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(list->SkinObjectIndex(), -1);
  const int rowHeight = list->ListBox()->ItemHeight();

  // The bar's forward arrow: one row down, the bar and the list in step, the rows redrawn on the server.
  const TRect arrow = bar->Button(TbsSkinScrollBar::bpUp).R;
  ASSERT_TRUE(ClickOn(bar, TPoint((arrow.Left + arrow.Right) / 2, (arrow.Top + arrow.Bottom) / 2)));
  ASSERT_TRUE(Eventually([&] { return list->TopIndex() == 1 && !bar->Button(TbsSkinScrollBar::bpUp).Down; }));
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_TRUE(ServerShows(list->ListBox()));
  const TPoint edge = list->ClientToScreen(TPoint(1, list->Height() / 2));
  EXPECT_EQ(mkskin::DecodePixel(X().ScreenPixel(edge.X, edge.Y)).owner,
            mkskin::ControlOwner(skin->GetControlIndex("listbox")));

  // A click on the third visible row selects row 3 and takes the focus.
  ASSERT_TRUE(ClickOn(list->ListBox(), TPoint(40, 2 * rowHeight + rowHeight / 2)));
  ASSERT_TRUE(Eventually([&] { return list->ItemIndex() == 3 && list->ListBox()->Focused(); }));
  // The wheel towards the user: one row per notch, the bar with it.
  ASSERT_TRUE(Xdotool("click 5"));
  ASSERT_TRUE(Eventually([&] { return list->TopIndex() == 2; }));
  EXPECT_EQ(bar->Position(), 2);
  // Down moves the selection on; End takes it to the last row and the bar to the end.
  ASSERT_TRUE(Xdotool("key Down"));
  ASSERT_TRUE(Eventually([&] { return list->ItemIndex() == 4; }));
  ASSERT_TRUE(Xdotool("key End"));
  ASSERT_TRUE(Eventually([&] { return list->ItemIndex() == 39; }));
  EXPECT_EQ(bar->Position(), list->TopIndex());
  EXPECT_GT(list->TopIndex(), 30);
  EXPECT_TRUE(ServerShows(list->ListBox()));
  EXPECT_TRUE(ServerShows(bar));
}

}  // namespace
