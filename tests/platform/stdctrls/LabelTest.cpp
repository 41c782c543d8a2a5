// Labels: sizing to the text (right edge kept for right alignment), word wrapping with Chinese text,
// layout, transparency, the engraved disabled text, and the accelerator that focuses another control.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"
#include "tests/support/Utf8.h"

using namespace stdtest;

namespace {

class LabelTest : public StdCtrlsTest {
 protected:
  TLabel* NewLabel(const char* caption, int x = 100, int y = 20) {
    auto* l = Add<TLabel>(x, y);
    l->SetCaption(caption);
    return l;
  }
};

// A right-to-left BiDiMode is stored only: the edge kept is the one the alignment names. A control that
// did lay out right to left would mirror the alignment.
TEST_F(LabelTest, AutoSizeFitsTheTextAndKeepsTheRightEdgeOfARightAlignedLabel) {
  struct Case {
    TAlignment alignment;
    int leftAfterGrowing;  // the label starts 24 wide at x = 100
    TAlignment mirrored;
  } cases[] = { { taLeftJustify, 100, taRightJustify },
                { taCenter, 100, taCenter },
                { taRightJustify, 100 + 24 - 48, taLeftJustify } };
  for (const Case& c : cases) {
    TAlignment a = c.alignment;
    ChangeBiDiModeAlignment(a);
    EXPECT_EQ(a, c.mirrored);
    TLabel* label = NewLabel("abc");
    label->SetBiDiMode(bdRightToLeft);
    label->SetAlignment(c.alignment);
    EXPECT_EQ(label->Width(), 3 * kCharW);
    EXPECT_EQ(label->Height(), kLineH);
    label->SetCaption("abcdef");
    EXPECT_EQ(label->Width(), 6 * kCharW) << int(c.alignment);
    EXPECT_EQ(label->Left(), c.leftAfterGrowing) << int(c.alignment);
    delete label;
  }
}

TEST_F(LabelTest, AutoSizeMeasuresDoubleByteTextTheAcceleratorAndAnEmptyCaption) {
  struct Case {
    const char* caption;
    bool showAccel;
    int width;
  } cases[] = {
    { "中文", true, 2 * kWideW },    // a double-byte character is one character
    { "&Name", true, 4 * kCharW },   // the '&' only marks the N
    { "&Name", false, 5 * kCharW },  // shown as it is
    { "a&&b", true, 3 * kCharW },    // "&&" is one '&'
    { "a\tb", true, 9 * kCharW },    // tabs expand to every eighth average character
    { "", true, kCharW },            // still one line high (measured as a blank)
  };
  for (const Case& c : cases) {
    TLabel* label = NewLabel("");
    label->SetShowAccelChar(c.showAccel);
    label->SetCaption(c.caption);
    EXPECT_EQ(label->Width(), c.width) << xj::test::Shown(c.caption);
    EXPECT_EQ(label->Height(), kLineH) << xj::test::Shown(c.caption);
    delete label;
  }
}

TEST_F(LabelTest, WithoutAutoSizeTheBoundsStay) {
  TLabel* label = NewLabel("abc");
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 50, 30);
  label->SetCaption("a much longer caption");
  label->Font()->SetHeight(30);
  EXPECT_EQ(label->BoundsRect(), Bounds(10, 10, 50, 30));
  label->SetAutoSize(true);  // switching it on sizes at once
  EXPECT_EQ(label->Width(), 21 * kCharW);
}

TEST_F(LabelTest, WordWrapBreaksBetweenChineseCharactersAndAtBlanks) {
  Show();
  struct Case {
    const char* caption;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
    { "一二三四五", 40, { "一二", "三四", "五" } },
    { "ab cd ef", 36, { "ab", "cd", "ef" } },
    { "共8线 OK", 60, { "共8线", "OK" } },
  };
  for (const Case& c : cases) {
    // Wrapped at the width the label has when AutoSize measures (which then narrows it to the widest line).
    TLabel* label = NewLabel("");
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(c.width);
    label->SetCaption(c.caption);
    label->SetAutoSize(true);
    EXPECT_EQ(label->Height(), kLineH * static_cast<int>(c.lines.size())) << xj::test::Shown(c.caption);
    EXPECT_LE(label->Width(), c.width) << xj::test::Shown(c.caption);
    xt::ClearTextLog();
    label->Repaint();
    int y0 = 0;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      auto drawn = Drawn(c.lines[i]);
      ASSERT_EQ(drawn.size(), 1u) << xj::test::Shown(c.caption) << " line " << i;
      if (i == 0) y0 = drawn[0].y;
      EXPECT_EQ(drawn[0].y, y0 + kLineH * static_cast<int>(i)) << xj::test::Shown(c.caption) << " line " << i;
    }
    delete label;
  }
}

TEST_F(LabelTest, LayoutPlacesTheTextAtTheTopMiddleOrBottom) {
  Show();
  TLabel* label = NewLabel("x");
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 60, 50);
  int top = 0;
  for (TTextLayout layout : { tlTop, tlCenter, tlBottom }) {
    label->SetLayout(layout);
    xt::ClearTextLog();
    label->Repaint();
    auto drawn = Drawn("x");
    ASSERT_EQ(drawn.size(), 1u);
    if (layout == tlTop) top = drawn[0].y;
    const int expected = layout == tlTop ? 0 : layout == tlCenter ? (50 - kLineH) / 2 : 50 - kLineH;
    EXPECT_EQ(drawn[0].y - top, expected) << int(layout);
  }
}

TEST_F(LabelTest, AnOpaqueLabelFillsItsColourATransparentOneShowsTheParent) {
  Show();
  TLabel* label = NewLabel("x");
  label->SetAutoSize(false);
  label->SetBounds(20, 20, 60, 30);
  label->SetColor(clRed);
  EXPECT_TRUE(label->ControlStyle().Contains(csOpaque));
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(label, 40, 20), Rgb(clRed));
  label->SetTransparent(true);
  EXPECT_FALSE(label->ControlStyle().Contains(csOpaque));
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(label, 40, 20), Rgb(clBtnFace));
  label->SetTransparent(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(label, 40, 20), Rgb(clRed));
}

TEST_F(LabelTest, DisabledTextIsEngravedHighlightBelowShadow) {
  Show();
  TLabel* label = NewLabel("dim");
  label->Font()->SetColor(clBlue);
  xt::ClearTextLog();
  label->Repaint();
  auto enabled = Drawn("dim");
  ASSERT_EQ(enabled.size(), 1u);
  EXPECT_EQ(enabled[0].color, Rgb(clBlue));

  label->SetEnabled(false);
  xt::ClearTextLog();
  label->Repaint();
  auto disabled = Drawn("dim");
  ASSERT_EQ(disabled.size(), 2u);
  EXPECT_EQ(disabled[0].color, Rgb(clBtnHighlight));
  EXPECT_EQ(disabled[0].x, enabled[0].x + 1);
  EXPECT_EQ(disabled[0].y, enabled[0].y + 1);
  EXPECT_EQ(disabled[1].color, Rgb(clBtnShadow));
  EXPECT_EQ(disabled[1].x, enabled[0].x);
  EXPECT_EQ(disabled[1].y, enabled[0].y);
  EXPECT_EQ(label->Font()->Color(), clBlue);  // the label's own font is left alone
}

TEST_F(LabelTest, TheAcceleratorFocusesTheFocusControl) {
  auto* button = Add<TButton>(10, 100);
  auto* edit = Add<TEdit>(100, 50);
  TLabel* label = NewLabel("&Name", 10, 50);
  label->SetFocusControl(edit);
  form->SetActiveControl(button);
  Show();
  ASSERT_EQ(GetFocus(), button->Handle());

  Press('N', xt::ssAlt);  // Alt+N
  EXPECT_EQ(GetFocus(), edit->Handle());

  form->SetActiveControl(button);
  Keys("n");  // a plain character: the button does not want it, so it is a dialog character
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(edit->Text(), "");  // the character did not reach the edit

  struct Case {
    const char* name;
    bool showAccel;
    bool enabled;
  } refused[] = { { "without ShowAccelChar", false, true }, { "disabled label", true, false } };
  for (const Case& c : refused) {
    label->SetShowAccelChar(c.showAccel);
    label->SetEnabled(c.enabled);
    form->SetActiveControl(button);
    Press('N', xt::ssAlt);
    EXPECT_EQ(GetFocus(), button->Handle()) << c.name;
    label->SetShowAccelChar(true);
    label->SetEnabled(true);
  }
}

TEST_F(LabelTest, FreeingTheFocusControlClearsTheReference) {
  auto* button = Add<TButton>(10, 100);
  auto* edit = Add<TEdit>(100, 50);
  TLabel* label = NewLabel("&Name", 10, 50);
  label->SetFocusControl(edit);
  form->SetActiveControl(button);
  Show();
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
  Press('N', xt::ssAlt);
  EXPECT_EQ(GetFocus(), button->Handle());
}

}  // namespace
