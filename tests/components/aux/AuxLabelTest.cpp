// TAHMLabel on a form: where the text goes inside the frame, the label's colour and background painter
// (and none when transparent), the glyph painter, the frame on top, repainting when a painter changes,
// owned painters copied rather than taken, a background that goes away, and reading from a form
// resource.

#include <memory>

#include "components/AHMTBackground.h"
#include "components/AHMTCommandLabel.h"
#include "components/AHMTLabel.h"
#include "components/DUVEnhancedClass.h"
#include "tests/components/aux/AuxTestUtil.h"

using namespace auxtest;
using namespace ctltest;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kYellow = 0x00FFFF;

class LabelTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 300, 200);
    form->SetColor(clWhite);
    label = new TAHMLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 100, 40);
    label->SetColor(kYellow);
    label->SetCaption("I");
    UseTestFace(label->Font(), clBlack);
    label->Font3D()->SetThreeDimensional(false);
    form->Show();
    xt::PumpUntilIdle();
  }
  // A pixel of the label, in its own coordinates.
  COLORREF At(int X, int Y) { return xt::ReadPixel(form->Handle(), 10 + X, 10 + Y); }
  // Where the face of the caption was drawn last, relative to the label.
  TPoint TextAt() {
    const auto log = xt::TextOutLog();
    if (log.empty()) return TPoint(-1000, -1000);
    const TPoint origin = label->ClientToScreen(TPoint(0, 0));
    const xt::WindowInfo info = xt::Info(form->Handle());
    return TPoint(log.back().x - (origin.X - info.window.left), log.back().y - (origin.Y - info.window.top));
  }
  void Repaint() {
    xt::ClearTextLog();
    label->Invalidate();
    xt::PumpUntilIdle();
  }
  TForm* form {};
  TAHMLabel* label {};
};

TEST_F(LabelTest, TheTextSitsInsideTheFrame) {
  Repaint();
  EXPECT_EQ(TextAt(), TPoint(0, 1));  // even without a frame the top and right move in by its width
  label->Frame()->SetFrameStyle(frameRaised);
  label->Frame()->Setwidth(2);
  Repaint();
  EXPECT_EQ(TextAt(), TPoint(2, 4));  // in by the thickness, and the top once more by the width
  label->SetAlignment(taRightJustify);
  Repaint();
  EXPECT_EQ(TextAt(), TPoint(100 - 4 - 8, 4));  // the right side in by 4; a character is 8 wide
  label->SetAlignment(taCenter);
  label->Frame()->SetFrameStyle(frameNone);
  Repaint();
  EXPECT_EQ(TextAt(), TPoint((98 - 8) / 2, 2));
}

TEST_F(LabelTest, AnOpaqueLabelPaintsItsColourThenItsBackgroundATransparentOneNeither) {
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(kYellow.Value));
  EXPECT_EQ(At(3, 5), 0u);  // the caption, black
  auto* back = new TAHMBackground(form);
  back->SetSolidColor(kGreen);
  back->SetBackStyle(bSolidcolor);
  label->SetBack2(back);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(kGreen.Value));
  back->SetSolidColor(kBlue);  // the painter's change repaints the label
  xt::PumpUntilIdle();
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(kBlue.Value));
  label->SetTransparent(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(clWhite.Value));
  EXPECT_EQ(At(3, 5), 0u);
}

TEST_F(LabelTest, TheFrameIsDrawnOverEverything) {
  label->Frame()->SetFrameStyle(frameRaised);
  label->Frame()->SetHighlight(kRed);
  label->Frame()->SetShadow(kBlue);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(0, 0), static_cast<COLORREF>(kRed.Value));
  EXPECT_EQ(At(0, 20), static_cast<COLORREF>(kRed.Value));
  EXPECT_EQ(At(99, 39), static_cast<COLORREF>(kBlue.Value));
  EXPECT_EQ(At(50, 20), static_cast<COLORREF>(kYellow.Value));
}

TEST_F(LabelTest, AFontBackgroundFillsTheGlyphs) {
  auto* glyphs = new TAHMBackground(form);
  glyphs->SetSolidColor(kGreen);
  glyphs->SetBackStyle(bSolidcolor);
  label->Font3D()->SetMaskFont(false);
  label->SetBack(glyphs);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(3, 5), static_cast<COLORREF>(kGreen.Value));
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(kYellow.Value));
}

TEST_F(LabelTest, ThreeDimensionalTextRepaintsWhenItsPainterChanges) {
  label->Font3D()->SetThreeDimensional(true);
  label->Font3D()->SetStyle3D(fontOnlyShadow);
  label->Font3D()->SetOffset(2);
  label->Font3D()->SetShadow(kRed);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(8, 11), static_cast<COLORREF>(kRed.Value));  // the shadow box, two pixels down right
  label->Font3D()->SetShadow(kBlue);
  xt::PumpUntilIdle();
  EXPECT_EQ(At(8, 11), static_cast<COLORREF>(kBlue.Value));
}

TEST_F(LabelTest, AssignedPaintersAreCopiedIntoTheLabelsOwn) {
  TAHMFont3D* ownFont = label->Font3D();
  TAHMFrame* ownFrame = label->Frame();
  {
    TAHMFont3D font(nullptr);
    font.SetStyle3D(fontInset);
    font.SetOffset(3);
    TAHMFrame frame(nullptr);
    frame.SetFrameStyle(frameFramedDown);
    frame.Setwidth(2);
    label->Set3D(&font);
    label->SetFrm(&frame);
  }
  EXPECT_EQ(label->Font3D(), ownFont);
  EXPECT_EQ(label->Frame(), ownFrame);
  EXPECT_EQ(ownFont->Style3D(), fontInset);
  EXPECT_EQ(ownFont->Offset(), 3);
  EXPECT_EQ(ownFrame->Calcwidth(), 4);
  EXPECT_EQ(ownFrame->Owner(), label);  // still invalidates the label
  xt::PumpUntilIdle();
}

TEST_F(LabelTest, ABackgroundThatGoesAwayIsForgottenWhateverItsOwner) {
  auto* back = new TAHMBackground(nullptr);  // not the form's: only the free notification tells
  auto* glyphs = new TAHMBackground(form);
  label->SetBack2(back);
  label->SetBack(glyphs);
  EXPECT_EQ(back->ItemCount(), 1);
  delete back;
  EXPECT_EQ(label->Background(), nullptr);
  EXPECT_EQ(label->FontBackground(), glyphs);
  delete glyphs;
  EXPECT_EQ(label->FontBackground(), nullptr);
  xt::PumpUntilIdle();  // paints without them
  EXPECT_EQ(At(50, 30), static_cast<COLORREF>(kYellow.Value));

  auto* shared = new TAHMBackground(nullptr);
  label->SetBack(shared);
  label->SetBack2(shared);
  EXPECT_EQ(shared->ItemCount(), 2);
  label->SetBack2(nullptr);
  EXPECT_EQ(shared->ItemCount(), 1);
  delete label;
  EXPECT_EQ(shared->ItemCount(), 0);
  shared->SetSolidColor(kRed);  // nobody left to invalidate
  delete shared;
}

TEST_F(LabelTest, ReadFromAFormResourceWithItsPaintersAndReferences) {
  const char* text =
      "object Form1: TForm\n"
      "  Left = 100\n  Top = 100\n  Width = 300\n  Height = 200\n"
      "  object Back1: TAHMBackground\n"
      "    SolidColor = clLime\n    BackgroundStyle = bSolidcolor\n"
      "    Gradient.ColorsInBetween.Strings = (\n      'clRed'\n      '$00FF0000')\n"
      "  end\n"
      "  object Label1: TAHMLabel\n"
      "    Left = 10\n    Top = 10\n    Width = 100\n    Height = 40\n    Caption = 'I'\n"
      "    Background = Back1\n    Font3D.Style3D = fontRaised\n    Font3D.Offset = 2\n"
      "    Frame.FrameStyle = frameLowered\n"
      "  end\n"
      "  object Link1: TAHMCommandLabel\n"
      "    Left = 10\n    Top = 60\n    Font.Color = clGreen\n    Command = runMAIL\n"
      "    CaptionValue = 'someone@example.com'\n"
      "  end\n"
      "end\n";
  TForm* read = NewForm();
  ReadComponentResource(read, text);
  auto* back = dynamic_cast<TAHMBackground*>(read->FindComponent("Back1"));
  auto* l = dynamic_cast<TAHMLabel*>(read->FindComponent("Label1"));
  auto* link = dynamic_cast<TAHMCommandLabel*>(read->FindComponent("Link1"));
  ASSERT_TRUE(back && l && link);
  EXPECT_EQ(l->Background(), back);
  EXPECT_EQ(back->ItemCount(), 1);
  EXPECT_EQ(back->Gradient()->ColorsInBetween()->Count(), 2);
  EXPECT_EQ(l->Font3D()->Style3D(), fontRaised);
  EXPECT_EQ(l->Font3D()->Offset(), 2);
  EXPECT_EQ(l->Frame()->FrameStyle(), frameLowered);
  EXPECT_EQ(link->Command(), runMAIL);
  EXPECT_EQ(link->CaptionValue(), "someone@example.com");

  // Written out again, the painters' settings and the reference go along.
  const AnsiString written = WriteComponentResource(read);
  EXPECT_NE(written.find("Background = Back1"), AnsiString::npos) << written;
  EXPECT_NE(written.find("Font3D.Style3D = fontRaised"), AnsiString::npos) << written;
  EXPECT_NE(written.find("'clRed'"), AnsiString::npos) << written;
}

}  // namespace
