// The skinned text controls: which font the stock label draws with, its engraved disabled text, the
// framed label widening to its caption, the status panel's glyph cells, and all three through a stream
// and a skin change.

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class LabelTest : public SkinControlsTest {
 protected:
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  // How many pixels of colour c the control shows.
  int Count(TControl* c, COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) n += Px(c, x, y) == colour;
    return n;
  }
  static COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }
  COLORREF SkinText(const char* record) const {
    return Rgb(static_cast<TColor>(mkskin::ColourValue(OwnerOf(record), RectCode("fontcolor"))));
  }
  TbsSkinStdLabel* NewStdLabel(int l, int t, const AnsiString& caption) {
    auto* s = new TbsSkinStdLabel(form);
    s->SetParent(form);
    s->SetLeft(l);
    s->SetTop(t);
    s->SetCaption(caption);
    return s;
  }
};

}  // namespace

TEST_F(LabelTest, TheStockLabelDrawsWithTheDefaultFontTheSkinsColourOrEngraved) {
  LoadTestSkin();
  auto* plain = NewStdLabel(10, 10, "Wg");
  plain->SetAutoSize(true);
  plain->DefaultFont()->SetHeight(-30);
  plain->Font()->SetHeight(-10);
  plain->Font()->SetColor(clRed);
  auto* skinned = NewStdLabel(10, 60, "Skin");
  skinned->SetSkinData(skin);
  auto* off = NewStdLabel(10, 90, "Off");
  off->SetEnabled(false);
  auto* empty = NewStdLabel(100, 10, "");
  empty->SetAutoSize(true);
  Show();
  // Without a skin the default font rules while UseSkinFont is on: a tall line, not the small red font.
  EXPECT_GE(plain->Height(), 30);
  EXPECT_EQ(Count(plain, Rgb(clRed)), 0);
  plain->SetUseSkinFont(false);
  plain->SetCaption("Wg ");  // measured again
  xt::PumpUntilIdle();
  EXPECT_LT(plain->Height(), 20);
  EXPECT_GT(Count(plain, Rgb(clRed)), 0);
  // A skin gives its text colour.
  EXPECT_EQ(skinned->SkinObjectIndex(), skin->GetControlIndex("stdlabel"));
  EXPECT_GT(Count(skinned, SkinText("stdlabel")), 0);
  // Disabled: highlight one pixel down and right, shadow on top.
  EXPECT_GT(Count(off, Rgb(clBtnHighlight)), 0);
  EXPECT_GT(Count(off, Rgb(clBtnShadow)), 0);
  // An empty label keeps one line's height.
  EXPECT_GT(empty->Height(), 8);
  Gallery(skinned, "bsSkinCtrls", "skin");
  Gallery(off, "bsSkinCtrls", "disabled");

  // The skin-change walk reaches it; a freed skin is forgotten.
  BeforeChangeSkinDataWalk(form, skin);
  EXPECT_EQ(skinned->SkinObjectIndex(), -1);
  ChangeSkinDataWalk(form, skin);
  EXPECT_EQ(skinned->SkinObjectIndex(), skin->GetControlIndex("stdlabel"));
  delete skin;
  skin = nullptr;
  EXPECT_EQ(skinned->SkinData(), nullptr);
  skinned->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(skinned->SkinObjectIndex(), -1);
}

TEST_F(LabelTest, AFramedLabelWidensToItsCaptionAndNarrowsOnlyWithAutoSize) {
  LoadTestSkin();
  auto* l = new TbsSkinLabel(form);
  l->SetParent(form);
  l->SetBounds(10, 10, 60, 20);
  l->SetCaption("一段比皮肤客户区宽得多的标题");
  l->SetSkinData(skin);
  Show();
  const int wide = l->Width();
  EXPECT_GT(wide, 60);                        // wider than asked, without AutoSize
  EXPECT_EQ(l->NewClRect.Width(), wide - 6);  // the caption fills the client area exactly
  l->SetCaption("短");
  l->SetBounds(10, 10, wide, 20);
  EXPECT_EQ(l->Width(), wide);  // a short caption leaves it as wide as it is
  l->SetAutoSize(true);
  EXPECT_LT(l->Width(), 30);  // ... until AutoSize fits it
  EXPECT_GT(Count(l, SkinText("label")), 0);
  Gallery(l, "bsSkinCtrls", "skin-autosize");
  // An aligned label keeps its width.
  l->SetAlign(alTop);
  const int aligned = l->Width();
  l->SetCaption("一段比皮肤客户区宽得多的标题");
  EXPECT_EQ(l->Width(), aligned);

  // A face that does not stretch turns AutoSize off.
  auto* data = new TbsSkinData(form);
  auto* pic = new TBitmap;
  pic->SetSize(40, 20);
  data->ActivePictures->Add(pic);
  auto* rec = new TbsDataSkinLabelControl("fixedlabel");
  rec->PictureIndex = 0;
  rec->SkinRect = TRect(0, 0, 40, 20);
  data->CtrlList->Add(rec);
  data->Empty = false;
  auto* f = new TbsSkinLabel(form);
  f->SetParent(form);
  f->SetSkinDataName("fixedlabel");
  f->SetAutoSize(true);
  f->SetSkinData(data);
  EXPECT_EQ(f->ResizeMode(), 0);
  EXPECT_FALSE(f->AutoSize());
  EXPECT_EQ(f->Width(), 40);

  // Without a skin, each border style draws its frame.
  auto* u = new TbsSkinLabel(form);
  u->SetParent(form);
  u->SetBounds(10, 200, 90, 22);
  u->SetCaption("Plain");
  xt::PumpUntilIdle();
  const std::pair<TbsSkinBorderStyle, std::pair<TColor, TColor>> styles[] = {
    { bs::bvRaised, { clBtnHighlight, clBtnShadow } },
    { bs::bvLowered, { clBtnShadow, clBtnHighlight } },
    { bs::bvFrame, { clBtnShadow, clBtnShadow } },
    { bs::bvNone, { clBtnFace, clBtnFace } },
  };
  for (const auto& [style, colours] : styles) {
    u->SetBorderStyle(style);
    xt::PumpUntilIdle();
    EXPECT_EQ(Px(u, 40, 0), Rgb(colours.first)) << int(style);
    EXPECT_EQ(Px(u, 40, 21), Rgb(colours.second)) << int(style);
  }
  Gallery(u, "bsSkinCtrls", "plain");
}

TEST_F(LabelTest, TheStatusPanelShowsTheGlyphCellForItsState) {
  LoadTestSkin();
  // Two 8 x 8 cells, red and blue, each with a transparent bottom-left pixel.
  TBitmap strip;
  strip.SetSize(16, 8);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(TRect(0, 0, 8, 8));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(TRect(8, 0, 16, 8));
  strip.Canvas()->SetPixels(0, 7, clFuchsia);
  strip.Canvas()->SetPixels(8, 7, clFuchsia);
  auto* two = new TbsSkinStatusPanel(form);
  auto* one = new TbsSkinStatusPanel(form);
  auto* skinned = new TbsSkinStatusPanel(form);
  int top = 10;
  for (TbsSkinStatusPanel* p : { two, one, skinned }) {
    p->SetParent(form);
    p->SetBounds(10, top, 90, 22);
    p->SetCaption("Ready");
    p->SetGlyph(&strip);
    top += 30;
  }
  TBitmap red;
  red.SetSize(8, 8);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect(0, 0, 8, 8));
  red.Canvas()->SetPixels(0, 7, clFuchsia);
  one->SetGlyph(&red);
  one->SetNumGlyphs(1);
  skinned->SetSkinData(skin);
  Show();
  EXPECT_EQ(Px(two, 6, 11), Rgb(clRed));
  EXPECT_EQ(Px(skinned, skinned->NewClRect.Left + 3, 11), Rgb(clRed));
  Gallery(two, "bsSkinCtrls", "enabled");
  Gallery(skinned, "bsSkinCtrls", "skin-enabled");
  for (TbsSkinStatusPanel* p : { two, one, skinned }) p->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(two, 6, 11), Rgb(clBlue));
  EXPECT_EQ(Px(one, 6, 11), Rgb(clRed));  // one cell only: no disabled image to read past the strip
  EXPECT_EQ(Px(skinned, skinned->NewClRect.Left + 3, 11), Rgb(clBlue));
  Gallery(two, "bsSkinCtrls", "disabled");
  one->SetNumGlyphs(7);
  EXPECT_EQ(one->NumGlyphs(), 2);
}

namespace {

class TLabelForm : public TForm {
  XJ_CLASS(TLabelForm, TForm)
 public:
  explicit TLabelForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(LabelTest, EveryLabelReadsBackFromAStream) {
  auto* a = new TLabelForm(nullptr);
  Keep(a);
  auto* s = new TbsSkinStdLabel(a);
  s->SetName("Std1");
  s->SetParent(a);
  s->SetCaption("标签");
  s->SetUseSkinFont(false);
  s->DefaultFont()->SetHeight(-17);
  auto* l = new TbsSkinLabel(a);
  l->SetName("Label1");
  l->SetParent(a);
  l->SetAlignment(taCenter);
  l->SetBorderStyle(bs::bvFrame);
  auto* p = new TbsSkinStatusPanel(a);
  p->SetName("Panel1");
  p->SetParent(a);
  p->SetNumGlyphs(1);
  TBitmap g;
  g.SetSize(5, 3);
  p->SetGlyph(&g);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TLabelForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* s2 = dynamic_cast<TbsSkinStdLabel*>(b->FindComponent("Std1"));
  auto* l2 = dynamic_cast<TbsSkinLabel*>(b->FindComponent("Label1"));
  auto* p2 = dynamic_cast<TbsSkinStatusPanel*>(b->FindComponent("Panel1"));
  ASSERT_TRUE(s2 && l2 && p2) << text;
  EXPECT_EQ(s2->Caption(), "标签");
  EXPECT_FALSE(s2->UseSkinFont());
  EXPECT_TRUE(s2->Transparent());
  EXPECT_EQ(s2->DefaultFont()->Height(), -17);
  EXPECT_EQ(s2->SkinDataName(), "stdlabel");
  EXPECT_EQ(l2->Alignment(), taCenter);
  EXPECT_EQ(l2->BorderStyle(), bs::bvFrame);
  EXPECT_EQ(p2->NumGlyphs(), 1);
  EXPECT_EQ(p2->Glyph()->Width(), 5);
  EXPECT_EQ(p2->SkinDataName(), "statuspanel");
  EXPECT_EQ(WriteComponentResource(b), text);
}

TEST_F(LabelTest, ASkinSwitchToRecordsWithoutAPictureOrMissingGivesTheRaisedDefaultLook) {
  LoadTestSkin();
  auto* l = new TbsSkinLabel(form);
  TbsSkinLabel* s = new TbsSkinStatusPanel(form);
  int top = 10;
  for (TbsSkinLabel* x : { l, s }) {
    x->SetParent(form);
    x->SetBounds(10, top, 97, 23);
    x->SetCaption("Ready");
    x->SetSkinData(skin);
    top += 40;
  }
  Show();
  for (const char* name : { "label", "statuspanel" }) {
    TControl* c = name[0] == 'l' ? static_cast<TControl*>(l) : s;
    EXPECT_EQ(Code(c, 1, 1).owner, OwnerOf(name)) << name;
    EXPECT_EQ(Code(c, 1, 1).code, RectCode("skinrect")) << name;
  }
  LoadSecondSkin();
  xt::PumpUntilIdle();
  // The second skin's label has no picture and it has no status panel at all.
  for (TbsSkinLabel* x : { l, s }) {
    EXPECT_EQ(x->Width(), 97);
    EXPECT_EQ(x->Height(), 23);
    EXPECT_EQ((std::array { Px(x, 0, 0), Px(x, 96, 22), Px(x, 2, 2) }),
              (std::array { Rgb(clBtnHighlight), Rgb(clBtnShadow), Rgb(clBtnFace) }));
    EXPECT_GT(Count(x, Rgb(clBtnText)), 5);  // the caption is still drawn
  }
  Gallery(l, "bsSkinCtrls", "second-nopicture");
  Gallery(s, "bsSkinCtrls", "second-missing");
}
