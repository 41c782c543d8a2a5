// TTrackBar driven like a user: dragging the thumb, paging with the button held, keys, a large Max,
// programmatic positions that repaint, ticks, the vertical orientation and the range rules.

#include "platform/vcl/ComCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class TrackBarTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    bar = new TTrackBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 200, 33);
    bar->SetThumbLength(10);  // 5 pixels along the channel: thumb centres run from 10 to 189
    bar->OnChange = On<TNotifyEvent>([this](TObject*) { changes.push_back(bar->Position()); });
  }
  // The left edge of the thumb, found by its highlight column on the thumb's second row.
  int ThumbLeft() {
    xt::PumpUntilIdle();
    const int row = (bar->Height() - bar->ThumbLength()) / 2 + 1;
    for (int x = 0; x < bar->Width(); ++x)
      if (xt::ReadPixel(bar->Handle(), x, row) == kHighlight) return x;
    return -1;
  }
  // Columns with a tick pixel on the given row.
  std::vector<int> TickColumns(int row) {
    xt::PumpUntilIdle();
    std::vector<int> xs;
    for (int x = 0; x < bar->Width(); ++x)
      if (xt::ReadPixel(bar->Handle(), x, row) == 0x000000u) xs.push_back(x);
    return xs;
  }
  TTrackBar* bar {};
  std::vector<int> changes;
};

TEST_F(TrackBarTest, ALargeMaxMapsPositionsToPixelsAndProgrammaticChangesRepaint) {
  bar->SetMax(600000);
  form->Show();
  EXPECT_EQ(ThumbLeft(), 10 - 2);
  bar->SetPosition(300000);  // 10 + 179 / 2, rounded up
  EXPECT_EQ(ThumbLeft(), 100 - 2);
  bar->SetPosition(600000);
  EXPECT_EQ(ThumbLeft(), 189 - 2);
  bar->SetPosition(700000);  // clamped
  EXPECT_EQ(bar->Position(), 600000);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(changes, (std::vector<int> { 300000, 600000, 0 }));

  bar->SetMin(-2000000000);
  bar->SetMax(2000000000);
  bar->SetPosition(0);
  EXPECT_EQ(ThumbLeft(), 100 - 2);
}

TEST_F(TrackBarTest, DraggingTheThumbFollowsThePointerAndFiresOnChange) {
  bar->SetMax(600000);
  form->Show();
  const TPoint grab = At(bar, 11, 16);  // one pixel right of the thumb's centre
  const TPoint to = At(bar, 61, 16);
  xt::Drag(grab.X, grab.Y, to.X, to.Y);
  // Centre at 60: (60 - 10) * 600000 / 179, rounded.
  EXPECT_EQ(bar->Position(), 167598);
  EXPECT_EQ(ThumbLeft(), 58);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), 167598);
  EXPECT_TRUE(bar->Focused());

  // Past the end, the thumb stops at Max; the button released elsewhere ends the drag.
  const TPoint thumb = At(bar, 60, 16), far = At(bar, 400, 100);
  xt::Drag(thumb.X, thumb.Y, far.X, far.Y);
  EXPECT_EQ(bar->Position(), 600000);
  const TPoint after = At(bar, 30, 16);
  xt::MouseMove(after.X, after.Y);
  EXPECT_EQ(bar->Position(), 600000);
}

TEST_F(TrackBarTest, PressingBesideTheThumbPagesAndRepeatsWhileHeld) {
  bar->SetMax(100);
  bar->SetPageSize(10);
  form->Show();
  const TPoint p = At(bar, 100, 16);  // about position 50
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(bar->Position(), 10);
  xt::Advance(399);
  EXPECT_EQ(bar->Position(), 10);
  xt::Advance(1);
  EXPECT_EQ(bar->Position(), 20);
  xt::Advance(1000);  // stops once the thumb covers the pointer
  EXPECT_EQ(bar->Position(), 50);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  const TPoint left = At(bar, 12, 16);
  xt::Click(left.X, left.Y);
  EXPECT_EQ(bar->Position(), 40);
  xt::Advance(2000);
  EXPECT_EQ(bar->Position(), 40);
  EXPECT_EQ(changes, (std::vector<int> { 10, 20, 30, 40, 50, 40 }));
}

TEST_F(TrackBarTest, KeysMoveByLinesPagesAndToTheEnds) {
  bar->SetMax(50);
  bar->SetLineSize(3);
  bar->SetPageSize(7);
  form->Show();
  bar->SetFocus();
  struct Step {
    UINT key;
    int position;
  };
  const Step steps[] = { { VK_RIGHT, 3 }, { VK_DOWN, 6 }, { VK_NEXT, 13 }, { VK_LEFT, 10 },  { VK_UP, 7 },
                         { VK_PRIOR, 0 }, { VK_LEFT, 0 }, { VK_END, 50 },  { VK_RIGHT, 50 }, { VK_HOME, 0 } };
  for (const Step& s : steps) {
    Press(s.key);
    EXPECT_EQ(bar->Position(), s.position) << s.key;
  }
  EXPECT_TRUE(bar->Focused());  // the arrows stay with the track bar
  EXPECT_EQ(changes, (std::vector<int> { 3, 6, 13, 10, 7, 0, 50, 0 }));
}

TEST_F(TrackBarTest, TicksFollowTheStyleAndTheMarks) {
  bar->SetMax(10);
  bar->SetFrequency(2);
  bar->SetTickMarks(tmBoth);
  form->Show();
  const int below = (33 - 10) / 2 + 10 + 2, above = (33 - 10) / 2 - 3;
  // Centres of 0, 2, ..., 10: 10 + v * 179 / 10, rounded.
  const std::vector<int> auto2 { 10, 46, 82, 117, 153, 189 };
  EXPECT_EQ(TickColumns(below), auto2);
  EXPECT_EQ(TickColumns(above), auto2);
  bar->SetTickStyle(tsManual);
  bar->SetTick(5);
  bar->SetTick(11);  // outside the range
  EXPECT_EQ(TickColumns(below), (std::vector<int> { 10, 100, 189 }));
  bar->SetTickMarks(tmTopLeft);
  EXPECT_TRUE(TickColumns(below).empty());
  EXPECT_EQ(TickColumns(above).size(), 3u);
  bar->SetTickStyle(tsNone);
  EXPECT_TRUE(TickColumns(above).empty());
  // More ticks than pixels: a solid row.
  bar->SetTickStyle(tsAuto);
  bar->SetFrequency(1);
  bar->SetMax(600000);
  EXPECT_EQ(TickColumns(above).size(), 180u);
}

TEST_F(TrackBarTest, AVerticalBarRunsFromMinAtTheTop) {
  bar->SetOrientation(trVertical);
  EXPECT_EQ(bar->Width(), 33);
  EXPECT_EQ(bar->Height(), 200);
  bar->SetMax(20);
  form->Show();
  bar->SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(bar->Position(), 1);
  const TPoint grab = At(bar, 16, 19), to = At(bar, 16, 189);  // the thumb of 1 is centred at 19
  xt::Drag(grab.X, grab.Y, to.X, to.Y);
  EXPECT_EQ(bar->Position(), 20);
}

TEST_F(TrackBarTest, MinAboveMaxIsRefused) {
  bar->SetMax(100);
  bar->SetPosition(80);
  EXPECT_THROW(bar->SetMin(101), EInvalidOperation);
  EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 100);
  bar->SetMax(50);  // pulls the position in
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_THROW(bar->SetMin(60), EInvalidOperation);
  EXPECT_EQ(bar->Max(), 50);
  EXPECT_EQ(bar->Min(), 0);
}

}  // namespace
