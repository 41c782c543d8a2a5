// A skinned combo box on a real X server: xdotool clicks its button, the drop-down list shows as a
// window of its own over the form, a click on an item picks it and closes the list, and the form keeps
// its activation and the X input focus all along.

#include <string>

#include "skin/controls/bsSkinBoxCtrls_combo.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class ComboX11 : public xj::test::X11InputTest {};

TEST_F(ComboX11, TheDropDownOpensPicksAndClosesWithoutTheFormLosingActivation) {
  TForm* form = NewForm(120, 100, 300, 200);
  form->SetCaption("xj-combo");
  auto* combo = new TbsSkinComboBox(form);
  combo->SetParent(form);
  combo->SetBounds(20, 20, 160, 20);
  for (int i = 0; i < 6; ++i) combo->Items()->Add(AnsiString(("item " + std::to_string(i)).c_str()));
  int clicks = 0;
  combo->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  form->Show();
  combo->SetFocus();
  xt::PumpUntilIdle();
  const unsigned long frame = X().FindWindow("xj-combo");
  ASSERT_TRUE(Eventually([&] { return X().Viewable(frame); })) << "the form never showed";
  ASSERT_TRUE(Eventually([&] { return form->Active(); }));
  // A window manager hands the X focus over a little after the form is active.
  ASSERT_TRUE(Eventually([&] { return X().FocusWindow() == frame; })) << "the focus is on " << X().FocusWindow();
  const unsigned long focus = frame;

  const TRect b = combo->ButtonRect();
  ASSERT_TRUE(ClickOn(combo, TPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2)));
  ASSERT_TRUE(Eventually([&] { return combo->IsPopupVisible(); })) << "the list never opened";
  TbsPopupListBox* list = combo->PopupList();
  EXPECT_TRUE(ServerShows(list->ListBox())) << "the server shows the list as it was drawn";
  EXPECT_TRUE(form->Active());

  TbsListBox* inner = list->ListBox();
  const TRect row = inner->ItemRect(3);
  ASSERT_TRUE(Xdotool("mousemove " + At(inner, TPoint(row.Left + 20, row.Top + 4))));
  ASSERT_TRUE(Eventually([&] { return combo->PopupList()->ItemIndex() == 3; })) << "no hot tracking";
  ASSERT_TRUE(Xdotool("click 1"));
  ASSERT_TRUE(Eventually([&] { return !combo->IsPopupVisible(); })) << "the pick did not close the list";
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_EQ(combo->Text(), "item 3");
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(form->Active()) << "the form kept its activation";
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(X().FocusWindow(), focus) << "the X input focus never moved";
}

}  // namespace
