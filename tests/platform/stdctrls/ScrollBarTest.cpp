// Scroll bars: arrows, the track and the thumb under the mouse (with repeats while held), keys, the
// codes OnScroll reports (and the position it may change), OnChange, range validation, the page size,
// the vertical kind and the look.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

struct ScrollRecord {
  TScrollCode code;
  int pos;
  bool operator==(const ScrollRecord&) const = default;
};

class ScrollBarTest : public StdCtrlsTest {
 protected:
  // 200 × 16 horizontal: arrows 16 wide at both ends, a 168-pixel track, a 16-pixel thumb.
  TScrollBar* NewBar() {
    auto* bar = Add<TScrollBar>(10, 10, 200, 16);
    bar->SetSmallChange(5);
    bar->SetLargeChange(20);
    bar->OnScroll = On<TScrollEvent>([this](TObject*, TScrollCode code, int& pos) {
      scrolls.push_back({ code, pos });
    });
    bar->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    return bar;
  }
  std::vector<ScrollRecord> scrolls;
  int changes { 0 };
};

TEST_F(ScrollBarTest, ArrowsStepBySmallChangeAndTheTrackByLargeChange) {
  TScrollBar* bar = NewBar();
  Show();
  struct Step {
    int x;
    TScrollCode code;
    int position;
    int changes;
  } steps[] = {
    { 200 - 8, scLineDown, 5, 1 },
    { 150, scPageDown, 25, 2 },
    { 8, scLineUp, 20, 3 },
    { 8, scLineUp, 15, 4 },
  };
  for (const Step& s : steps) {
    scrolls.clear();
    xt::Advance(1000);
    ClickAt(bar, s.x, 8);
    EXPECT_EQ(bar->Position(), s.position) << s.x;
    EXPECT_EQ(changes, s.changes) << s.x;
    const std::vector<ScrollRecord> expected { { s.code, s.position }, { scEndScroll, s.position } };
    EXPECT_EQ(scrolls, expected) << s.x;
  }
  bar->SetPosition(0);
  scrolls.clear();
  changes = 0;
  ClickAt(bar, 8, 8);  // already at the minimum: reported, but nothing changes
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(changes, 0);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.front(), (ScrollRecord { scLineUp, 0 }));
}

TEST_F(ScrollBarTest, AHeldArrowRepeatsUntilReleased) {
  TScrollBar* bar = NewBar();
  Show();
  DownAt(bar, 200 - 8, 8);
  EXPECT_EQ(bar->Position(), 5);
  xt::Advance(349);
  EXPECT_EQ(bar->Position(), 5);
  xt::Advance(1);  // 350 ms: the repeats start, then every 50 ms
  EXPECT_EQ(bar->Position(), 10);
  xt::Advance(150);
  EXPECT_EQ(bar->Position(), 25);
  MoveTo(bar, 100, 8);  // off the arrow: it waits
  xt::Advance(100);
  EXPECT_EQ(bar->Position(), 25);
  MoveTo(bar, 200 - 8, 8);
  xt::Advance(50);
  EXPECT_EQ(bar->Position(), 30);
  UpAt(bar, 200 - 8, 8);
  xt::Advance(500);
  EXPECT_EQ(bar->Position(), 30);
  EXPECT_EQ(scrolls.back().code, scEndScroll);
}

TEST_F(ScrollBarTest, AHeldTrackPagesUntilTheThumbReachesTheMouse) {
  TScrollBar* bar = NewBar();
  Show();
  DownAt(bar, 120, 8);
  xt::Advance(2000);
  UpAt(bar, 120, 8);
  // Position p puts the thumb at 16 + 152p/100: at 60 it covers x = 107..123, and the paging stops.
  EXPECT_EQ(bar->Position(), 60);
  EXPECT_EQ(changes, 3);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithThePosition) {
  TScrollBar* bar = NewBar();
  Show();
  const TPoint from = At(bar, 24, 8), to = At(bar, 24 + 76, 8);
  xt::Drag(from.X, from.Y, to.X, to.Y);
  Application->ProcessMessages();
  // 76 of the 152 pixels the thumb can travel: half way.
  EXPECT_EQ(bar->Position(), 50);
  const std::vector<ScrollRecord> expected { { scTrack, 50 }, { scPosition, 50 }, { scEndScroll, 50 } };
  EXPECT_EQ(scrolls, expected);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(GetFocus(), bar->Handle());
}

TEST_F(ScrollBarTest, KeysScrollAndEndWithEndScroll) {
  TScrollBar* bar = NewBar();
  form->SetActiveControl(bar);
  Show();
  struct Step {
    UINT key;
    TScrollCode code;
    int position;
  } steps[] = { { VK_RIGHT, scLineDown, 5 }, { VK_DOWN, scLineDown, 10 }, { VK_NEXT, scPageDown, 30 },
                { VK_END, scBottom, 100 },   { VK_LEFT, scLineUp, 95 },   { VK_PRIOR, scPageUp, 75 },
                { VK_HOME, scTop, 0 } };
  for (const Step& s : steps) {
    scrolls.clear();
    Press(s.key);
    EXPECT_EQ(bar->Position(), s.position) << s.key;
    const std::vector<ScrollRecord> expected { { s.code, s.position }, { scEndScroll, s.position } };
    EXPECT_EQ(scrolls, expected) << s.key;
  }
}

TEST_F(ScrollBarTest, OnScrollMayChangeTheNewPosition) {
  TScrollBar* bar = NewBar();
  bar->OnScroll = On<TScrollEvent>([](TObject*, TScrollCode code, int& pos) {
    if (code == scLineDown) pos = 42;
  });
  form->SetActiveControl(bar);
  Show();
  Press(VK_RIGHT);
  EXPECT_EQ(bar->Position(), 42);
}

TEST_F(ScrollBarTest, TheRangeIsValidatedAndThePositionKeptInsideIt) {
  TScrollBar* bar = NewBar();
  EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 100);
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(changes, 1);
  bar->SetMax(60);
  EXPECT_EQ(bar->Position(), 60);
  bar->SetMin(-10);
  bar->SetPosition(-20);
  EXPECT_EQ(bar->Position(), -10);
  EXPECT_EQ(changes, 3);
  bar->SetPosition(-10);
  EXPECT_EQ(changes, 3);
  // A range entirely below zero is fine; a page larger than the range is not.
  bar->SetParams(-30, -50, -10);
  EXPECT_EQ(bar->Position(), -30);
  bar->SetPageSize(10);
  EXPECT_THROW(bar->SetParams(-30, -35, -30), EInvalidOperation);
  EXPECT_EQ(bar->Min(), -50);
}

TEST_F(ScrollBarTest, APageSizesTheThumbAndEndsUserScrollingAPageBeforeMax) {
  TScrollBar* bar = NewBar();
  bar->SetPageSize(50);
  form->SetActiveControl(bar);
  Show();
  // The thumb covers 168 × 50 / 101 = 83 pixels from x = 16.
  for (int x : { 16 + 10, 16 + 40, 16 + 78 }) EXPECT_EQ(Pixel(bar, x, 8), Rgb(clBtnFace)) << x;
  EXPECT_NE(Pixel(bar, 16 + 88, 8), Pixel(bar, 16 + 89, 8));  // the half-tone track after it
  Press(VK_END);
  EXPECT_EQ(bar->Position(), 51);
  bar->SetPosition(100);  // the program may still go to Max
  EXPECT_EQ(bar->Position(), 100);
}

TEST_F(ScrollBarTest, TheTrackIsAHalftoneAndADisabledBarHasNoThumb) {
  TScrollBar* bar = NewBar();
  Show();
  const COLORREF a = Pixel(bar, 100, 8), b = Pixel(bar, 101, 8);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == Rgb(clBtnFace) && b == Rgb(clBtnHighlight)) || (a == Rgb(clBtnHighlight) && b == Rgb(clBtnFace)));
  EXPECT_EQ(Pixel(bar, 24, 8), Rgb(clBtnFace));  // the thumb at position 0
  bar->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_NE(Pixel(bar, 24, 8), Pixel(bar, 25, 8));  // track where the thumb was
  ClickAt(bar, 200 - 8, 8);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_TRUE(scrolls.empty());
}

TEST_F(ScrollBarTest, AVerticalBarSwapsItsSidesAndScrollsUpAndDown) {
  TScrollBar* bar = NewBar();
  bar->SetKind(sbVertical);
  EXPECT_EQ(bar->Width(), 16);
  EXPECT_EQ(bar->Height(), 200);
  Show();
  ClickAt(bar, 8, 200 - 8);
  EXPECT_EQ(bar->Position(), 5);
  ClickAt(bar, 8, 150);
  EXPECT_EQ(bar->Position(), 25);
}

}  // namespace
