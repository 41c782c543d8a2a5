// The skinned splitter and control bar: the bar and the bands' frames cut from the skin at any size,
// the thickness and MinSize a skin gives, the stock look without a usable record, the skin-change walk,
// bad background indexes and empty tiles, and form resources.

#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class SkinSplitterTest : public SkinControlsTest {
 protected:
  TPanel* Panel(TAlign a, int w, int h) {
    auto* p = new TPanel(form);
    p->SetAlign(a);
    p->SetBounds(0, 0, w, h);
    p->SetParent(form);
    return p;
  }
  TbsSkinSplitter* Splitter(TAlign a, int pos) {
    auto* s = new TbsSkinSplitter(form);
    s->SetAlign(a);
    s->SetBounds(pos, pos, 3, 3);
    s->SetParent(form);
    return s;
  }
  TbsDataSkinControlBar* BarRecord() {
    return dynamic_cast<TbsDataSkinControlBar*>(
        static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("controlbar"))));
  }
};

TEST_F(SkinSplitterTest, SplitterTakesTheSkinsThicknessAndFaceInEachLook) {
  LoadTestSkin();
  TPanel* left = Panel(alLeft, 83, 10);
  TbsSkinSplitter* s = Splitter(alLeft, 90);
  TPanel* top = Panel(alTop, 10, 47);
  TbsSkinSplitter* across = Splitter(alTop, 50);
  Panel(alClient, 10, 10);
  s->SetResizeStyle(rsUpdate);
  s->SetAutoSnap(false);
  s->SetSkinData(skin);
  across->SetSkinData(skin);
  ShowUnfocused();
  // The skin's bar is 6 x 32: its width across a left splitter, its height across a top one; MinSize too.
  EXPECT_EQ(s->Width(), 6);
  EXPECT_EQ(s->MinSize(), 6);
  EXPECT_EQ(across->Height(), 32);
  const uint8_t owner = OwnerOf("vsplitter");
  ASSERT_NE(owner, 0);
  // Caps of 4 rows at each end, the middle tiled from source row 4.
  const int h = s->Height();
  for (auto [y, sy] : { std::pair { 0, 0 }, { 3, 3 }, { 4, 4 }, { h - 4, 28 }, { h - 1, 31 } }) {
    const auto px = Code(s, 5, y);
    EXPECT_EQ(px.owner, owner) << y;
    EXPECT_EQ(px.localX, 5) << y;
    EXPECT_EQ(px.localY, sy % 16) << y;
  }
  EXPECT_EQ(Code(across, across->Width() - 3, 31).owner, owner);  // its fixed right end
  Gallery(s, "bsSkinCtrls", "test");
  // A drag stops at the skin's thickness, which the splitter keeps as MinSize.
  const TPoint down = At(s, 2, 2);
  xt::MouseDown(xt::mbLeft, down.X, down.Y);
  xt::MouseMove(down.X + 31, down.Y);
  EXPECT_EQ(left->Width(), 114);
  xt::MouseMove(down.X - 200, down.Y);
  xt::MouseUp(xt::mbLeft, down.X - 200, down.Y);
  EXPECT_EQ(left->Width(), 6);

  // The second skin through the skin-change walk: 8 wide, its own pictures.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(s->Width(), 8);
  EXPECT_EQ(s->MinSize(), 8);
  EXPECT_EQ(across->Height(), 40);
  EXPECT_EQ(Code(s, 3, 20).owner, OwnerOf("vsplitter"));
  EXPECT_NE(OwnerOf("vsplitter"), owner);
  Gallery(s, "bsSkinCtrls", "second");

  // No skin: DefaultSize and the stock bar in the form's colour.
  s->SetDefaultSize(7);
  s->SetSkinData(nullptr);
  across->SetSkinData(nullptr);
  xt::PumpUntilIdle();
  EXPECT_EQ(s->Width(), 7);
  EXPECT_EQ(across->Height(), 10);
  EXPECT_EQ(s->SkinObjectIndex(), -1);
  EXPECT_EQ(s->Picture, nullptr);
  EXPECT_EQ(Px(s, 3, 20), ColorToRGB(form->Color()));
  Gallery(s, "bsSkinCtrls", "none");
  EXPECT_EQ(top->Height(), 47);
}

TEST_F(SkinSplitterTest, SplitterWithoutAnEdgeOrWithAFreedSkinPaintsTheStockLook) {
  LoadTestSkin();
  form->SetColor(clBtnFace);
  auto* loose = Splitter(alNone, 40);
  loose->SetBounds(40, 40, 9, 30);
  loose->SetSkinData(skin);
  auto* own = new TbsSkinData(form);
  own->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  auto* edge = Splitter(alRight, 300);
  edge->SetSkinData(own);
  ShowUnfocused();
  EXPECT_NE(loose->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(loose, 4, 10), RGB(192, 192, 192));
  EXPECT_EQ(Code(edge, 2, 10).owner, OwnerOf("vsplitter"));
  delete own;
  EXPECT_EQ(edge->SkinData(), nullptr);
  edge->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(edge, 2, 10), RGB(192, 192, 192));
}

TEST_F(SkinSplitterTest, ControlBarCutsBackgroundAndBandFramesFromTheSkin) {
  LoadTestSkin();
  auto* bar = new TbsSkinControlBar(form);
  bar->SetBounds(10, 10, 260, 90);
  bar->SetParent(form);
  auto* band = new TPanel(form);
  band->SetBounds(11, 2, 87, 26);  // a band of 100 x 30
  band->SetParent(bar);
  ShowUnfocused();
  // Unskinned: the stock look, but never the stock border.
  EXPECT_EQ(bar->Width(), bar->ClientWidth());
  EXPECT_EQ(Px(bar, 200, 60), RGB(192, 192, 192));
  Gallery(bar, "bsSkinCtrls", "none");

  bar->SetSkinData(skin);
  bar->RecreateWnd();
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("controlbar");
  ASSERT_NE(owner, 0);
  // Skinned without SkinBevel: no window border at all.
  EXPECT_EQ(bar->Width(), bar->ClientWidth());
  // The frame: the grip from the band picture's left part, the right strip from its right edge.
  const TRect item = bar->ItemRect;
  const auto grip = Code(bar, 5, 10), right = Code(bar, 99, 14), bottom = Code(bar, 50, 29);
  for (const auto& px : { grip, right, bottom }) {
    EXPECT_EQ(px.owner, owner);
    EXPECT_EQ(px.code, RectCode("itemrect"));
  }
  EXPECT_EQ(grip.localX, 5);
  EXPECT_EQ(right.localX, (item.Width() - 1) % 16);
  EXPECT_EQ(bottom.localY, (item.Height() - 1) % 16);
  // The background: the skin's background picture when it has a usable one, else the client part.
  if (bar->BGPictureIndex != -1) {
    EXPECT_NE(Code(bar, 200, 60).owner, owner);
  }
  Gallery(bar, "bsSkinCtrls", "test");
  // An index past the pictures is no background picture: the client part of the record is tiled.
  BarRecord()->BGPictureIndex = 999;
  bar->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->BGPictureIndex, -1);
  EXPECT_EQ(Code(bar, 200, 60).owner, owner);
  EXPECT_EQ(Code(bar, 200, 60).code, RectCode("skinrect"));
  // An empty client part has nothing to tile: the face colour instead.
  const TRect client = BarRecord()->ClRect;
  BarRecord()->ClRect = TRect(5, 5, 5, 9);
  bar->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(bar, 200, 60), RGB(192, 192, 192));

  // SkinBevel: the client area inset by the skin's borders, which are drawn around it.
  BarRecord()->ClRect = client;
  bar->SetSkinBevel(true);
  xt::PumpUntilIdle();
  const TRect skinRect = BarRecord()->SkinRect;
  EXPECT_EQ(bar->Width() - bar->ClientWidth(), client.Left + skinRect.Width() - client.Right);
  EXPECT_EQ(bar->Height() - bar->ClientHeight(), client.Top + skinRect.Height() - client.Bottom);
  EXPECT_GT(bar->Width(), bar->ClientWidth());
  // The border itself, read just outside the client area on each side.
  for (auto [x, y] : { std::pair { -1, 10 }, { 100, -1 }, { bar->ClientWidth(), 10 }, { 100, bar->ClientHeight() } })
    EXPECT_EQ(Code(bar, x, y).owner, owner) << x << "," << y;
  Gallery(bar, "bsSkinCtrls", "test-bevel");

  // The second skin has no control bar record: the stock look, border style removed.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->SkinObjectIndex(), -1);
  EXPECT_EQ(bar->Width(), bar->ClientWidth());
  EXPECT_EQ(Px(bar, 200, 60), RGB(192, 192, 192));
  Gallery(bar, "bsSkinCtrls", "second");
}

class TSkinBarForm : public TForm {
  XJ_CLASS(TSkinBarForm, TForm)
 public:
  explicit TSkinBarForm(TComponent* AOwner) : TForm(AOwner) {}
  TbsSkinControlBar* Bar {};
  TbsSkinSplitter* Split {};
};

}  // namespace

XJ_PUBLISHED(TSkinBarForm,
  XJ_FIELD(Bar)
  XJ_FIELD(Split));

namespace {

TEST_F(SkinSplitterTest, StreamRoundTripKeepsTheSettingsAndWritesNoDefaults) {
  RegisterClasses({ TSkinBarForm::StaticClass() });
  auto* f = new TSkinBarForm(nullptr);
  Keep(f);
  ReadComponentResource(f,
                        "object SkinBarForm: TSkinBarForm\r\n"
                        "  object Bar: TbsSkinControlBar\r\n    Width = 150\r\n    Height = 40\r\n"
                        "    SkinBevel = True\r\n    SkinDataName = 'toolbar'\r\n    RowSize = 19\r\n  end\r\n"
                        "  object Split: TbsSkinSplitter\r\n    DefaultSize = 5\r\n"
                        "    SkinDataName = 'hsplitter'\r\n  end\r\nend\r\n");
  auto* g = new TSkinBarForm(nullptr);
  Keep(g);
  ReadComponentResource(g, WriteComponentResource(f));
  EXPECT_TRUE(g->Bar->SkinBevel());
  EXPECT_EQ(g->Bar->SkinDataName(), "toolbar");
  EXPECT_EQ(g->Bar->RowSize(), 19);
  EXPECT_EQ(g->Split->DefaultSize(), 5);
  EXPECT_EQ(g->Split->SkinDataName(), "hsplitter");
  auto* h = new TSkinBarForm(nullptr);
  Keep(h);
  h->Bar = new TbsSkinControlBar(h);
  h->Bar->SetName("Bar");
  h->Bar->SetParent(h);
  h->Split = new TbsSkinSplitter(h);
  h->Split->SetName("Split");
  h->Split->SetParent(h);
  const AnsiString text = WriteComponentResource(h);
  for (const char* name : { "SkinBevel", "SkinDataName", "DefaultSize", "AutoDrag", "RowSnap", "MinSize" })
    EXPECT_EQ(text.find(name), AnsiString::npos) << name << " in\n" << text;
}

}  // namespace
