// TStatusBar: panel layout with the last panel reaching the size grip, bevels, text clipped per panel,
// alignment, the simple panel, owner-drawn panels and text updates.

#include <functional>

#include "platform/vcl/ComCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class StatusBarTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    bar = new TStatusBar(form);
    bar->SetParent(form);
    bar->SetHeight(27);
  }
  TStatusPanel* AddPanel(int width, const AnsiString& text = "") {
    TStatusPanel* p = bar->Panels()->Add();
    p->SetWidth(width);
    p->SetText(text);
    return p;
  }
  // A row of the bar, run-length encoded: "S147H1F2" (shadow, highlight, face, black text, other).
  std::string Row(int y) {
    xt::PumpUntilIdle();
    std::string s;
    char last = 0;
    int run = 0;
    auto flush = [&] {
      if (run) s += last + std::to_string(run);
    };
    for (int x = 0; x < bar->Width(); ++x) {
      const COLORREF c = xt::ReadPixel(bar->Handle(), x, y);
      const char ch = c == kShadow ? 'S' : c == kHighlight ? 'H' : c == kFace ? 'F' : c == 0 ? 'K' : '?';
      if (ch != last) {
        flush();
        last = ch;
        run = 0;
      }
      ++run;
    }
    flush();
    return s;
  }
  // The first and last columns where the bar shows text (dark, anti-aliased or not) in its height.
  std::pair<int, int> InkColumns() {
    xt::PumpUntilIdle();
    int lo = -1, hi = -1;
    for (int x = 0; x < bar->Width(); ++x)
      for (int y = 0; y < bar->Height(); ++y)
        if (const COLORREF c = xt::ReadPixel(bar->Handle(), x, y);
            GetRValue(c) < 0x70 && GetGValue(c) < 0x70 && GetBValue(c) < 0x70) {
          if (lo < 0) lo = x;
          hi = x;
          break;
        }
    return { lo, hi };
  }
  TStatusBar* bar {};
};

TEST_F(StatusBarTest, PanelsSitSideBySideAndTheLastReachesTheSizeGrip) {
  AddPanel(150);
  AddPanel(50);
  form->Show();
  const int w = form->ClientWidth();
  EXPECT_EQ(bar->Width(), w);
  EXPECT_EQ(bar->Top(), form->ClientHeight() - 27);
  EXPECT_EQ(Row(0), "F" + std::to_string(w));
  // Top edge of the boxes: panel 0 is 148 wide, a 2-pixel gap, panel 1 to 16 pixels from the edge.
  EXPECT_EQ(Row(2), "S147H1F2S" + std::to_string(w - 150 - 16 - 1) + "H1F16");
  EXPECT_EQ(Row(10), "S1F146H1F2S1F" + std::to_string(w - 150 - 16 - 2) + "H1F16");
  EXPECT_EQ(Row(26).substr(0, 9), "H148F2H" + std::to_string(w - 150 - 16).substr(0, 2));

  bar->SetSizeGrip(false);
  EXPECT_EQ(Row(2), "S147H1F2S" + std::to_string(w - 150 - 1) + "H1");
  bar->SetSizeGrip(true);
  form->SetBorderStyle(bsDialog);  // a form that cannot be sized shows no grip
  const int dialogWidth = form->ClientWidth();
  EXPECT_EQ(Row(2), "S147H1F2S" + std::to_string(dialogWidth - 150 - 1) + "H1");
}

TEST_F(StatusBarTest, BevelsPerPanel) {
  AddPanel(40)->SetBevel(pbNone);
  AddPanel(40)->SetBevel(pbRaised);
  AddPanel(40);
  bar->SetSizeGrip(false);
  form->Show();
  const int w = form->ClientWidth();
  EXPECT_EQ(Row(2), "F40H37S1F2S" + std::to_string(w - 81) + "H1");
}

TEST_F(StatusBarTest, TextIsClippedToItsPanelAndFollowsTheAlignment) {
  TStatusPanel* p = AddPanel(60, "WWWWWWWWWWWWWWWWWWWW");
  AddPanel(50);
  bar->SetSizeGrip(false);
  form->Show();
  // Panel 0 is 58 wide; inside its bevel columns 1 to 56, the text between margins of 2: 3 to 54.
  auto [lo, hi] = InkColumns();
  EXPECT_GE(lo, 3);
  EXPECT_LE(lo, 6);
  EXPECT_LE(hi, 54);
  EXPECT_GE(hi, 52);
  p->SetText("ab");
  p->SetAlignment(taRightJustify);
  std::tie(lo, hi) = InkColumns();
  EXPECT_GT(lo, 30);
  EXPECT_LE(hi, 54);
  EXPECT_GE(hi, 50);
  p->SetAlignment(taCenter);
  std::tie(lo, hi) = InkColumns();
  EXPECT_NEAR((lo + hi) / 2, 29, 2);
}

TEST_F(StatusBarTest, TheLastPanelClipsItsTextAtTheGrip) {
  AddPanel(100);
  TStatusPanel* clock = AddPanel(50, "");
  form->Show();
  const int w = form->ClientWidth();
  clock->SetText(AnsiString(200, 'W'));
  auto [lo, hi] = InkColumns();
  EXPECT_GE(lo, 103);
  EXPECT_LE(lo, 106);
  EXPECT_LE(hi, w - 16 - 4);  // the grip, the bevel and the margin
  EXPECT_GE(hi, w - 16 - 6);
  // The text changes as a clock's would: each change is drawn.
  for (const char* t : { "     时间：10:00:00", "     时间：10:00:01" }) {
    xt::ClearTextLog();
    clock->SetText(t);
    xt::PumpUntilIdle();
    bool seen = false;
    for (const auto& r : xt::TextOutLog()) seen = seen || r.text == t;
    EXPECT_TRUE(seen) << t;
  }
}

// A new text is drawn at once; the same text again draws nothing.
TEST_F(StatusBarTest, OnlyANewSimpleOrPanelTextIsDrawnAgain) {
  TStatusPanel* panel = AddPanel(100, "one");
  form->Show();
  xt::PumpUntilIdle();
  auto drawnAfter = [](const std::function<void()>& Change) {
    xt::ClearTextLog();
    Change();
    xt::PumpUntilIdle();
    std::vector<std::string> texts;
    for (const auto& r : xt::TextOutLog()) texts.push_back(r.text);
    return texts;
  };
  using Texts = std::vector<std::string>;
  EXPECT_EQ(drawnAfter([&] { panel->SetText("uno"); }), Texts { "uno" });
  EXPECT_EQ(drawnAfter([&] { panel->SetText("uno"); }), Texts {});
  EXPECT_EQ(drawnAfter([&] { bar->SetSimplePanel(true); }), Texts {});  // no simple text yet
  EXPECT_EQ(drawnAfter([&] { bar->SetSimpleText("first"); }), Texts { "first" });
  EXPECT_EQ(drawnAfter([&] { bar->SetSimpleText("first"); }), Texts {});
}

TEST_F(StatusBarTest, TheSimplePanelReplacesThePanels) {
  AddPanel(100, "one");
  AddPanel(100, "two");
  form->Show();
  const int w = form->ClientWidth();
  bar->SetSimpleText("simple");
  bar->SetSimplePanel(true);
  xt::ClearTextLog();
  EXPECT_EQ(Row(2), "S" + std::to_string(w - 16 - 1) + "H1F16");
  std::vector<std::string> texts;
  for (const auto& r : xt::TextOutLog()) texts.push_back(r.text);
  EXPECT_EQ(texts, (std::vector<std::string> { "simple" }));
  bar->SetSimplePanel(false);
  xt::ClearTextLog();
  xt::PumpUntilIdle();
  texts.clear();
  for (const auto& r : xt::TextOutLog()) texts.push_back(r.text);
  EXPECT_EQ(texts, (std::vector<std::string> { "one", "two" }));
}

TEST_F(StatusBarTest, OwnerDrawnPanelsAreDrawnByTheEventInsideTheirBevel) {
  AddPanel(80);
  TStatusPanel* drawn = AddPanel(60);
  drawn->SetStyle(psOwnerDraw);
  AddPanel(50);
  std::vector<TRect> rects;
  bar->OnDrawPanel = On<TDrawPanelEvent>([&](TStatusBar* sb, TStatusPanel* p, const TRect& r) {
    EXPECT_EQ(sb, bar);
    EXPECT_EQ(p, drawn);
    rects.push_back(r);
    sb->Canvas()->Brush()->SetColor(clRed);
    sb->Canvas()->FillRect(TRect(r.Left - 5, r.Top, r.Right + 5, r.Bottom));  // clipped to the panel
  });
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects.back(), TRect(81, 3, 137, 26));
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 80, 10), kShadow);
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 81, 10), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 136, 10), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 137, 10), kHighlight);
}

// The grip is the bottom-right corner of the form's frame: the sizing cursor shows over it and a drag
// from it sizes the form by exactly the distance dragged; the bar follows to the new bottom edge. Where no
// grip shows (turned off, or a form that cannot be sized) the same drag leaves the form alone.
TEST_F(StatusBarTest, DraggingTheGripSizesTheForm) {
  AddPanel(150);
  int presses = 0;
  bar->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; });
  form->Show();
  const int grip = GetSystemMetrics(SM_CXVSCROLL);
  auto hit = [&](int x, int y) {
    const TPoint p = At(bar, x, y);
    return SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
  };
  const int w = bar->Width(), hh = bar->Height();
  EXPECT_EQ(hit(w - 1, hh - 1), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(w - grip, hh - grip), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(w - grip - 1, hh - 1), HTCLIENT);
  EXPECT_EQ(hit(w - 1, hh - grip - 1), HTCLIENT);
  MoveTo(bar, w - 3, hh - 4);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENWSE));

  const TPoint from = At(bar, w - 3, hh - 4);
  xt::Drag(from.X, from.Y, from.X + 37, from.Y + 23);
  EXPECT_EQ(form->Width(), 400 + 37);
  EXPECT_EQ(form->Height(), 300 + 23);
  EXPECT_EQ(bar->Width(), form->ClientWidth());
  EXPECT_EQ(bar->Top(), form->ClientHeight() - hh);
  EXPECT_EQ(presses, 0);

  struct Case {
    const char* name;
    std::function<void()> hideGrip;
  } cases[] = {
    { "SizeGrip off", [&] { bar->SetSizeGrip(false); } },
    { "a single border",
      [&] {
        bar->SetSizeGrip(true);
        form->SetBorderStyle(bsSingle);
      } },
  };
  for (Case& c : cases) {
    c.hideGrip();
    xt::PumpUntilIdle();
    const int formW = form->Width(), formH = form->Height();
    const TPoint corner = At(bar, bar->Width() - 3, bar->Height() - 4);
    EXPECT_EQ(hit(bar->Width() - 3, bar->Height() - 4), HTCLIENT) << c.name;
    presses = 0;
    xt::Drag(corner.X, corner.Y, corner.X + 37, corner.Y + 23);
    EXPECT_EQ(form->Width(), formW) << c.name;
    EXPECT_EQ(form->Height(), formH) << c.name;
    EXPECT_EQ(presses, 1) << c.name;  // the bar had the press as any other
  }
}

}  // namespace
