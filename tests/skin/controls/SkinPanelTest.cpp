// The skinned panel and group box: where children go, the built-in and skinned faces, the caption bar's
// check box and roll-up marker driven by clicks, and a rolled-up panel surviving child removal, mode
// changes, skin changes and a trip through a form resource.

#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

class PanelTest : public SkinControlsTest {
 protected:
  template <class P = TbsSkinPanel>
  P* NewPanel(int l, int t, int w, int h) {
    auto* p = new P(form);
    p->SetParent(form);
    p->SetBounds(l, t, w, h);
    return p;
  }
  TTestShape* NewChild(TWinControl* parent, TAlign align = alNone) {
    auto* c = new TTestShape(form);
    c->SetParent(parent);
    c->SetAlign(align);
    return c;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  // Counts pixels of colour C inside R of control P.
  int CountColour(TControl* P, const TRect& R, COLORREF C) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += Px(P, x, y) == C;
    return n;
  }
};

// A colour no face of the test skin has: what a paint leaves of it, it did not draw over.
constexpr COLORREF kUntouched = RGB(1, 2, 3);
constexpr COLORREF kUntouchedRead = 0x010203;  // as PixelsOf reads it

// The pixels of a picture, top row first, as 0x00RRGGBB.
std::vector<COLORREF> PixelsOf(TBitmap* B) {
  BITMAPINFO info {};
  info.bmiHeader =
      BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), B->Width(), -B->Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
  std::vector<COLORREF> out(size_t(B->Width()) * size_t(B->Height()));
  HDC dc = CreateCompatibleDC(nullptr);
  const int rows = GetDIBits(dc, B->Handle(), 0, UINT(B->Height()), out.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  EXPECT_EQ(rows, B->Height());
  return out;
}

// What a paint of C draws into a picture of its client size that held kUntouched before (WM_PAINT handed
// the picture's device context, as a print or a capture does it).
std::vector<COLORREF> PaintedInto(TWinControl* C) {
  TBitmap b;
  b.SetSize(C->ClientWidth(), C->ClientHeight());
  b.Canvas()->Brush()->SetColor(static_cast<int32_t>(kUntouched));
  b.Canvas()->FillRect(TRect(0, 0, b.Width(), b.Height()));
  SendMessageA(C->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(b.Canvas()->Handle()), 0);
  return PixelsOf(&b);
}

class TPanelForm : public TForm {
  XJ_CLASS(TPanelForm, TForm)
 public:
  explicit TPanelForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(PanelTest, ChildrenAreAlignedInsideFrameAndCaptionBar) {
  auto* group = new TbsSkinGroupBox(form);
  group->SetParent(form);
  EXPECT_EQ((std::array { group->Width(), group->Height() }), (std::array { 185, 41 }));
  EXPECT_EQ(group->SkinDataName(), "groupbox");
  auto* inGroup = NewChild(group, alClient);
  Show();
  EXPECT_EQ(inGroup->BoundsRect(), TRect(1, 23, 184, 40));

  struct Case {
    TbsSkinBorderStyle style;
    bool caption;
    TRect client;
  };
  // A lopsided 131 x 77 panel.
  const Case cases[] = {
    { bs::bvRaised, false, TRect(1, 1, 130, 76) }, { bs::bvLowered, true, TRect(1, 23, 130, 76) },
    { bs::bvFrame, true, TRect(1, 23, 130, 76) },  { bs::bvNone, false, TRect(0, 0, 131, 77) },
    { bs::bvNone, true, TRect(0, 22, 131, 77) },
  };
  auto* p = NewPanel(200, 5, 131, 77);
  EXPECT_EQ(p->SkinDataName(), "panel");
  auto* child = NewChild(p, alClient);
  for (const Case& k : cases) {
    p->SetBorderStyle(k.style);
    p->SetCaptionMode(k.caption);
    EXPECT_EQ(child->BoundsRect(), k.client) << int(k.style) << k.caption;
  }
  p->SetDefaultCaptionHeight(30);
  EXPECT_EQ(child->BoundsRect(), TRect(0, 30, 131, 77));
}

TEST_F(PanelTest, DefaultLookDrawsEachBorderStyleAndTheCaptionBar) {
  const COLORREF hi = Rgb(clBtnHighlight), sh = Rgb(clBtnShadow), face = Rgb(clBtnFace), text = Rgb(clBtnText);
  auto* raised = NewPanel(5, 5, 97, 41);
  auto* lowered = NewPanel(110, 5, 97, 41);
  lowered->SetBorderStyle(bs::bvLowered);
  auto* framed = NewPanel(215, 5, 97, 41);
  framed->SetBorderStyle(bs::bvFrame);
  auto* bar = NewPanel(5, 60, 151, 63);
  bar->SetCaptionMode(true);
  bar->SetCheckedMode(true);
  bar->SetRollUpMode(true);
  bar->SetChecked(true);
  Show();
  EXPECT_EQ((std::array { Px(raised, 0, 0), Px(raised, 96, 40), Px(raised, 96, 0), Px(raised, 50, 20) }),
            (std::array { hi, sh, sh, face }));
  EXPECT_EQ((std::array { Px(lowered, 0, 0), Px(lowered, 96, 40) }), (std::array { sh, hi }));
  EXPECT_EQ((std::array { Px(framed, 0, 0), Px(framed, 96, 40) }), (std::array { sh, sh }));
  // The bar: a sunken then a raised ring from (1, 1) to the default caption height; the check box frame
  // at x = 5 centred in the bar's interior; the check mark inside it; the up arrow at the right end.
  EXPECT_EQ((std::array { Px(bar, 1, 1), Px(bar, 149, 21), Px(bar, 2, 2), Px(bar, 148, 20) }),
            (std::array { sh, hi, hi, sh }));
  EXPECT_EQ((std::array { Px(bar, 5, 4), Px(bar, 18, 17) }), (std::array { sh, sh }));
  EXPECT_GT(CountColour(bar, TRect(6, 5, 18, 17), text), 10);
  EXPECT_GT(CountColour(bar, TRect(138, 3, 148, 20), text), 5);
  EXPECT_EQ(CountColour(bar, TRect(138, 22, 148, 62), text), 0);
  Gallery(raised, "bsSkinCtrls", "default-raised");
  // A two-cell glyph before the caption: cell 1 while enabled, cell 2 while disabled.
  TBitmap glyph;
  glyph.SetSize(16, 7);  // two 8 x 7 cells over a fuchsia bottom row, the transparent colour
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(255, 0, 255)));
  glyph.Canvas()->FillRect(TRect(0, 0, 16, 7));
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(255, 0, 0)));
  glyph.Canvas()->FillRect(TRect(0, 0, 8, 6));
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(0, 0, 255)));
  glyph.Canvas()->FillRect(TRect(8, 0, 16, 6));
  bar->SetGlyph(&glyph);
  bar->SetNumGlyphs(2);
  bar->SetCaption("Go");
  xt::PumpUntilIdle();
  // Left-justified after the box: the glyph from x = 3 + 20 + 2 = 25, y = 3 + 17 / 2 - 7 / 2 = 8.
  EXPECT_EQ((std::array { Px(bar, 25, 8), Px(bar, 32, 13), Px(bar, 24, 8), Px(bar, 25, 14) }),
            (std::array { RGB(255, 0, 0), RGB(255, 0, 0), face, face }));
  bar->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(bar, 26, 11), RGB(0, 0, 255));
  Gallery(bar, "bsSkinCtrls", "default-glyph-disabled");
  bar->SetEnabled(true);
  Gallery(bar, "bsSkinCtrls", "default-caption-checked");
  bar->SetChecked(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(CountColour(bar, TRect(6, 5, 18, 17), text), 0);
}

TEST_F(PanelTest, ACaptionClickRollsUpAndBackRestoringExactlyTheVisibleChildren) {
  auto* p = NewPanel(10, 10, 160, 100);
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  auto* shown = NewChild(p);
  auto* hidden = NewChild(p);
  hidden->SetVisible(false);
  Show();
  ClickAt(p, 60, 10, xt::mbRight);  // a right click toggles nothing
  EXPECT_FALSE(p->RollUpState());
  ClickAt(p, 60, 10);
  EXPECT_TRUE(p->RollUpState());
  EXPECT_EQ(p->Height(), 23);
  EXPECT_EQ(p->SavedHeight(), 100);
  EXPECT_FALSE(shown->Visible());
  Gallery(p, "bsSkinCtrls", "default-rolledup");
  p->SetRollUpState(true);  // a second roll-up keeps the first saved height
  EXPECT_EQ(p->SavedHeight(), 100);
  ClickAt(p, 159, 22);  // the bar's edge counts
  EXPECT_FALSE(p->RollUpState());
  EXPECT_EQ(p->Height(), 100);
  EXPECT_TRUE(shown->Visible());
  EXPECT_FALSE(hidden->Visible());
  EXPECT_EQ(p->HiddenControls(), nullptr);
}

TEST_F(PanelTest, ARolledUpPanelSurvivesLosingAChildAndItsMode) {
  auto* p = NewPanel(10, 10, 160, 100);
  p->SetRollUpMode(true);
  auto* keep = NewChild(p);
  auto* freed = NewChild(p);
  auto* moved = NewChild(p);
  p->SetRollUpState(true);
  delete freed;            // freed while remembered
  moved->SetParent(form);  // taken elsewhere while remembered
  moved->SetVisible(false);
  ASSERT_EQ(p->HiddenControls()->Count(), 1);
  // Switching the mode off first and then clearing the state still unrolls.
  p->SetRollUpMode(false);
  EXPECT_TRUE(p->RollUpState());
  p->SetRollUpState(false);
  EXPECT_FALSE(p->RollUpState());
  EXPECT_EQ(p->Height(), 100);
  EXPECT_TRUE(keep->Visible());
  EXPECT_FALSE(moved->Visible());
  // Without the mode, True is refused.
  p->SetRollUpState(true);
  EXPECT_FALSE(p->RollUpState());
  EXPECT_EQ(p->Height(), 100);
}

TEST_F(PanelTest, TheCheckBoxFiresOnEveryAssignmentAndDrivesTheChildren) {
  auto* p = NewPanel(10, 10, 160, 80);
  auto* a = NewChild(p);
  auto* b = new TTestButton(form);
  b->SetParent(p);
  b->SetTop(40);
  int fired = 0;
  p->OnChecked = On<TNotifyEvent>([&](TObject* s) {
    EXPECT_EQ(s, p);
    ++fired;
  });
  p->SetChecked(false);  // off: fires, children left alone
  EXPECT_EQ(fired, 1);
  EXPECT_TRUE(a->Enabled());
  p->SetCheckedMode(true);
  p->SetCaptionMode(true);
  p->SetChecked(false);
  EXPECT_EQ(fired, 2);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  Show();
  ClickAt(p, 12, 12);
  EXPECT_TRUE(p->Checked());
  EXPECT_EQ(fired, 3);
  EXPECT_TRUE(a->Enabled() && b->Enabled());
  p->SetAutoEnabledControls(false);
  p->SetChecked(false);
  EXPECT_TRUE(a->Enabled());
  // Both modes: one click toggles both.
  p->SetRollUpMode(true);
  ClickAt(p, 40, 10);
  EXPECT_TRUE(p->Checked());
  EXPECT_TRUE(p->RollUpState());
}

TEST_F(PanelTest, SkinnedFaceCaptionAndMarkerComeFromTheRecord) {
  LoadTestSkin();
  auto* p = NewPanel(10, 10, 185, 71);
  p->SetCaption("Wj");
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  p->SetCheckedMode(true);
  p->SetSkinData(skin);
  auto* child = NewChild(p, alClient);
  Show();
  const uint8_t owner = OwnerOf("panel");
  EXPECT_EQ(Code(p, 1, 1).owner, owner);
  EXPECT_EQ(Code(p, 1, 1).code, RectCode("skinrect"));
  EXPECT_EQ(Code(p, 183, 69).owner, owner);
  // Client area: the skin's client rectangle moved to the size (4, 24) .. (185 - 4, 71 - 4).
  EXPECT_EQ(child->BoundsRect(), TRect(4, 24, 181, 67));
  EXPECT_EQ(p->NewCaptionRect, TRect(4, 2, 181, 20));
  // The unchecked image at the bar's left, the caption in the skin's font colour.
  const auto box = Code(p, p->NewCaptionRect.Left + 5, 11);
  EXPECT_EQ(box.code, RectCode("uncheckimagerect"));
  EXPECT_GT(CountColour(p, p->NewCaptionRect, Rgb(p->FontColor)), 5);
  const TRect marker = p->NewRollUpMarkerRect;
  ASSERT_FALSE(IsNullRect(marker));
  EXPECT_EQ(Code(p, marker.Left + 3, marker.Top + 3).code, RectCode("skinrect"));
  Gallery(p, "bsSkinCtrls", "skinned-caption");

  ClickAt(p, marker.Left + 3, marker.Top + 3);
  EXPECT_TRUE(p->RollUpState());
  EXPECT_TRUE(p->Checked());
  // Rolled up, the skin's frame and caption stay: 71 less the client height of 43.
  EXPECT_EQ(p->Height(), 28);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(p, marker.Left + 3, marker.Top + 3).code, RectCode("restoremarkerrect"));
  EXPECT_EQ(Code(p, p->NewCaptionRect.Left + 5, 11).code, RectCode("checkimagerect"));
  Gallery(p, "bsSkinCtrls", "skinned-rolledup");

  // Without a caption nothing is drawn in the bar, yet a click there still toggles.
  p->SetCaption("");
  p->SetRollUpMode(false);
  p->Invalidate();  // the mode alone repaints only the built-in look
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(p, p->NewCaptionRect.Left + 5, 11).code, RectCode("skinrect"));
  EXPECT_TRUE(IsNullRect(p->NewRollUpMarkerRect));
  ClickAt(p, 0, 0);  // the marker is gone: (0, 0) is no target
  EXPECT_TRUE(p->Checked());
  ClickAt(p, 100, 11);
  EXPECT_FALSE(p->Checked());
  p->SetRollUpMode(true);

  // The skin goes while rolled up: the panel stays rolled at the default caption height and unrolls to
  // the height it had.
  BeforeChangeSkinDataWalk(form, skin);
  skin->ClearSkin();
  ChangeSkinDataWalk(form, skin);
  EXPECT_EQ(p->Height(), 23);
  p->SetRollUpState(false);
  EXPECT_EQ(p->Height(), 71);
  EXPECT_TRUE(child->Visible());
}

TEST_F(PanelTest, ABackgroundPictureTilesTheWholePanelAndABadOneIsIgnored) {
  LoadTestSkin();
  auto* tiled = NewPanel(10, 10, 150, 70);
  tiled->SetSkinDataName("toolpanel");
  tiled->SetSkinData(skin);
  auto* child = NewChild(tiled, alClient);
  Show();
  ASSERT_NE(tiled->BGPictureIndex, -1);
  EXPECT_EQ(child->BoundsRect(), TRect(0, 0, 150, 70));
  child->SetAlign(alNone);
  child->SetBounds(0, 60, 10, 10);
  xt::PumpUntilIdle();
  // The tile repeats: the same tile pixel one tile width further right.
  auto* tile = static_cast<TBitmap*>(skin->ActivePictures->Items(tiled->BGPictureIndex));
  const int tw = tile->Width();
  ASSERT_LT(tw + 3, 150);
  for (int x : { 3, 3 + tw }) {
    EXPECT_EQ(Code(tiled, x, 5).owner, mkskin::kOwnerTile) << x;
    EXPECT_EQ(Px(tiled, x, 5), Px(tiled, 3, 5)) << x;
  }
  Gallery(tiled, "bsSkinCtrls", "skinned-background");

  // Borderless without a caption, the face is the record's client part tiled from the top-left.
  auto* plain = NewPanel(170, 10, 131, 70);
  plain->SetBorderStyle(bs::bvNone);
  plain->SetSkinData(skin);
  xt::PumpUntilIdle();
  const int cw = RectWidth(plain->ClRect);
  for (int x : { 1, 1 + cw, 1 + 2 * cw }) {
    const auto px = Code(plain, x, 1);
    EXPECT_EQ(px.code, RectCode("skinrect")) << x;
    EXPECT_EQ(px.localX, (plain->ClRect.Left + 1) % 16) << x;
    EXPECT_EQ(px.localY, (plain->ClRect.Top + 1) % 16) << x;
  }
  Gallery(plain, "bsSkinCtrls", "skinned-tiled");

  // A record whose background index runs past the pictures, and one naming an empty picture.
  auto* rec = dynamic_cast<TbsDataSkinPanelControl*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("toolpanel"))));
  ASSERT_NE(rec, nullptr);
  rec->BGPictureIndex = skin->ActivePictures->Count();
  tiled->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(tiled->BGPictureIndex, -1);
  EXPECT_EQ(Code(tiled, 1, 1).owner, OwnerOf("toolpanel"));
  auto* empty = new TBitmap();
  skin->ActivePictures->Add(empty);
  rec->BGPictureIndex = skin->ActivePictures->Count() - 1;
  tiled->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(tiled->BGPictureIndex, -1);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(3, 3, 147, 67));
}

TEST_F(PanelTest, ARolledUpPanelReadsBackRolledWithItsFullHeightAndHiddenChildren) {
  auto* a = new TPanelForm(nullptr);
  Keep(a);
  auto* p = new TbsSkinPanel(a);
  p->SetName("Panel1");
  p->SetParent(a);
  p->SetBounds(3, 4, 170, 90);
  p->SetCaption("卷起");
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  p->SetBorderStyle(bs::bvFrame);
  p->SetDefaultCaptionHeight(19);
  p->SetNumGlyphs(2);
  auto* visible = new TbsSkinCheckRadioBox(a);
  visible->SetName("Visible1");
  visible->SetParent(p);
  auto* invisible = new TbsSkinCheckRadioBox(a);
  invisible->SetName("Invisible1");
  invisible->SetParent(p);
  invisible->SetVisible(false);
  p->SetRollUpState(true);
  ASSERT_EQ(p->Height(), 20);
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TPanelForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinPanel*>(b->FindComponent("Panel1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_TRUE(back->RollUpState());
  EXPECT_EQ(back->Height(), 20);
  EXPECT_EQ(back->BorderStyle(), bs::bvFrame);
  EXPECT_EQ((std::array { back->DefaultCaptionHeight(), int(back->NumGlyphs()) }), (std::array { 19, 2 }));
  EXPECT_EQ(WriteComponentResource(b), text);
  back->SetRollUpState(false);
  EXPECT_EQ(back->Height(), 90);
  EXPECT_TRUE(static_cast<TControl*>(b->FindComponent("Visible1"))->Visible());
  EXPECT_FALSE(static_cast<TControl*>(b->FindComponent("Invisible1"))->Visible());

  // A resource that says only "rolled up": the streamed height is taken as the full one.
  auto* c = new TPanelForm(nullptr);
  Keep(c);
  ReadComponentResource(c,
                        "object PanelForm: TPanelForm\n"
                        "  object Panel2: TbsSkinPanel\n"
                        "    Left = 0\n    Top = 0\n    Width = 120\n    Height = 77\n"
                        "    RollUpMode = True\n    RollUpState = True\n"
                        "  end\n"
                        "end\n");
  auto* bare = dynamic_cast<TbsSkinPanel*>(c->FindComponent("Panel2"));
  ASSERT_NE(bare, nullptr);
  EXPECT_TRUE(bare->RollUpState());
  EXPECT_EQ(bare->SavedHeight(), 77);
  EXPECT_EQ(bare->Height(), 23);
}

// The default height is the unrolled panel's, written beside the rolled one's Height: read in either
// order, the panel comes back rolled up at the height it was written with.
TEST_F(PanelTest, ARolledUpPanelWithADefaultHeightReadsBackAtItsRolledHeightInEitherOrder) {
  auto* a = new TPanelForm(nullptr);
  Keep(a);
  auto* p = new TbsSkinPanel(a);
  p->SetName("Panel1");
  p->SetParent(a);
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  p->SetDefaultCaptionHeight(19);
  p->SetDefaultHeight(137);
  ASSERT_EQ(p->Height(), 137);
  p->SetRollUpState(true);
  ASSERT_EQ(p->Height(), 20);
  const std::string text = WriteComponentResource(a).c_str();
  const size_t at = text.find("    DefaultHeight = 137\r\n");
  ASSERT_NE(at, std::string::npos) << text;
  std::string first = text;  // the default height read before the height
  first.erase(at, 25);
  first.insert(first.find("    Height = 20\r\n"), "    DefaultHeight = 137\r\n");
  for (const std::string& t : { text, first }) {
    auto* b = new TPanelForm(nullptr);
    Keep(b);
    ReadComponentResource(b, t.c_str());
    auto* back = dynamic_cast<TbsSkinPanel*>(b->FindComponent("Panel1"));
    ASSERT_NE(back, nullptr) << t;
    EXPECT_EQ(back->Height(), 20) << t;
    EXPECT_EQ(std::string(WriteComponentResource(b).c_str()), text);
    back->SetRollUpState(false);
    EXPECT_EQ(back->Height(), 137);
  }
}

TEST_F(PanelTest, ASkinSwitchOnALiveFormRedrawsFromTheSecondSkinOrFallsBackToTheDefaultLook) {
  LoadTestSkin();
  auto* p = NewPanel(10, 10, 150, 77);
  p->SetSkinData(skin);
  auto* child = NewChild(p, alClient);
  auto* g = NewPanel<TbsSkinGroupBox>(170, 10, 131, 61);
  g->SetCaption("Gq");
  g->SetSkinData(skin);
  auto* gone = NewPanel(10, 100, 97, 41);  // a record the second skin lacks
  gone->SetSkinDataName("bigtoolpanel");
  gone->SetSkinData(skin);
  Show();
  const uint8_t firstOwner = OwnerOf("panel");
  EXPECT_EQ(child->BoundsRect(), TRect(4, 24, 146, 73));
  EXPECT_EQ(Code(gone, 1, 1).owner, OwnerOf("bigtoolpanel"));

  LoadSecondSkin();
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("panel");
  ASSERT_NE(owner, firstOwner);
  for (TPoint at : { TPoint(1, 1), TPoint(148, 75), TPoint(2, 74) }) {
    EXPECT_EQ(Code(p, at.X, at.Y).owner, owner) << at.X << "," << at.Y;
    EXPECT_EQ(Code(p, at.X, at.Y).code, RectCode("skinrect")) << at.X << "," << at.Y;
  }
  // The children are placed in the second skin's (lopsided) client rectangle.
  EXPECT_EQ(child->BoundsRect(), TRect(5, 26, 147, 71));
  EXPECT_EQ(Code(g, 1, 30).owner, OwnerOf("groupbox"));
  EXPECT_EQ(Code(g, 129, 59).owner, OwnerOf("groupbox"));
  // Missing there: the raised default look.
  EXPECT_EQ((std::array { Px(gone, 0, 0), Px(gone, 96, 40), Px(gone, 50, 20) }),
            (std::array { Rgb(clBtnHighlight), Rgb(clBtnShadow), Rgb(clBtnFace) }));
  Gallery(p, "bsSkinCtrls", "second");
  Gallery(g, "bsSkinCtrls", "second");
  Gallery(gone, "bsSkinCtrls", "second-missing");
}

// Panels and bars far larger than the form (sized by a skin, or aligned in a small form) build their face
// only as far as the form's client area shows them: nothing is drawn past that, and what is drawn is the
// whole face's own pixels there.
TEST_F(PanelTest, PanelsAndBarsLargerThanTheirFormBuildOnlyWhatShows) {
  LoadTestSkin();
  auto* panel = NewPanel(10, 20, 300, 5000);
  panel->SetSkinData(skin);
  auto* status = new TbsSkinStatusBar(form);
  status->SetParent(form);
  status->SetAlign(alNone);
  status->SetBounds(60, 150, 4000, 21);
  status->SetSkinData(skin);
  auto* bar = new TbsSkinControlBar(form);
  bar->SetParent(form);
  bar->SetBounds(330, 40, 2000, 3000);
  bar->SetSkinData(skin);
  Show();
  ASSERT_EQ(panel->Height(), 5000);
  ASSERT_EQ(status->Width(), 4000);
  ASSERT_EQ(bar->ClientHeight(), 3000);
  struct Case {
    TWinControl* control;
    TbsSkinControl* skinned;  // its face can be built whole for comparison; null: the control bar
    int shownW, shownH;
  };
  const int cw = form->ClientWidth(), ch = form->ClientHeight();
  for (const Case& k : { Case { panel, panel, 300, ch - 20 }, Case { status, status, cw - 60, status->Height() },
                         Case { bar, nullptr, cw - 330, ch - 40 } }) {
    const std::string name = k.control->ClassName().c_str();
    const int w = k.control->ClientWidth(), h = k.control->ClientHeight();
    const std::vector<COLORREF> painted = PaintedInto(k.control);
    std::vector<COLORREF> whole;
    if (k.skinned) {
      TBitmap face;
      face.SetSize(w, h);
      k.skinned->CreateControlSkinImage(&face);
      ASSERT_EQ((std::array { face.Width(), face.Height() }), (std::array { w, h })) << name;
      whole = PixelsOf(&face);
    }
    int drawnOutside = 0, missedInside = 0, wrongInside = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        if (x >= k.shownW || y >= k.shownH)
          drawnOutside += painted[i] != kUntouchedRead;
        else if (painted[i] == kUntouchedRead)
          ++missedInside;
        else if (!whole.empty() && painted[i] != whole[i])
          ++wrongInside;
      }
    EXPECT_EQ(drawnOutside, 0) << name;
    EXPECT_EQ(missedInside, 0) << name;
    EXPECT_EQ(wrongInside, 0) << name;
  }
}
