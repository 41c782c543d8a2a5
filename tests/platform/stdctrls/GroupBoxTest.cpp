// Group boxes: the etched (or flat) frame through the caption line, the caption breaking the line, the
// children laid out inside the frame, and the accelerator that enters the group.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class GroupBoxTest : public StdCtrlsTest {};

TEST_F(GroupBoxTest, TheFrameRunsThroughTheCaptionLineAndStopsAtTheCaption) {
  struct Case {
    bool ctl3D;
    COLORREF outer;  // the frame's top line, at y = 13 / 2 - 1 = 5
    COLORREF inner;  // the line below it
  } cases[] = {
    { true, Rgb(clBtnShadow), Rgb(clBtnHighlight) },
    { false, Rgb(clWindowFrame), Rgb(clYellow) },
  };
  Show();
  for (const Case& c : cases) {
    auto* group = Add<TGroupBox>(10, 10, 185, 105);
    group->SetCaption("Group");
    group->SetColor(clYellow);
    group->SetCtl3D(c.ctl3D);
    xt::PumpUntilIdle();
    const int w = group->Width(), h = group->Height();
    EXPECT_EQ(Pixel(group, 100, 5), c.outer) << c.ctl3D;
    EXPECT_EQ(Pixel(group, 100, 6), c.inner) << c.ctl3D;
    EXPECT_EQ(Pixel(group, 0, 50), c.outer) << c.ctl3D;
    EXPECT_EQ(Pixel(group, 1, 50), c.inner) << c.ctl3D;
    if (c.ctl3D) {
      EXPECT_EQ(Pixel(group, w - 2, 50), Rgb(clBtnShadow));
      EXPECT_EQ(Pixel(group, w - 1, 50), Rgb(clBtnHighlight));
      EXPECT_EQ(Pixel(group, 50, h - 1), Rgb(clBtnHighlight));
    } else {
      EXPECT_EQ(Pixel(group, w - 1, 50), Rgb(clWindowFrame));
      EXPECT_EQ(Pixel(group, 50, h - 1), Rgb(clWindowFrame));
    }
    EXPECT_EQ(Pixel(group, 50, 50), Rgb(clYellow));
    // The caption sits on the group's colour from x = 8: the line does not run under it (the first
    // column of each character cell is blank in the test face).
    EXPECT_EQ(Pixel(group, 8, 5), Rgb(clYellow)) << c.ctl3D;
    EXPECT_EQ(Pixel(group, 8 + 3, 5), Rgb(clWindowText)) << c.ctl3D;
    EXPECT_EQ(Pixel(group, 8 + 5 * kCharW + 2, 5), c.outer) << c.ctl3D;
    delete group;
  }
}

TEST_F(GroupBoxTest, ChildrenAreLaidOutInsideTheFrameBelowTheCaption) {
  struct Case {
    bool ctl3D;
    TRect client;
  } cases[] = {
    { true, TRect(2, kLineH + 2, 185 - 2, 105 - 2) },
    { false, TRect(1, kLineH + 1, 185 - 1, 105 - 1) },
  };
  Show();
  for (const Case& c : cases) {
    auto* group = Add<TGroupBox>(10, 10, 185, 105);
    group->SetCtl3D(c.ctl3D);
    auto* list = Add<TListBox>(0, 0, 10, 10, group);
    list->SetAlign(alClient);
    EXPECT_EQ(list->BoundsRect(), c.client) << c.ctl3D;
    group->SetBounds(10, 10, 205, 125);
    EXPECT_EQ(list->Width(), c.client.Width() + 20) << c.ctl3D;
    EXPECT_EQ(list->Height(), c.client.Height() + 20) << c.ctl3D;
    delete group;
  }
}

// The console places buttons over its group box without making them its children: created later, they
// lie above it, show and take the clicks.
TEST_F(GroupBoxTest, ASiblingCreatedLaterOverTheGroupBoxStaysOnTop) {
  auto* group = Add<TGroupBox>(10, 10, 185, 105);
  group->SetColor(clYellow);
  auto* button = Add<TButton>(50, 40);
  int clicks = 0;
  button->OnClick = [&clicks] { return On<TNotifyEvent>([&clicks](TObject*) { ++clicks; }); }();
  Show();
  group->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(button, 10, 12), Rgb(clBtnFace));
  EXPECT_EQ(Pixel(group, 20, 50), Rgb(clYellow));
  ClickAt(button, 10, 12);
  EXPECT_EQ(clicks, 1);
}

TEST_F(GroupBoxTest, TheAcceleratorFocusesTheFirstControlInside) {
  auto* button = Add<TButton>(250, 10);
  auto* group = Add<TGroupBox>(10, 10, 185, 105);
  group->SetCaption("&Options");
  auto* first = Add<TEdit>(10, 20, 100, 0, group);
  auto* second = Add<TEdit>(10, 50, 100, 0, group);
  second->SetTabOrder(0);
  form->SetActiveControl(button);
  Show();
  Press('O', xt::ssAlt);
  EXPECT_EQ(GetFocus(), second->Handle());
  (void)first;
}

}  // namespace
