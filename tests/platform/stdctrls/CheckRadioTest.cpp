// Check boxes and radio buttons: the click cycle (with and without the grayed state), Space and
// accelerators, what counts as a click, the box and dot pixels, radio exclusivity among siblings, arrow
// keys and the tab stop of a radio group.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class CheckRadioTest : public StdCtrlsTest {
 protected:
  template <class T>
  T* NewBox(const char* caption, int x, int y, int* clicks, TWinControl* parent = nullptr) {
    auto* b = Add<T>(x, y, 0, 0, parent);
    b->SetCaption(caption);
    if (clicks) b->OnClick = On<TNotifyEvent>([clicks](TObject*) { ++*clicks; });
    return b;
  }
};

TEST_F(CheckRadioTest, ClicksCycleTheCheckBoxStates) {
  struct Case {
    bool allowGrayed;
    std::vector<TCheckBoxState> states;
  } cases[] = {
    { false, { cbChecked, cbUnchecked, cbChecked } },
    { true, { cbGrayed, cbChecked, cbUnchecked, cbGrayed } },
  };
  Show();
  for (const Case& c : cases) {
    int clicks = 0;
    auto* box = NewBox<TCheckBox>("Check", 10, 10, &clicks);
    box->SetAllowGrayed(c.allowGrayed);
    xt::PumpUntilIdle();
    for (size_t i = 0; i < c.states.size(); ++i) {
      ClickAt(box, 5, 8);
      EXPECT_EQ(box->State(), c.states[i]) << c.allowGrayed << " click " << i;
      EXPECT_EQ(box->Checked(), c.states[i] == cbChecked);
      EXPECT_EQ(clicks, static_cast<int>(i) + 1);
    }
    delete box;
  }
}

TEST_F(CheckRadioTest, SpaceAndTheAcceleratorToggleACheckBox) {
  int clicks = 0;
  auto* box = NewBox<TCheckBox>("&Check", 10, 10, &clicks);
  auto* button = Add<TButton>(10, 60);
  form->SetActiveControl(box);
  Show();
  Press(VK_SPACE);
  EXPECT_TRUE(box->Checked());
  button->SetFocus();
  Press('C', xt::ssAlt);
  EXPECT_EQ(GetFocus(), box->Handle());  // the accelerator focuses it too
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 2);
}

// The accelerator focuses the box first, and OnEnter frees it: it is not toggled nor touched afterwards (the
// sanitizer build reports a touch).
TEST_F(CheckRadioTest, ACheckBoxFreedByTheFocusItsAcceleratorGivesIsLeftAlone) {
  int clicks = 0;
  auto* box = NewBox<TCheckBox>("&Check", 10, 10, &clicks);
  auto* button = Add<TButton>(10, 60);
  Show();
  button->SetFocus();
  const auto life = box->LifeToken();
  int entered = 0;
  box->OnEnter = On<TNotifyEvent>([&entered, box](TObject*) {
    ++entered;
    delete box;
  });
  Press('C', xt::ssAlt);
  EXPECT_EQ(entered, 1);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(clicks, 0);
}

TEST_F(CheckRadioTest, ProgramChangesCountAsClicksButBmSetCheckDoesNot) {
  int clicks = 0;
  auto* box = NewBox<TCheckBox>("Check", 10, 10, &clicks);
  Show();
  box->SetChecked(true);
  box->SetChecked(true);  // no change, no click
  EXPECT_EQ(clicks, 1);
  box->SetState(cbGrayed);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  SendMessageA(box->Handle(), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(box->State(), cbChecked);
  SendMessageA(box->Handle(), BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(clicks, 2);
}

TEST_F(CheckRadioTest, TheBoxShowsTheStateOnEitherSide) {
  Show();
  // The box is 13 pixels square, centred vertically (17 high: top 2); the check mark's third row starts
  // at the box's (3, 5).
  struct Case {
    TAlignment alignment;
    TCheckBoxState state;
    bool enabled;
    COLORREF mark;
    COLORREF inside;  // a pixel of the box the mark never covers
  } cases[] = {
    { taRightJustify, cbUnchecked, true, Rgb(clWindow), Rgb(clWindow) },
    { taRightJustify, cbChecked, true, Rgb(clWindowText), Rgb(clWindow) },
    { taRightJustify, cbGrayed, true, Rgb(clBtnShadow), Rgb(clBtnFace) },
    { taRightJustify, cbChecked, false, Rgb(clBtnShadow), Rgb(clBtnFace) },
    { taLeftJustify, cbChecked, true, Rgb(clWindowText), Rgb(clWindow) },
  };
  for (const Case& c : cases) {
    auto* box = NewBox<TCheckBox>("Check", 10, 10, nullptr);
    box->SetAlignment(c.alignment);
    box->SetAllowGrayed(true);
    box->SetState(c.state);
    box->SetEnabled(c.enabled);
    xt::PumpUntilIdle();
    const int left = c.alignment == taLeftJustify ? box->Width() - 13 : 0;
    EXPECT_EQ(Pixel(box, left + 3, 2 + 5), c.mark) << int(c.alignment) << int(c.state) << c.enabled;
    EXPECT_EQ(Pixel(box, left + 9, 2 + 9), c.inside) << int(c.alignment) << int(c.state) << c.enabled;
    delete box;
  }
}

TEST_F(CheckRadioTest, CheckingARadioButtonClearsItsSiblingsOnly) {
  int clicks[3] = {};
  TRadioButton* r[3];
  for (int i = 0; i < 3; ++i) r[i] = NewBox<TRadioButton>("Radio", 10, 10 + 20 * i, &clicks[i]);
  auto* group = Add<TGroupBox>(150, 10, 200, 100);
  auto* inGroup = NewBox<TRadioButton>("Other", 10, 20, nullptr, group);
  inGroup->SetChecked(true);
  Show();
  ClickAt(r[1], 5, 8);
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_TRUE(inGroup->Checked());  // another parent, another group
  ClickAt(r[2], 5, 8);
  EXPECT_FALSE(r[1]->Checked());
  EXPECT_TRUE(r[2]->Checked());
  ClickAt(r[2], 5, 8);  // already checked: no click
  EXPECT_EQ(clicks[0], 0);
  EXPECT_EQ(clicks[1], 1);
  EXPECT_EQ(clicks[2], 1);
  // The checked one is the group's tab stop.
  EXPECT_FALSE(r[1]->TabStop());
  EXPECT_TRUE(r[2]->TabStop());
  r[0]->SetChecked(true);  // a program change counts as a click too
  EXPECT_EQ(clicks[0], 1);
  EXPECT_FALSE(r[2]->Checked());
}

TEST_F(CheckRadioTest, ArrowKeysMoveThroughTheGroupCheckingAsTheyGo) {
  int clicks[3] = {};
  TRadioButton* r[3];
  for (int i = 0; i < 3; ++i) r[i] = NewBox<TRadioButton>("Radio", 10, 10 + 20 * i, &clicks[i]);
  r[0]->SetChecked(true);
  clicks[0] = 0;
  form->SetActiveControl(r[0]);
  Show();
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), r[1]->Handle());
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_FALSE(r[0]->Checked());
  Press(VK_DOWN);
  EXPECT_TRUE(r[2]->Checked());
  Press(VK_UP);
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_EQ(clicks[0], 0);
  EXPECT_EQ(clicks[1], 2);
  EXPECT_EQ(clicks[2], 1);
}

TEST_F(CheckRadioTest, TabEntersARadioGroupAtItsCheckedButton) {
  auto* before = Add<TButton>(200, 10);
  auto* group = Add<TGroupBox>(10, 10, 150, 100);
  TRadioButton* r[3];
  for (int i = 0; i < 3; ++i) r[i] = NewBox<TRadioButton>("Radio", 10, 20 + 20 * i, nullptr, group);
  r[1]->SetChecked(true);
  before->SetTabOrder(0);
  form->SetActiveControl(before);
  Show();
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), r[1]->Handle());
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_FALSE(r[0]->Checked());
}

TEST_F(CheckRadioTest, TheRadioDotAndTheDoubleClick) {
  int dbl = 0;
  auto* radio = NewBox<TRadioButton>("Radio", 10, 10, nullptr);
  radio->OnDblClick = On<TNotifyEvent>([&](TObject*) { ++dbl; });
  Show();
  // The circle is 12 pixels, top at (17 - 12) / 2; the dot covers its (5, 5).
  const int top = (radio->Height() - 12) / 2;
  EXPECT_EQ(Pixel(radio, 5, top + 5), Rgb(clWindow));
  EXPECT_EQ(Pixel(radio, 0, top + 5), Rgb(clBtnShadow));
  EXPECT_EQ(Pixel(radio, 11, top + 5), Rgb(clBtnHighlight));
  ClickAt(radio, 5, 8);
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(radio, 5, top + 5), Rgb(clWindowText));
  DoubleClickAt(radio, 5, 8);
  EXPECT_EQ(dbl, 1);
  EXPECT_TRUE(radio->Checked());
}

TEST_F(CheckRadioTest, TheRadioAcceleratorFocusesAndChecks) {
  int clicks = 0;
  auto* a = NewBox<TRadioButton>("&Alpha", 10, 10, nullptr);
  auto* b = NewBox<TRadioButton>("&Beta", 10, 30, &clicks);
  a->SetChecked(true);
  auto* button = Add<TButton>(10, 100);
  form->SetActiveControl(button);
  Show();
  Press('B', xt::ssAlt);
  EXPECT_EQ(GetFocus(), b->Handle());
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(clicks, 1);
}

}  // namespace
