// The bases every windowed skinned control stands on: how a record's geometry sizes and shapes a
// control, where its face comes from at any size, the default look whenever the skin cannot serve, the
// window region cut from the mask, and the skin-change walk.

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kBtnFace = RGB(192, 192, 192);

class SkinBaseTest : public SkinControlsTest {
 protected:
  TbsSkinCustomControl* NewControl(const AnsiString& name, int l, int t, int w, int h) {
    auto* c = new TbsSkinCustomControl(form);
    c->SetParent(form);
    c->SetSkinDataName(name);
    c->SetBounds(l, t, w, h);
    return c;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
};

}  // namespace

TEST_F(SkinBaseTest, EachResizeModeKeepsWhatTheRecordFixes) {
  LoadTestSkin();
  struct Case {
    const char* name;
    int mode;
    int w, h;    // asked for
    int ew, eh;  // kept
  };
  const Case cases[] = {
    { "button", 1, 101, 37, 101, 37 },     // corners: any size
    { "htrackbar", 2, 131, 37, 131, 20 },  // horizontal: the record's height
    { "trackbar", 3, 37, 131, 20, 131 },   // vertical: the record's width
    { "hupdown", 0, 77, 41, 32, 16 },      // fixed: the record's size
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    auto* c = NewControl(k.name, 7, 5, 50, 30);
    c->SetSkinData(skin);
    EXPECT_EQ(c->ResizeMode(), k.mode);
    c->SetBounds(9, 11, k.w, k.h);
    EXPECT_EQ(c->Width(), k.ew);
    EXPECT_EQ(c->Height(), k.eh);
    EXPECT_EQ(c->Left(), 9);
    delete c;
  }
}

TEST_F(SkinBaseTest, TheFaceIsCutFromTheRecordsPictureAtALopsidedSize) {
  LoadTestSkin();
  auto* c = NewControl("button", 13, 9, 101, 37);
  c->SetSkinData(skin);
  Show();
  const uint8_t owner = OwnerOf("button");
  ASSERT_NE(owner, 0);
  // The corners come from the face's corners (one pixel in: the mask cuts the outermost away); the right
  // and bottom ones moved to the new size.
  const TRect face = c->SkinRect;
  for (auto [x, y, sx, sy] : { std::array { 1, 1, 1, 1 },
                               { 99, 1, face.Width() - 2, 1 },
                               { 1, 35, 1, face.Height() - 2 },
                               { 99, 35, face.Width() - 2, face.Height() - 2 } }) {
    const auto px = Code(c, x, y);
    EXPECT_EQ(px.owner, owner) << x << "," << y;
    EXPECT_EQ(px.code, RectCode("skinrect")) << x << "," << y;
    EXPECT_EQ(px.localX, sx % 16) << x << "," << y;
    EXPECT_EQ(px.localY, sy % 16) << x << "," << y;
  }
  Gallery(c, "bsSkinCtrls", "skinned");
}

// A face is kept from one paint to the next; what the control shows still follows every reload of the
// skin (the pictures are new objects each time, possibly where the old ones were) and every new size.
TEST_F(SkinBaseTest, AKeptFaceFollowsEverySkinLoadAndSize) {
  LoadTestSkin();
  auto* c = NewControl("button", 13, 9, 101, 37);
  c->SetSkinData(skin);
  Show();
  auto corner = [&](int x, int y) {
    c->Repaint();
    xt::PumpUntilIdle();
    return Code(c, x, y);
  };
  const uint8_t first = OwnerOf("button");
  ASSERT_NE(first, 0);
  EXPECT_EQ(corner(1, 1).owner, first);
  EXPECT_EQ(corner(1, 1).owner, first);  // painted again from what was kept
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    LoadSecondSkin();
    xt::PumpUntilIdle();
    const uint8_t second = OwnerOf("button");
    ASSERT_NE(second, first);
    EXPECT_EQ(corner(1, 1).owner, second);
    BeforeChangeSkinDataWalk(form, skin);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    secondLoaded = false;
    ChangeSkinDataWalk(form, skin);
    xt::PumpUntilIdle();
    EXPECT_EQ(corner(1, 1).owner, first);
  }
  // The same skin again with other colours in its 24-bit pictures: the same geometry, the same sizes,
  // pictures perhaps where the old ones were; the new colours show.
  const std::filesystem::path copy = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "recoloured-skin";
  std::filesystem::remove_all(copy);
  std::filesystem::copy(std::filesystem::path(XJ_TEST_SKIN_DIR) / "test", copy,
                        std::filesystem::copy_options::recursive);
  for (const auto& entry : std::filesystem::directory_iterator(copy)) {
    if (entry.path().extension() != ".bmp") continue;
    std::fstream f(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    uint32_t offset = 0;
    uint16_t bits = 0;
    std::memcpy(&offset, bytes.data() + 10, 4);
    std::memcpy(&bits, bytes.data() + 28, 2);
    if (bits != 24) continue;
    for (size_t i = offset + 2; i < bytes.size(); i += 3) bytes[i] = char(bytes[i] ^ 0x40);  // the owner byte
    f.seekp(0);
    f.write(bytes.data(), std::streamsize(bytes.size()));
  }
  BeforeChangeSkinDataWalk(form, skin);
  skin->LoadFromFile((copy / "skin.ini").string());
  ChangeSkinDataWalk(form, skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(corner(1, 1).owner, first ^ 0x40);
  BeforeChangeSkinDataWalk(form, skin);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  ChangeSkinDataWalk(form, skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(corner(1, 1).owner, first);
  // Wider and taller: the far corner moves with the size instead of staying where the last face had it.
  c->SetBounds(13, 9, 141, 45);
  const auto far = corner(139, 43);
  EXPECT_EQ(far.owner, first);
  EXPECT_EQ(far.localX, (c->SkinRect.Width() - 2) % 16);
  EXPECT_EQ(far.localY, (c->SkinRect.Height() - 2) % 16);
}

// Controls of one kind and size show the same face; when one of them grows, its face follows
// it and the other's stays as it was, however often each is painted.
TEST_F(SkinBaseTest, ControlsOfOneSizeShareAFaceAndPartWhenOneGrows) {
  LoadTestSkin();
  auto* a = NewControl("button", 10, 10, 101, 37);
  auto* b = NewControl("button", 10, 60, 101, 37);
  for (auto* c : { a, b }) c->SetSkinData(skin);
  Show();
  auto pixels = [&](TControl* c) {
    c->Repaint();
    std::vector<COLORREF> all;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) all.push_back(Px(c, x, y));
    return all;
  };
  const std::vector<COLORREF> face = pixels(a);
  EXPECT_EQ(pixels(b), face);
  a->SetBounds(10, 10, 141, 45);
  const auto grown = pixels(a);
  EXPECT_EQ(Code(a, 139, 43).owner, OwnerOf("button"));
  EXPECT_EQ(pixels(b), face);
  EXPECT_EQ(pixels(a), grown);
  b->SetBounds(10, 60, 141, 45);
  EXPECT_EQ(pixels(b), grown);
  EXPECT_EQ(pixels(a), grown);
}

TEST_F(SkinBaseTest, DefaultLookWheneverTheSkinCannotServe) {
  LoadTestSkin();
  // No skin; a name no record has; a record of another class; a skin freed while in use.
  auto* none = NewControl("button", 5, 5, 40, 20);
  auto* missing = NewControl("nosuchrecord", 50, 5, 40, 20);
  auto* other = NewControl("bevel", 95, 5, 40, 20);
  auto* freed = NewControl("button", 140, 5, 64, 24);
  missing->SetSkinData(skin);
  other->SetSkinData(skin);
  Show();
  for (TControl* c : { static_cast<TControl*>(none), static_cast<TControl*>(missing), static_cast<TControl*>(other) })
    EXPECT_EQ(Px(c, 20, 10), kBtnFace) << c->Left();
  EXPECT_EQ(other->SkinObjectIndex(), -1);
  EXPECT_EQ(other->Picture, nullptr);

  auto* own = new TbsSkinData(form);
  own->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  freed->SetSkinData(own);
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(Px(freed, 20, 10)).owner, OwnerOf("button"));
  delete own;  // the control hears of it and keeps nothing of the freed skin
  EXPECT_EQ(freed->SkinData(), nullptr);
  EXPECT_EQ(freed->Picture, nullptr);
  freed->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(freed, 20, 10), kBtnFace);
}

TEST_F(SkinBaseTest, APictureIndexOutsideTheSkinGivesTheDefaultLook) {
  // A skin of one record whose picture index runs past the pictures (as a hand-edited skin file can).
  auto* data = new TbsSkinData(form);
  auto* rec = new TbsDataSkinCustomControl("odd");
  rec->PictureIndex = 5;
  rec->MaskPictureIndex = -7;
  rec->SkinRect = TRect(0, 0, 30, 20);
  rec->RBPoint = TPoint(25, 15);
  data->CtrlList->Add(rec);
  data->Empty = false;
  auto* c = NewControl("odd", 10, 10, 50, 30);
  c->SetSkinData(data);
  Show();
  EXPECT_EQ(c->SkinObjectIndex(), 0);
  EXPECT_EQ(c->Picture, nullptr);
  EXPECT_EQ(Px(c, 25, 15), kBtnFace);
}

TEST_F(SkinBaseTest, TheMaskShapesTheWindowAtEverySizeAndGoesWithTheSkin) {
  LoadTestSkin();
  auto* c = NewControl("button", 20, 20, 64, 24);
  c->SetSkinData(skin);
  Show();
  const HWND h = c->Handle();
  ASSERT_NE(c->MaskPicture, nullptr);
  // The mask's corners are cut away (the test skin's button mask is rounded); the middle stays.
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 32, 12 }));
  // A second control of the kind and size has the same shape; each keeps its own when the other grows.
  auto* twin = NewControl("button", 20, 60, 64, 24);
  twin->SetSkinData(skin);
  auto sameShape = [](HWND a, HWND b) {
    HRGN ra = CreateRectRgn(0, 0, 0, 0), rb = CreateRectRgn(0, 0, 0, 0);
    const bool same = GetWindowRgn(a, ra) != ERROR && GetWindowRgn(b, rb) != ERROR && EqualRgn(ra, rb);
    DeleteObject(ra);
    DeleteObject(rb);
    return same;
  };
  EXPECT_TRUE(sameShape(h, twin->Handle()));
  c->SetBounds(20, 20, 150, 41);
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 149, 40 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 140, 30 }));
  EXPECT_FALSE(sameShape(h, twin->Handle()));
  EXPECT_FALSE(xt::WindowRegionContains(twin->Handle(), POINT { 0, 0 }));
  EXPECT_TRUE(xt::WindowRegionContains(twin->Handle(), POINT { 32, 12 }));
  EXPECT_FALSE(xt::WindowRegionContains(twin->Handle(), POINT { 63, 23 }));
  twin->SetBounds(20, 60, 150, 41);
  EXPECT_TRUE(sameShape(h, twin->Handle()));
  delete twin;

  BeforeChangeSkinDataWalk(form, skin);
  EXPECT_EQ(c->SkinObjectIndex(), -1);
  skin->ClearSkin();
  ChangeSkinDataWalk(form, skin);
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 0, 0 }));  // no region: the whole window
  EXPECT_EQ(c->Width(), 150);
  const auto counters = xt::GdiCounters();
  EXPECT_EQ(counters.refusedOwnedRegionDeletes, 0);
}

TEST_F(SkinBaseTest, TheWalkReachesOnlyTheControlsOfTheChangingSkinInTreeOrder) {
  // Records the order in which the walk reaches it.
  struct Probe : TbsSkinCustomControl {
    Probe(TComponent* owner, std::vector<std::string>& log, const char* tag)
        : TbsSkinCustomControl(owner), Log(log), Tag(tag) {}
    void ChangeSkinData() override {
      Log.push_back(Tag);
      TbsSkinCustomControl::ChangeSkinData();
    }
    std::vector<std::string>& Log;
    const char* Tag;
  };
  LoadTestSkin();
  auto* other = new TbsSkinData(form);
  std::vector<std::string> log;
  auto make = [&](TWinControl* parent, const char* tag, TbsSkinData* data, int top) {
    auto* p = new Probe(form, log, tag);
    p->SetParent(parent);
    p->SetSkinDataName("panel");
    p->SetBounds(0, top, 80, 30);
    p->SetSkinData(data);
    return p;
  };
  auto* outer = make(form, "outer", skin, 0);
  make(outer, "inner1", skin, 0);
  make(outer, "inner2", skin, 40);
  make(form, "elsewhere", other, 120);
  make(form, "after", skin, 160);
  log.clear();
  BeforeChangeSkinDataWalk(form, skin);
  EXPECT_EQ(outer->SkinObjectIndex(), -1);
  ChangeSkinDataWalk(form, skin);
  EXPECT_EQ(log, (std::vector<std::string> { "outer", "inner1", "inner2", "after" }));
  EXPECT_NE(outer->SkinObjectIndex(), -1);
  log.clear();
  ChangeSkinDataWalk(form, nullptr);  // no skin named: every control
  EXPECT_EQ(log.size(), 5u);
}

// A control that repaints at several steps of a skin change (its range set by the memo it serves, then
// its own new look) is painted once, and shows the new skin by the time the walk returns.
TEST_F(SkinBaseTest, ASkinSwitchPaintsEachControlOnceBeforeTheWalkReturns) {
  LoadTestSkin();
  auto* memo = new TbsSkinMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 120, 70);
  auto* bar = new TbsSkinScrollBar(form);
  bar->SetParent(form);
  bar->SetKind(sbVertical);
  bar->SetBounds(130, 10, 16, 70);
  memo->SetVScrollBar(bar);
  for (int i = 0; i < 30; ++i) memo->Lines()->Add("row");
  memo->SetSkinData(skin);
  bar->SetSkinData(skin);
  Show();
  ASSERT_TRUE(bar->Enabled());
  int paints = 0;
  const TWndMethod old = bar->WindowProc;
  bar->WindowProc = TWndMethod::FromCallable([old, &paints](TMessage& m) {
    if (m.Msg == WM_PAINT) ++paints;
    old(m);
  });
  auto pixels = [&] {
    std::vector<COLORREF> all;
    for (int y = 0; y < bar->Height(); ++y)
      for (int x = 0; x < bar->Width(); ++x) all.push_back(Px(bar, x, y));
    return all;
  };
  for (const char* name : { "second", "test", "second" }) {
    SCOPED_TRACE(name);
    paints = 0;
    BeforeChangeSkinDataWalk(form, skin);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/" + name + "/skin.ini");
    secondLoaded = std::string(name) == "second";
    ChangeSkinDataWalk(form, skin);
    EXPECT_EQ(paints, 1);
    const std::vector<COLORREF> shown = pixels();
    xt::PumpUntilIdle();
    EXPECT_EQ(paints, 1);
    bar->Repaint();
    EXPECT_EQ(pixels(), shown);
  }
}

TEST_F(SkinBaseTest, ChangingToNoSkinAppliesTheDefaultSizeOnlyWhenSet) {
  auto* keep = NewControl("button", 0, 0, 47, 31);
  auto* sized = NewControl("button", 60, 0, 47, 31);
  sized->SetDefaultWidth(90);
  EXPECT_EQ(sized->Width(), 90);  // applied at once while unskinned
  sized->SetDefaultHeight(0);
  keep->ChangeSkinData();
  sized->SetBounds(60, 0, 10, 10);
  sized->ChangeSkinData();
  EXPECT_EQ(keep->Width(), 47);
  EXPECT_EQ(keep->Height(), 31);
  EXPECT_EQ(sized->Width(), 90);
  EXPECT_EQ(sized->Height(), 10);
}

TEST_F(SkinBaseTest, RectanglesFollowTheCornerTheyLieIn) {
  // A 40 x 30 face with lopsided corners; the control is 40 + 17 wide and 30 + 9 high.
  auto* data = new TbsSkinData(form);
  auto* rec = new TbsDataSkinCustomControl("r");
  rec->PictureIndex = 0;
  rec->SkinRect = TRect(0, 0, 40, 30);
  rec->LTPoint = TPoint(5, 7);
  rec->RTPoint = TPoint(31, 6);
  rec->LBPoint = TPoint(4, 22);
  rec->RBPoint = TPoint(33, 24);
  data->CtrlList->Add(rec);
  data->ActivePictures->Add(new TBitmap());
  static_cast<TBitmap*>(data->ActivePictures->Items(0))->SetSize(40, 30);
  data->Empty = false;
  auto* c = NewControl("r", 0, 0, 40, 30);
  c->SetSkinData(data);
  c->SetBounds(0, 0, 57, 39);
  ASSERT_EQ(c->ResizeMode(), 1);
  EXPECT_EQ(c->GetNewRect(TRect(1, 1, 4, 6)), TRect(1, 1, 4, 6));          // left-top
  EXPECT_EQ(c->GetNewRect(TRect(1, 1, 5, 6)), TRect(1, 1, 5, 6));          // touches LT's right edge: in no area, stays
  EXPECT_EQ(c->GetNewRect(TRect(32, 1, 39, 5)), TRect(49, 1, 56, 5));      // right-top
  EXPECT_EQ(c->GetNewRect(TRect(1, 23, 3, 29)), TRect(1, 32, 3, 38));      // left-bottom
  EXPECT_EQ(c->GetNewRect(TRect(34, 25, 39, 29)), TRect(51, 34, 56, 38));  // right-bottom
  EXPECT_EQ(c->GetNewRect(TRect(2, 2, 36, 27)), TRect(2, 2, 53, 36));      // LT to RB: grows both ways
  EXPECT_EQ(c->GetNewRect(TRect(2, 2, 3, 25)), TRect(2, 2, 3, 34));        // LT to LB: grows down
  EXPECT_EQ(c->GetNewRect(TRect(32, 2, 36, 26)), TRect(49, 2, 53, 35));    // RT to RB: moved right, grows down
  EXPECT_EQ(c->GetNewRect(TRect(2, 23, 36, 27)), TRect(2, 32, 53, 36));    // LB to RB: grows right, moved down
  EXPECT_EQ(c->GetNewRect(TRect(10, 10, 20, 20)), TRect(10, 10, 20, 20));  // the middle stays
}

// ---- Glyph and caption layout ---------------------------------------------------------------------

TEST(GlyphLayout, CentredAndMarginPlacesForEveryLayout) {
  const TRect r(0, 0, 100, 30);
  int tx, ty, gx, gy;
  CalcGlyphLayout(blGlyphLeft, r, 16, 16, 40, 13, 4, -1, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, gy, tx, ty }), (std::array { 20, 7, 40, 9 }));
  CalcGlyphLayout(blGlyphRight, r, 16, 16, 40, 13, 4, 5, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, tx }), (std::array { 79, 35 }));
  // Lopsided rectangle, odd sizes, every layout.
  const TRect q(3, 5, 80, 66);  // centre (41, 35)
  CalcGlyphLayout(blGlyphTop, q, 11, 9, 21, 13, 3, -1, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, gy, tx, ty }), (std::array { 36, 23, 31, 34 }));
  CalcGlyphLayout(blGlyphBottom, q, 11, 9, 21, 13, 3, -1, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, gy, tx, ty }), (std::array { 36, 38, 31, 23 }));
  CalcGlyphLayout(blGlyphTop, q, 11, 9, 21, 13, 3, 2, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, gy, tx, ty }), (std::array { 36, 7, 31, 19 }));
  CalcGlyphLayout(blGlyphBottom, q, 11, 9, 21, 13, 3, 2, tx, ty, gx, gy);
  EXPECT_EQ((std::array { gx, gy, tx, ty }), (std::array { 36, 55, 31, 39 }));
  // No glyph: a centred caption still moves by half the spacing.
  CalcGlyphLayout(blGlyphLeft, r, 0, 0, 40, 13, 4, -1, tx, ty, gx, gy);
  EXPECT_EQ(tx, 32);
}

TEST_F(SkinBaseTest, APressedFaceMovesGlyphAndCaptionTogether) {
  TBitmap glyph;
  glyph.SetSize(20, 8);  // two 10 x 8 cells: key colour with a red square, then blue
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(255, 0, 255)));
  glyph.Canvas()->FillRect(TRect(0, 0, 20, 8));
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(255, 0, 0)));
  glyph.Canvas()->FillRect(TRect(1, 1, 9, 7));
  glyph.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(0, 0, 255)));
  glyph.Canvas()->FillRect(TRect(11, 1, 19, 7));
  auto draw = [&](bool down, int cell) {
    TBitmap b;
    b.SetSize(60, 30);
    b.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(0, 128, 0)));
    b.Canvas()->FillRect(TRect(0, 0, 60, 30));
    DrawGlyphAndCaption(b.Canvas(), TRect(0, 0, 60, 30), 3, 2, blGlyphLeft, "", &glyph, 2, cell, down);
    std::vector<COLORREF> row;
    for (int x = 0; x < 16; ++x) row.push_back(static_cast<COLORREF>(b.Canvas()->Pixels(x, 13).Value));
    return row;
  };
  const auto up = draw(false, 1), down = draw(true, 1), second = draw(false, 2);
  // Up: the glyph at (3, 11); its key colour left transparent at x = 3, the red square from x = 4 to 11.
  EXPECT_EQ(up[3], RGB(0, 128, 0));
  EXPECT_EQ(up[4], RGB(255, 0, 0));
  EXPECT_EQ(up[11], RGB(255, 0, 0));
  EXPECT_EQ(up[12], RGB(0, 128, 0));
  EXPECT_EQ(down[4], RGB(0, 128, 0));
  EXPECT_EQ(down[12], RGB(255, 0, 0));
  EXPECT_EQ(second[4], RGB(0, 0, 255));
}

// ---- Streaming ------------------------------------------------------------------------------------------

namespace {

class TSkinnedForm : public TForm {
  XJ_CLASS(TSkinnedForm, TForm)
 public:
  explicit TSkinnedForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(SkinBaseTest, APlacedControlReadsBackWithItsSkinReferenceAndDefaults) {
  auto* a = new TSkinnedForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* c = new TbsSkinCustomControl(a);
  c->SetName("Ctl1");
  c->SetParent(a);
  c->SetSkinData(data);
  c->SetSkinDataName("");  // an empty name is written too, so it cannot fall back to a class default
  c->SetDefaultWidth(77);
  c->DefaultFont()->SetStyle({ fsBold });
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TSkinnedForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinCustomControl*>(b->FindComponent("Ctl1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->SkinData(), b->FindComponent("SkinData1"));
  EXPECT_EQ(back->SkinDataName(), "");
  EXPECT_EQ(back->DefaultWidth(), 77);
  EXPECT_EQ(back->DefaultFont()->Name(), "宋体");
  EXPECT_EQ(back->DefaultFont()->Height(), 12);
  EXPECT_TRUE(back->DefaultFont()->Style().Contains(fsBold));
  EXPECT_EQ(WriteComponentResource(b), text);
}

// A face shows its picture as it is when the face is built: a pixel of the picture changed in place, with
// nothing announced, shows in the next face of the same size, on 24- and 32-bit destinations alike.
TEST(SkinFace, APictureChangedInPlaceShowsInTheNextFace) {
  TBitmap picture;
  picture.SetPixelFormat(pf32bit);
  picture.SetSize(8, 8);
  TbsSkinGeometry g;
  g.SkinRect = TRect(0, 0, 8, 8);
  g.ClRect = TRect(2, 2, 6, 6);
  g.LTPoint = TPoint(2, 2), g.RTPoint = TPoint(6, 2), g.LBPoint = TPoint(2, 6), g.RBPoint = TPoint(6, 6);
  g.FResizeMode = 1;
  int w = 23, h = 13;
  g.CalcGeometry(w, h);
  for (TPixelFormat format : { pf24bit, pf32bit }) {
    SCOPED_TRACE(format == pf32bit ? "32-bit" : "24-bit");
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) static_cast<uint32_t*>(picture.ScanLine(y))[x] = uint32_t(0x102030 * (x + 8 * y + 1));
    TBitmap before, after;
    for (TBitmap* b : { &before, &after }) {
      b->SetPixelFormat(format);
      b->SetSize(w, h);
      g.CreateFaceImage(b, &picture, g.SkinRect, w, h);
      picture.Canvas()->SetPixels(7, 7, clBlack);  // the bottom-right corner's last pixel
    }
    EXPECT_NE(before.Canvas()->Pixels(w - 1, h - 1), clBlack);
    EXPECT_EQ(after.Canvas()->Pixels(w - 1, h - 1), clBlack);
    // Everything else as before.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (x == w - 1 && y == h - 1) continue;
        ASSERT_EQ(after.Canvas()->Pixels(x, y), before.Canvas()->Pixels(x, y)) << x << "," << y;
      }
  }
}

namespace {

// Counts its changes and, like a list with its bars, hands its skin data on to Child as it changes.
class TPassingControl : public TbsSkinCustomControl {
 public:
  using TbsSkinCustomControl::TbsSkinCustomControl;
  void ChangeSkinData() override {
    ++Changes;
    TbsSkinCustomControl::ChangeSkinData();
    if (Child) Child->SetSkinData(FSkinData);
  }
  TPassingControl* Child {};
  int Changes {};
};

}  // namespace

// Every walk changes each control once: a child its parent hands the skin to is not changed again by
// the walk, one nobody hands it to (this time) is changed by the walk, and outside a walk handing it on
// changes it.
TEST_F(SkinBaseTest, AWalkChangesEachControlOnceThoughItsParentHandsTheSkinOn) {
  LoadTestSkin();
  auto* parent = new TPassingControl(form);
  parent->SetParent(form);
  auto* handed = new TPassingControl(form);
  auto* walked = new TPassingControl(form);
  for (TPassingControl* c : { handed, walked }) {
    c->SetParent(parent);
    c->SetSkinData(skin);
  }
  parent->Child = handed;
  parent->SetSkinData(skin);
  EXPECT_EQ(handed->Changes, 2);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    ChangeSkinDataWalk(form, skin);
    EXPECT_EQ(parent->Changes, 1 + round);
    EXPECT_EQ(handed->Changes, 2 + round);
    EXPECT_EQ(walked->Changes, 1 + round);
  }
  parent->Child = nullptr;
  ChangeSkinDataWalk(form, skin);
  EXPECT_EQ(handed->Changes, 6);
  parent->Child = handed;
  parent->SetSkinData(skin);
  EXPECT_EQ(handed->Changes, 7);
}

namespace {

// Skin-change targets of no class of their own in the class library, their skin-change part on either
// side of their control part, counting their changes; one may run a handler as it changes.
struct TCounting : IbsSkinChangeTarget {
  TbsSkinData* SkinData() const override { return Data; }
  void BeforeChangeSkinData() override { ++Before; }
  void ChangeSkinData() override {
    ++Changes;
    if (OnChange) OnChange();
  }
  TbsSkinData* Data {};
  int Before {}, Changes {};
  std::function<void()> OnChange;
};
struct TPartAfter : TWinControl, TCounting {
  using TWinControl::TWinControl;
};
struct TPartBefore : TCounting, TWinControl {
  using TWinControl::TWinControl;
};
struct TGraphicPart : TGraphicControl, TCounting {
  using TGraphicControl::TGraphicControl;
};

}  // namespace

// The walk reaches every target by what it is, though the class library's class chain knows these only
// as plain windows and a plain graphic control, and through a window that is none; a walk within the walk
// (one target's change walks a window, then frees the sibling after it) leaves it going on right.
TEST_F(SkinBaseTest, TheWalkFindsEachTargetByItsKindAndSurvivesWalksWithinIt) {
  LoadTestSkin();
  auto place = [&](auto* c, TWinControl* parent) {
    c->SetParent(parent);
    c->Data = skin;
    return c;
  };
  auto* first = place(new TPartAfter(form), form);
  auto* freed = place(new TPartBefore(form), form);
  auto* plain = new TWinControl(form);
  plain->SetParent(form);
  auto* inner = place(new TPartBefore(form), plain);
  auto* after = place(new TPartAfter(form), plain);
  auto* graphic = place(new TGraphicPart(form), plain);
  auto* last = place(new TPartBefore(form), form);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    BeforeChangeSkinDataWalk(form, skin);
    ChangeSkinDataWalk(form, skin);
    for (TCounting* c : std::initializer_list<TCounting*> { first, freed, inner, after, graphic, last }) {
      EXPECT_EQ(c->Before, round);
      EXPECT_EQ(c->Changes, round);
    }
  }
  first->OnChange = [&] {
    ChangeSkinDataWalk(plain, skin);
    delete freed;
  };
  ChangeSkinDataWalk(form, skin);
  EXPECT_EQ(first->Changes, 4);
  EXPECT_EQ(inner->Changes, 5);  // once within, once by the walk outside
  EXPECT_EQ(graphic->Changes, 5);
  EXPECT_EQ(last->Changes, 4);
  EXPECT_EQ(form->ControlCount(), 3);
}
