// The skinned page control, tab control and tab sheets: tabs, frame and sheets painted from the skin's
// tab record in every tab position, the state images of the tabs, hot tracking, the skinned geometry,
// the default look and the second skin's background picture, skin switches, and bad skins.

#include "platform/vcl/ImgList.h"
#include "platform/win32/CommCtrl.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kBtnFace = RGB(192, 192, 192);
const TTabPosition kPositions[] = { tpTop, tpBottom, tpLeft, tpRight };
const char* const kPositionNames[] = { "top", "bottom", "left", "right" };

class SkinTabsTest : public SkinControlsTest {
 protected:
  TbsSkinPageControl* NewPages(int count, TTabPosition pos = tpTop, int w = 233, int h = 151) {
    auto* pc = new TbsSkinPageControl(form);
    pc->SetParent(form);
    pc->SetBounds(9, 7, w, h);
    pc->SetTabPosition(pos);
    for (int i = 0; i < count; ++i) {
      auto* s = new TbsSkinTabSheet(pc);
      s->SetPageControl(pc);
      s->SetCaption(AnsiString("P") + AnsiString(std::to_string(i).c_str()));
    }
    pc->SetActivePageIndex(0);
    return pc;
  }
  TbsSkinTabControl* NewTabs(std::initializer_list<const char*> tabs, TTabPosition pos = tpTop) {
    auto* tc = new TbsSkinTabControl(form);
    tc->SetParent(form);
    tc->SetBounds(11, 13, 221, 143);
    tc->SetTabPosition(pos);
    for (const char* t : tabs) tc->Tabs()->Add(t);
    tc->SetTabIndex(0);
    return tc;
  }
  // The state image at the tab's source (1, 1), wherever the turn put it.
  mkskin::DecodedPixel TabCorner(TCustomTabControl* c, int item) {
    const TRect r = c->TabRect(item);
    switch (c->TabPosition()) {
      case tpLeft:
        return Code(c, r.Left + 1, r.Bottom - 2);
      case tpRight:
        return Code(c, r.Right - 2, r.Top + 1);
      default:
        return Code(c, r.Left + 1, r.Top + 1);
    }
  }
  void Show() {
    ShowUnfocused();
    xt::PumpUntilIdle();
  }
};

}  // namespace

TEST_F(SkinTabsTest, TabsFrameAndSheetComeFromTheSkinInEveryPosition) {
  LoadTestSkin();
  const uint8_t owner = OwnerOf("tab");
  ASSERT_NE(owner, 0);
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(kPositionNames[p]);
    auto* pc = NewPages(3, kPositions[p]);
    pc->SetSkinData(skin);
    Show();
    ASSERT_EQ(pc->SkinObjectIndex(), skin->GetControlIndex("tab"));
    // Selected (unfocused) tab, then the others; every tab reads its image from the source's top-left,
    // so left tabs read bottom to top and right tabs top to bottom.
    for (int i = 0; i < 3; ++i) {
      const auto px = TabCorner(pc, i);
      EXPECT_EQ(px.owner, owner) << i;
      EXPECT_EQ(px.code, RectCode(i == 0 ? "activetabrect" : "tabrect")) << i;
      EXPECT_EQ(px.localX, 1) << i;
      EXPECT_EQ(px.localY, 1) << i;
    }
    // The frame's corners from the face's corners, the far one moved to the control's size.
    const TRect b = pc->Skin().Borders();
    const TRect d = pc->DisplayRect();
    const TRect face = pc->Skin().SkinRect;
    const auto lb = Code(pc, d.Left - b.Left, d.Bottom + b.Bottom - 1);
    EXPECT_EQ(lb.code, RectCode("skinrect"));
    EXPECT_EQ(lb.localX, 0);
    EXPECT_EQ(lb.localY, (face.Height() - 1) % 16);
    const auto rb = Code(pc, d.Right + b.Right - 1, d.Bottom + b.Bottom - 1);
    EXPECT_EQ(rb.code, RectCode("skinrect"));
    EXPECT_EQ(rb.localX, (face.Width() - 1) % 16);
    EXPECT_EQ(rb.localY, (face.Height() - 1) % 16);
    // The strip beyond the last tab shows its background tile.
    const TPoint strip = kPositions[p] == tpTop    ? TPoint(pc->Width() - 2, 1)
                         : kPositions[p] == tpLeft ? TPoint(1, pc->Height() - 2)
                                                   : TPoint(pc->Width() - 2, pc->Height() - 2);
    EXPECT_EQ(Code(pc, strip.X, strip.Y).code, RectCode("tabsbgrect"));
    // The sheet tiles the client piece from its own top-left.
    TTabSheet* sheet = pc->ActivePage();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->BoundsRect(), d);
    const auto s0 = Code(sheet, 0, 0);
    EXPECT_EQ(s0.owner, owner);
    EXPECT_EQ(s0.code, RectCode("skinrect"));
    EXPECT_EQ(s0.localX, pc->Skin().ClRect.Left % 16);
    EXPECT_EQ(s0.localY, pc->Skin().ClRect.Top % 16);
    Gallery(pc, "bsSkinTabs", std::string("skinned-") + kPositionNames[p]);
    delete pc;
  }
}

TEST_F(SkinTabsTest, EachTabStateShowsItsImageAndOnlyTheHotTabFollowsTheMouse) {
  LoadTestSkin();
  auto* tc = NewTabs({ "One", "Two", "Three" });
  tc->SetSkinData(skin);
  int changes = 0;
  tc->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  Show();
  EXPECT_EQ(TabCorner(tc, 0).code, RectCode("activetabrect"));
  EXPECT_EQ(TabCorner(tc, 1).code, RectCode("tabrect"));
  const TRect r1 = tc->TabRect(1), r2 = tc->TabRect(2), r0 = tc->TabRect(0);
  MoveTo(tc, r1.Left + 5, r1.Top + 5);
  EXPECT_EQ(tc->HotTab(), 1);
  EXPECT_EQ(TabCorner(tc, 1).code, RectCode("mouseintabrect"));
  MoveTo(tc, r2.Left + 5, r2.Top + 5);
  EXPECT_EQ(tc->HotTab(), 2);
  EXPECT_EQ(TabCorner(tc, 1).code, RectCode("tabrect"));
  EXPECT_EQ(TabCorner(tc, 2).code, RectCode("mouseintabrect"));
  // Over the selected tab: it stays the selected image; leaving forgets the hot tab entirely, so a later
  // selection change cannot leave it looking hot.
  MoveTo(tc, r0.Left + 5, r0.Top + 5);
  EXPECT_EQ(tc->HotTab(), 0);
  EXPECT_EQ(TabCorner(tc, 0).code, RectCode("activetabrect"));
  EXPECT_EQ(TabCorner(tc, 2).code, RectCode("tabrect"));
  MoveTo(FocusHolder(), 2, 2);
  EXPECT_EQ(tc->HotTab(), -1);
  tc->SetTabIndex(2);
  xt::PumpUntilIdle();
  EXPECT_EQ(TabCorner(tc, 0).code, RectCode("tabrect"));
  // A click selects and focuses: the focused image and colour.
  ClickAt(tc, r1.Left + 5, r1.Top + 5);
  xt::PumpUntilIdle();
  EXPECT_EQ(tc->TabIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(tc->Focused());
  EXPECT_EQ(TabCorner(tc, 1).code, RectCode("focustabrect"));
  Gallery(tc, "bsSkinTabs", "tabcontrol-focused");
}

TEST_F(SkinTabsTest, WithoutHotTrackNoTabLooksHotUnderTheMouse) {
  LoadTestSkin();
  for (bool pages : { false, true })
    for (bool skinned : { false, true })
      for (bool track : { false, true }) {
        SCOPED_TRACE(::testing::Message() << "pages " << pages << " skinned " << skinned << " track " << track);
        TCustomTabControl* c =
            pages ? static_cast<TCustomTabControl*>(NewPages(3)) : NewTabs({ "One", "Two", "Three" });
        if (skinned && pages) static_cast<TbsSkinPageControl*>(c)->SetSkinData(skin);
        if (skinned && !pages) static_cast<TbsSkinTabControl*>(c)->SetSkinData(skin);
        c->SetHotTrack(track);
        Show();
        const TRect r1 = c->TabRect(1);
        const std::vector<COLORREF> before = xt::WindowPixels(c->Handle(), false);
        MoveTo(c, r1.Left + 5, r1.Top + 5);
        xt::PumpUntilIdle();
        const int hot =
            pages ? static_cast<TbsSkinPageControl*>(c)->HotTab() : static_cast<TbsSkinTabControl*>(c)->HotTab();
        EXPECT_EQ(hot, track ? 1 : -1);
        EXPECT_EQ(xt::WindowPixels(c->Handle(), false) != before, track);
        if (skinned) {
          EXPECT_EQ(TabCorner(c, 1).code, RectCode(track ? "mouseintabrect" : "tabrect"));
        }
        MoveTo(FocusHolder(), 2, 2);
        xt::PumpUntilIdle();
        EXPECT_EQ(xt::WindowPixels(c->Handle(), false), before) << "nothing left hot";
        delete c;
      }
}

TEST_F(SkinTabsTest, ScrollOppositeTabsStandBelowTheFrameAndThePageBetween) {
  LoadTestSkin();
  for (bool skinned : { false, true }) {
    SCOPED_TRACE(skinned);
    auto* pc = NewPages(20, tpTop, 150, 181);
    if (skinned) pc->SetSkinData(skin);
    pc->SetMultiLine(true);
    pc->SetScrollOpposite(true);
    Show();
    ASSERT_GE(pc->RowCount(), 3);
    const TRect before = pc->DisplayRect();
    const int last = pc->PageCount() - 1;
    pc->SetActivePageIndex(last);  // a tab of the last row: the rows before it go below
    xt::PumpUntilIdle();
    const TRect d = pc->DisplayRect(), first = pc->TabRect(0), chosen = pc->TabRect(last);
    EXPECT_LT(d.Top, before.Top);
    EXPECT_LT(d.Bottom, before.Bottom);
    EXPECT_LE(chosen.Bottom, d.Top + 2);
    EXPECT_GE(first.Top, d.Bottom) << "the first row stands below the frame";
    EXPECT_LE(first.Bottom, pc->ClientHeight());
    EXPECT_EQ(pc->ActivePage()->BoundsRect(), d);
    if (skinned) {
      EXPECT_EQ(TabCorner(pc, 0).code, RectCode("tabrect"));
    }
    Gallery(pc, "bsSkinTabs", std::string(skinned ? "skinned" : "default") + "-scrollopposite");
    delete pc;
  }
}

TEST_F(SkinTabsTest, GeometryIsTheNativeLayoutMovedForTheSkin) {
  LoadTestSkin();
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(kPositionNames[p]);
    for (bool skinned : { false, true }) {
      SCOPED_TRACE(skinned);
      auto* tc = NewTabs({ "Alpha", "B", "Gamma" }, kPositions[p]);
      if (skinned) tc->SetSkinData(skin);
      // A stock twin of the same size, font and tab height gives the native answers.
      auto* stock = new TTabControl(form);
      stock->SetParent(form);
      stock->SetBounds(11, 13, 221, 143);
      stock->SetTabPosition(kPositions[p]);
      stock->Font()->Assign(tc->Font());
      stock->SetTabHeight(20);
      if (!skinned) tc->SetDefaultItemHeight(20);
      for (int i = 0; i < 3; ++i) stock->Tabs()->Add(tc->Tabs()->Strings(i));
      stock->SetTabIndex(0);
      const TRect n = stock->DisplayRect(), d = tc->DisplayRect();
      const TRect b = tc->Skin().Borders();
      const int CW = tc->ClientWidth(), CH = tc->ClientHeight();
      TRect e;
      if (!skinned) {
        const TRect table[] = { { 1, n.Top - 5, CW - 1, CH - 1 },
                                { 1, 1, CW - 1, n.Bottom + 3 },
                                { n.Left - 3, n.Top - 5, CW - 1, CH - 1 },
                                { n.Left - 3, n.Top - 5, n.Right + 3, CH - 1 } };
        e = table[p];
      } else {
        const TRect table[] = { { b.Left, n.Top - 6 + b.Top, CW - b.Right, CH - b.Bottom },
                                { b.Left, n.Top - 6 + b.Top, CW - b.Right, n.Bottom + 4 - b.Bottom },
                                { n.Left + b.Left - 4, n.Top - 6 + b.Top, CW - b.Right, CH - b.Bottom },
                                { b.Left, n.Top - 6 + b.Top, n.Right - b.Right + 4, CH - b.Bottom } };
        e = table[p];
      }
      EXPECT_EQ(d, e);
      // Tabs in the tabs style move 2 pixels outwards (and left, in a single row).
      const TPoint shift[] = { { -2, -2 }, { -2, 2 }, { -2, 0 }, { 2, 0 } };
      for (int i = 0; i < 3; ++i) EXPECT_EQ(tc->TabRect(i), bsShifted(stock->TabRect(i), shift[p].X, shift[p].Y)) << i;
      tc->SetStyle(tsButtons);
      stock->SetStyle(tsButtons);
      EXPECT_EQ(tc->TabRect(1), stock->TabRect(1));
      delete tc;
      delete stock;
    }
  }
}

TEST_F(SkinTabsTest, DefaultLookThenASecondSkinWithABackgroundPictureThroughTheSkinChangeWalk) {
  auto* pc = NewPages(3, tpTop);
  auto* tc = NewTabs({ "One", "Two" }, tpBottom);
  form->SetWidth(520);
  tc->SetLeft(260);
  Show();
  // No skin: button face, the navy-framed selected tab, a shadow line round the display area.
  EXPECT_EQ(pc->SkinObjectIndex(), -1);
  const TRect a = pc->TabRect(0), o = pc->TabRect(1), d = pc->DisplayRect();
  EXPECT_EQ(Px(pc, a.Left, a.Top), RGB(0, 0, 128));
  EXPECT_EQ(Px(pc, a.Left + 2, a.Top + 2), RGB(182, 189, 210));
  EXPECT_EQ(Px(pc, o.Left + 2, o.Top + 2), kBtnFace);
  EXPECT_EQ(Px(pc, d.Left - 1, d.Bottom), RGB(128, 128, 128));
  EXPECT_EQ(Px(pc->ActivePage(), 3, 3), kBtnFace);
  pc->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(pc, a.Left + 2, a.Top + 2), RGB(133, 147, 181));
  Gallery(pc, "bsSkinTabs", "default-focused");
  Gallery(tc, "bsSkinTabs", "default-tabcontrol-bottom");

  // The test skin, then the second one as a form switches skins.
  LoadTestSkin();
  pc->SetSkinData(skin);
  tc->SetSkinData(skin);
  EXPECT_EQ(tc->Font()->Color(), tc->Skin().FontColor);
  LoadSecondSkin();
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("tab");
  ASSERT_NE(owner, 0);
  EXPECT_EQ(pc->SkinObjectIndex(), skin->GetControlIndex("tab"));
  EXPECT_EQ(tc->SkinObjectIndex(), skin->GetControlIndex("tab"));
  // Neither a selected nor a focused image: the selected tab shows the normal one.
  EXPECT_EQ(TabCorner(pc, 0).owner, owner);
  EXPECT_EQ(TabCorner(pc, 0).code, RectCode("tabrect"));
  EXPECT_EQ(TabCorner(tc, 0).code, RectCode("tabrect"));
  // The sheet and the whole tab control show the background picture; the tab control has no frame.
  const auto sheet = Code(pc->ActivePage(), 17, 5);
  EXPECT_EQ(sheet.owner, mkskin::kOwnerTile);
  EXPECT_EQ(sheet.localX, 1);
  EXPECT_EQ(sheet.localY, 5);
  const auto bg = Code(tc, 2, 3);
  EXPECT_EQ(bg.owner, mkskin::kOwnerTile);
  EXPECT_EQ(bg.localX, 2);
  EXPECT_EQ(tc->Skin().Borders(), TRect());
  Gallery(pc, "bsSkinTabs", "second-pagecontrol");
  Gallery(tc, "bsSkinTabs", "second-tabcontrol-bottom");
}

TEST_F(SkinTabsTest, BadSkinsAndPagesGoingAwayFallBackToTheDefaultLook) {
  LoadTestSkin();
  auto* pc = NewPages(4, tpTop);
  // A record of another class is no tab skin.
  pc->SetSkinDataName("button");
  pc->SetSkinData(skin);
  Show();
  EXPECT_EQ(pc->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(pc->ActivePage(), 3, 3), kBtnFace);
  pc->SetSkinDataName("tab");
  pc->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_NE(pc->SkinObjectIndex(), -1);
  // The skin data going away drops the reference; the next paint is the default look.
  delete skin;
  skin = nullptr;
  EXPECT_EQ(pc->SkinData(), nullptr);
  pc->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(pc->ActivePage(), 3, 3), kBtnFace);
  // A page freed from its own control's OnChange, and a sheet under a stock page control.
  pc->OnChange = On<TNotifyEvent>([&](TObject*) { delete pc->Pages(0); });
  ClickAt(pc, pc->TabRect(2).Left + 4, pc->TabRect(2).Top + 4);
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->PageCount(), 3);
  pc->OnChange = {};
  auto* stock = new TPageControl(form);
  stock->SetParent(form);
  stock->SetBounds(5, 170, 120, 60);
  auto* sheet = new TbsSkinTabSheet(stock);
  sheet->SetPageControl(stock);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(sheet, 2, 2), kBtnFace);
}

TEST_F(SkinTabsTest, TabsThatDoNotFitScrollByTheSkinnedArrows) {
  LoadTestSkin();
  auto* pc = NewPages(30, tpTop, 180, 90);
  pc->SetSkinData(skin);
  Show();
  // The skinned arrows replace the native ones, at the top right.
  TbsSkinUpDown* u = pc->Skin().SkinUpDown;
  ASSERT_TRUE(u);
  EXPECT_EQ(FindWindowExA(pc->Handle(), nullptr, UPDOWN_CLASSA, nullptr), nullptr);
  EXPECT_EQ(u->SkinObjectIndex(), skin->GetControlIndex("hupdown"));
  EXPECT_EQ(u->Left(), pc->Width() - u->Width());
  EXPECT_EQ(u->Top(), 0);
  const int hidden = pc->GetInVisibleItemCount();
  EXPECT_GT(hidden, 0);
  EXPECT_EQ(u->Max(), hidden);
  EXPECT_EQ(pc->GetPosition(), 0);
  // A click on the arrow that steps up scrolls the row by one tab.
  const TRect up = u->Button(0).R;
  ClickAt(u, (up.Left + up.Right) / 2, (up.Top + up.Bottom) / 2);
  xt::PumpUntilIdle();
  EXPECT_EQ(u->Position(), 1);
  EXPECT_EQ(pc->GetPosition(), 1);
  pc->Skin().ScrollTo(7);
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->GetPosition(), 7);
  EXPECT_LE(pc->TabRect(7).Left, 2);
  EXPECT_EQ(TabCorner(pc, 7).code, RectCode("tabrect"));
  Gallery(pc, "bsSkinTabs", "scrolled");
  // A hidden page has no tab and is not counted.
  pc->Pages(1)->SetTabVisible(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->Skin().ItemCount(), 29);
  // Tabs at the bottom: the arrows sit at the bottom right; room for every tab: no arrows.
  pc->SetTabPosition(tpBottom);
  pc->SetHeight(97);
  xt::PumpUntilIdle();
  ASSERT_TRUE(pc->Skin().SkinUpDown);
  EXPECT_EQ(pc->Skin().SkinUpDown->Top(), pc->Height() - pc->Skin().SkinUpDown->Height());
  form->SetWidth(2000);
  pc->SetWidth(1900);
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->Skin().SkinUpDown, nullptr);
  // The tab control's arrows keep their size without a skin.
  auto* tc = NewTabs({ "Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta" });
  tc->SetDefaultItemHeight(25);
  tc->SetWidth(90);
  xt::PumpUntilIdle();
  ASSERT_TRUE(tc->Skin().SkinUpDown);
  EXPECT_EQ(tc->Skin().SkinUpDown->Width(), 36);
  EXPECT_EQ(tc->Skin().SkinUpDown->Height(), 18);
}

TEST_F(SkinTabsTest, PageAndTabControlsReadBackFromAStream) {
  auto* a = NewForm();
  auto* pc = new TbsSkinPageControl(a);
  pc->SetName("Pages1");
  pc->SetParent(a);
  pc->SetDefaultItemHeight(23);
  pc->SetUseSkinFont(false);
  pc->SetSkinDataName("tab2");
  auto* s = new TbsSkinTabSheet(a);
  s->SetName("Sheet1");
  s->SetPageControl(pc);
  s->SetCaption("页一");
  auto* tc = new TbsSkinTabControl(a);
  tc->SetName("Tabs1");
  tc->SetParent(a);
  tc->Tabs()->Add("x");
  tc->DefaultFont()->SetHeight(-15);
  const AnsiString text = WriteComponentResource(a);
  auto* b = NewForm();
  ReadComponentResource(b, text);
  auto* pc2 = dynamic_cast<TbsSkinPageControl*>(b->FindComponent("Pages1"));
  auto* tc2 = dynamic_cast<TbsSkinTabControl*>(b->FindComponent("Tabs1"));
  ASSERT_TRUE(pc2 && tc2) << text;
  ASSERT_EQ(pc2->PageCount(), 1);
  EXPECT_EQ(pc2->Pages(0)->Caption(), "页一");
  EXPECT_EQ(pc2->DefaultItemHeight(), 23);
  EXPECT_FALSE(pc2->UseSkinFont());
  EXPECT_EQ(pc2->SkinDataName(), "tab2");
  EXPECT_EQ(tc2->DefaultFont()->Height(), -15);
  EXPECT_EQ(tc2->SkinDataName(), "tab");
  EXPECT_TRUE(tc2->UseSkinFont());
  EXPECT_EQ(tc2->DefaultItemHeight(), 20);
  EXPECT_EQ(WriteComponentResource(b), text);
}

TEST_F(SkinTabsTest, GalleryOfEveryPositionAndStyle) {
  const TTabStyle styles[] = { tsTabs, tsButtons, tsFlatButtons };
  const char* const styleNames[] = { "tabs", "buttons", "flat" };
  for (int look = 0; look < 3; ++look) {
    if (look == 1) LoadTestSkin();
    if (look == 2) LoadSecondSkin();
    const char* lookName = look == 0 ? "noskin" : look == 1 ? "test" : "second";
    for (int p = 0; p < 4; ++p) {
      for (int st = 0; st < 3; ++st) {
        auto* pc = NewPages(3, kPositions[p], 190, 120);
        pc->SetStyle(styles[st]);
        if (skin) pc->SetSkinData(skin);
        Show();
        // The selected tab has a look of its own (the second skin has no image for it).
        if (look < 2) {
          EXPECT_NE(Px(pc, pc->TabRect(1).Left + 3, pc->TabRect(1).Top + 3),
                    Px(pc, pc->TabRect(0).Left + 3, pc->TabRect(0).Top + 3))
              << lookName << " " << kPositionNames[p] << " " << styleNames[st];
        }
        Gallery(pc, "bsSkinTabs", std::string(lookName) + "-" + kPositionNames[p] + "-" + styleNames[st]);
        delete pc;
      }
    }
  }
}

TEST_F(SkinTabsTest, OnlyTabsWithAnImageAtTheirPositionShowAGlyph) {
  auto* tc = NewTabs({ "One", "Two", "Three" });
  auto* images = new TImageList(form);
  images->SetSize(10, 8);
  TBitmap g;
  g.SetSize(10, 8);
  g.Canvas()->Brush()->SetColor(TColor(0x00C800));
  g.Canvas()->FillRect(TRect(0, 0, 10, 8));
  images->Add(&g, nullptr);
  tc->SetImages(images);
  Show();
  auto greens = [&](int item) {
    const TRect r = tc->TabRect(item);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += Px(tc, x, y) == RGB(0, 200, 0);
    return n;
  };
  EXPECT_EQ(greens(0), 80);
  EXPECT_EQ(greens(1), 0);
  EXPECT_EQ(greens(2), 0);
  Gallery(tc, "bsSkinTabs", "glyph");
}
