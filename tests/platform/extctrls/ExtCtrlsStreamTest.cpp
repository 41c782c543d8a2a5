// The stock controls from text form resources, as the console's forms hold them: properties, pictures
// and glyphs as binary data, collections of status panels, handlers bound by name; and writing a form
// back, which reads in again to the same controls.

#include <cstdio>

#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class TStockForm : public TForm {
  XJ_CLASS(TStockForm, TForm)
 public:
  explicit TStockForm(TComponent* AOwner) : TForm(AOwner) {}
  TPanel* Panel1 {};
  TPanel* Panel2 {};
  TImage* Image1 {};
  TSpeedButton* SpeedButton2 {};
  TTrackBar* TrackBar1 {};
  TStatusBar* StatusBar1 {};
  TBevel* Bevel1 {};
  int Clicks { 0 };
  void SpeedButton2Click(TObject*) { ++Clicks; }
};

// The hex of a bitmap's form-resource data: a 32-bit length, then the BMP file.
std::string BitmapHex(TBitmap& b) {
  TMemoryStream s;
  b.SaveToStream(&s);
  const auto size = static_cast<uint32_t>(s.Size());
  std::string hex;
  char buf[3];
  for (int i = 0; i < 4; ++i) {
    snprintf(buf, sizeof buf, "%02X", (size >> (8 * i)) & 0xFF);
    hex += buf;
  }
  const auto* bytes = static_cast<const uint8_t*>(s.Memory());
  for (uint32_t i = 0; i < size; ++i) {
    snprintf(buf, sizeof buf, "%02X", bytes[i]);
    hex += buf;
  }
  return hex;
}

std::string Resource(TBitmap& picture, TBitmap& glyph) {
  return R"(object StockForm: TStockForm
  Left = 100
  Top = 100
  Width = 740
  Height = 400
  Caption = 'stock'
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 732
    Height = 300
    Align = alTop
    BevelInner = bvRaised
    BevelOuter = bvLowered
    Color = clMenu
    TabOrder = 0
    object Panel2: TPanel
      Left = 16
      Top = 16
      Width = 261
      Height = 105
      TabOrder = 0
      object Image1: TImage
        Left = 12
        Top = 8
        Width = 97
        Height = 77
        Picture.Data = {07544269746D6170)" +
         BitmapHex(picture) + R"(}
        Stretch = True
      end
    end
    object SpeedButton2: TSpeedButton
      Left = 168
      Top = 134
      Width = 85
      Height = 27
      Cursor = crHandPoint
      AllowAllUp = True
      Caption = '退出'
      Flat = True
      Font.Charset = GB2312_CHARSET
      Font.Color = clNavy
      Font.Height = -15
      Font.Name = '宋体'
      Font.Pitch = fpFixed
      Font.Style = []
      Glyph.Data = {)" +
         BitmapHex(glyph) + R"(}
      NumGlyphs = 2
      ParentFont = False
      ParentShowHint = False
      ShowHint = True
      OnClick = SpeedButton2Click
    end
    object TrackBar1: TTrackBar
      Left = 384
      Top = 164
      Width = 293
      Height = 33
      Max = 100
      Orientation = trHorizontal
      Frequency = 1
      Position = 0
      SelEnd = 0
      SelStart = 0
      TabOrder = 1
      ThumbLength = 10
      TickMarks = tmBoth
      TickStyle = tsManual
    end
    object Bevel1: TBevel
      Left = 300
      Top = 20
      Width = 50
      Height = 40
      Shape = bsFrame
      Style = bsRaised
    end
  end
  object StatusBar1: TStatusBar
    Left = 0
    Top = 346
    Width = 732
    Height = 27
    Panels = <
      item
        Width = 650
      end
      item
        Alignment = taRightJustify
        Bevel = pbRaised
        Text = 'clock'
        Width = 50
      end>
    SimplePanel = False
  end
end
)";
}

}  // namespace

XJ_PUBLISHED(TStockForm,
  XJ_FIELD(Panel1)
  XJ_FIELD(Panel2)
  XJ_FIELD(Image1)
  XJ_FIELD(SpeedButton2)
  XJ_FIELD(TrackBar1)
  XJ_FIELD(StatusBar1)
  XJ_FIELD(Bevel1)
  XJ_METHOD(SpeedButton2Click));

namespace {

class StreamTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Paint(picture, { "rg", "by" }, { { 'r', clRed }, { 'g', clLime }, { 'b', clBlue }, { 'y', clYellow } });
    Paint(glyph,
          { "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww",
            "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww", "kkkkkkkkwwwwwwww" },
          { { 'k', clBlack }, { 'w', clWhite } });
  }
  TStockForm* Load(const std::string& text) {
    auto* f = new TStockForm(nullptr);
    Keep(f);
    ReadComponentResource(f, text);
    return f;
  }
  TBitmap picture, glyph;
};

TEST_F(StreamTest, TheConsolesControlsLoadWithTheirProperties) {
  TStockForm* f = Load(Resource(picture, glyph));
  ASSERT_NE(f->StatusBar1, nullptr);
  EXPECT_EQ(f->Panel1->BevelInner(), bvRaised);
  EXPECT_EQ(f->Panel1->BevelOuter(), bvLowered);
  EXPECT_EQ(f->Panel1->Color(), clMenu);
  EXPECT_EQ(f->Panel2->BevelOuter(), bvRaised);  // the defaults
  EXPECT_EQ(f->Image1->Parent(), f->Panel2);
  EXPECT_TRUE(f->Image1->Stretch());
  EXPECT_EQ(f->Image1->Picture()->Width(), 2);
  EXPECT_EQ(f->Image1->Picture()->Bitmap()->Canvas()->Pixels(1, 1), clYellow);
  EXPECT_EQ(f->SpeedButton2->Caption(), "退出");
  EXPECT_TRUE(f->SpeedButton2->Flat());
  EXPECT_TRUE(f->SpeedButton2->AllowAllUp());
  EXPECT_EQ(f->SpeedButton2->NumGlyphs(), 2);
  EXPECT_EQ(f->SpeedButton2->Glyph()->Width(), 16);
  EXPECT_EQ(f->SpeedButton2->Cursor(), crHandPoint);
  EXPECT_EQ(f->SpeedButton2->Font()->Color(), clNavy);
  EXPECT_EQ(f->SpeedButton2->Font()->Pitch(), fpFixed);
  EXPECT_EQ(f->TrackBar1->Max(), 100);
  EXPECT_EQ(f->TrackBar1->ThumbLength(), 10);
  EXPECT_EQ(f->TrackBar1->TickMarks(), tmBoth);
  EXPECT_EQ(f->TrackBar1->TickStyle(), tsManual);
  EXPECT_EQ(f->Bevel1->Shape(), bsFrame);
  EXPECT_EQ(f->Bevel1->Style(), bsRaised);
  ASSERT_EQ(f->StatusBar1->Panels()->Count(), 2);
  EXPECT_EQ(f->StatusBar1->Panels()->Items(0)->Width(), 650);
  EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Text(), "clock");
  EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Alignment(), taRightJustify);
  EXPECT_EQ(f->StatusBar1->Panels()->Items(1)->Bevel(), pbRaised);
  EXPECT_EQ(f->StatusBar1->Align(), alBottom);  // by default

  f->Show();
  xt::PumpUntilIdle();
  // The picture stretched 2 × 2 → 97 × 77 inside the panels.
  const TPoint img = f->Image1->ClientToScreen(TPoint(0, 0)), formOrigin = f->ClientToScreen(TPoint(0, 0));
  const int ix = img.X - formOrigin.X, iy = img.Y - formOrigin.Y;
  EXPECT_EQ(xt::ReadPixel(f->Handle(), ix + 48, iy + 38), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(f->Handle(), ix + 49, iy + 39), 0x00FFFFu);
  ClickAt(f->SpeedButton2, 40, 13);
  EXPECT_EQ(f->Clicks, 1);
}

TEST_F(StreamTest, AFormWrittenOutReadsBackTheSame) {
  TStockForm* f = Load(Resource(picture, glyph));
  f->TrackBar1->SetPosition(42);
  f->TrackBar1->SetTick(50);
  f->SpeedButton2->SetGroupIndex(2);
  f->SpeedButton2->SetDown(true);
  f->Panel2->SetBorderWidth(3);
  f->Panel2->SetAlignment(taLeftJustify);
  f->Image1->SetTransparent(true);
  f->StatusBar1->SetSimpleText("ready");
  const AnsiString text = WriteComponentResource(f);
  EXPECT_EQ(text.find("BevelWidth"), AnsiString::npos);  // defaults are not written

  TStockForm* g = Load(text);
  EXPECT_EQ(g->TrackBar1->Position(), 42);
  EXPECT_EQ(g->SpeedButton2->GroupIndex(), 2);
  EXPECT_TRUE(g->SpeedButton2->Down());
  EXPECT_EQ(g->Panel2->BorderWidth(), 3);
  EXPECT_EQ(g->Panel2->Alignment(), taLeftJustify);
  EXPECT_TRUE(g->Image1->Transparent());
  EXPECT_EQ(g->StatusBar1->SimpleText(), "ready");
  EXPECT_EQ(g->StatusBar1->Panels()->Count(), 2);
  EXPECT_EQ(g->SpeedButton2->Glyph()->Canvas()->Pixels(12, 3), clWhite);
  EXPECT_EQ(WriteComponentResource(g), text);
}

TEST_F(StreamTest, TrackBarRangesAreCheckedOnceLoadingEnds) {
  const std::string head = "object StockForm: TStockForm\n  object TrackBar1: TTrackBar\n";
  // Properties in any order: Max below the default Min first, Position beyond Max.
  TStockForm* f = Load(head + "    Max = -5\n    Min = -10\n    Position = 7\n  end\nend\n");
  EXPECT_EQ(f->TrackBar1->Min(), -10);
  EXPECT_EQ(f->TrackBar1->Max(), -5);
  EXPECT_EQ(f->TrackBar1->Position(), -5);
  auto* g = new TStockForm(nullptr);
  Keep(g);
  EXPECT_THROW(ReadComponentResource(g, head + "    Max = 3\n    Min = 5\n  end\nend\n"), EInvalidOperation);
}

}  // namespace
