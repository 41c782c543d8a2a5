// The list and tree views at their edges: a find handler's answer just past the last row, searches that
// go round (and those that must not), a hot row drawn plain again once the mouse moves on, and the DC a
// custom-draw notice hands back: what the parent selects into it for one notice never reaches the rows,
// and the font a row's handler gives it stays with that row; a header section's draw handler likewise.

#include <algorithm>
#include <functional>

#include "tests/platform/views/HeaderListTestUtil.h"
#include "tests/platform/views/TreeViewTestUtil.h"

using namespace treetest;

namespace {

class EdgeAnswersTest : public TreeViewTest {
 protected:
  // A borderless report at (10, 10), 200 × 120, of the given rows.
  TListView* NewList(std::initializer_list<const char*> captions) {
    auto* lv = Add<TListView>(10, 10, 200, 120);
    lv->SetBorderStyle(bsNone);
    lv->SetViewStyle(vsReport);
    lv->Columns()->Add()->SetWidth(150);
    for (const char* c : captions) lv->Items()->Add()->SetCaption(c);
    return lv;
  }
  static RECT Label(TListView* lv, int i) {
    RECT r { LVIR_LABEL, 0, 0, 0 };
    lv->Perform(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  static int Find(TListView* lv, int start, const char* text, UINT flags = LVFI_STRING) {
    LVFINDINFOA find {};
    find.flags = flags;
    find.psz = text;
    return static_cast<int>(lv->Perform(LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
  }
};

// The view's rows are 0..Count-1: an answer of Count is no row, whoever asks; Count-1 is the last.
TEST_F(EdgeAnswersTest, AnOwnerDataFindAnswerOfCountIsNotFoundAndCountMinusOneIsTheLastRow) {
  auto* lv = NewList({});
  lv->OnData = On<TLVOwnerDataEvent>([](TObject*, TListItem* i) { i->SetCaption("r" + std::to_string(i->Index())); });
  int answer = 0, asked = 0, askedFrom = -2;
  lv->OnDataFind = On<TLVOwnerDataFindEvent>(
      [&](TObject*, TItemFind, const AnsiString&, const TPoint&, void*, int start, TSearchDirection, bool, int& index) {
        ++asked;
        askedFrom = start;
        index = answer;
      });
  lv->SetOwnerData(true);
  lv->Items()->SetCount(5);
  Show();
  lv->SetFocus();
  lv->Items()->Item(1)->SetFocused(true);

  answer = 5;
  EXPECT_EQ(Find(lv, -1, "r"), -1);
  EXPECT_EQ(lv->FindCaption(0, "r", true, true, false), nullptr);
  xt::TypeText("r");
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(lv->ItemFocused()->Index(), 1);  // type-ahead found nothing: the focus stays
  EXPECT_EQ(lv->ItemIndex(), -1);

  answer = 4;
  EXPECT_EQ(Find(lv, -1, "r"), 4);
  TListItem* last = lv->FindCaption(0, "r4", false, true, false);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->Caption(), "r4");

  // From the last row a search without wrap asks nothing; with it, it asks from the first row.
  asked = 0;
  EXPECT_EQ(lv->FindCaption(4, "r", true, false, false), nullptr);
  EXPECT_EQ(asked, 0);
  answer = 0;
  TListItem* first = lv->FindCaption(4, "r", true, false, true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Index(), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(askedFrom, 0);
}

// Without a find handler nothing is found: typing moves no focus.
TEST_F(EdgeAnswersTest, AnOwnerDataViewWithoutAFindHandlerFindsNothing) {
  auto* lv = NewList({});
  lv->OnData = On<TLVOwnerDataEvent>([](TObject*, TListItem* i) { i->SetCaption("r" + std::to_string(i->Index())); });
  lv->SetOwnerData(true);
  lv->Items()->SetCount(5);
  Show();
  lv->SetFocus();
  lv->Items()->Item(3)->SetFocused(true);
  xt::TypeText("r");
  EXPECT_EQ(lv->ItemFocused()->Index(), 3);
  EXPECT_EQ(lv->ItemIndex(), -1);
  EXPECT_EQ(lv->FindCaption(0, "r0", false, true, true), nullptr);
}

TEST_F(EdgeAnswersTest, FindCaptionGoesRoundOnlyWhenAskedAndRoundToItsStartRowLast) {
  auto* lv = NewList({ "apple", "Banana", "cherry" });
  Show();
  EXPECT_EQ(lv->FindCaption(1, "apple", false, false, false), nullptr);
  EXPECT_EQ(lv->FindCaption(1, "apple", false, false, true), lv->Items()->Item(0));
  EXPECT_EQ(lv->FindCaption(2, "cherry", false, false, false), nullptr);
  EXPECT_EQ(lv->FindCaption(2, "cherry", false, false, true), lv->Items()->Item(2));  // all the way round
  EXPECT_EQ(lv->FindCaption(0, "CH", true, false, true), lv->Items()->Item(2));
  EXPECT_EQ(lv->FindCaption(2, "durian", true, false, true), nullptr);
}

TEST_F(EdgeAnswersTest, AHotListRowIsDrawnPlainAgainOnceTheMouseMovesOnOrLeaves) {
  auto* lv = NewList({ "alpha", "beta", "gamma", "delta" });
  lv->SetHotTrack(true);
  Show();
  auto hotAt = [lv](int i) { return viewtest::Bluish(lv->Handle(), Label(lv, i)); };
  const RECT r1 = Label(lv, 1), r2 = Label(lv, 2);
  MoveTo(lv, r1.left + 4, r1.top + 3);
  xt::PumpUntilIdle();
  EXPECT_TRUE(hotAt(1));
  MoveTo(lv, r2.left + 4, r2.top + 3);
  xt::PumpUntilIdle();
  EXPECT_FALSE(hotAt(1));
  EXPECT_TRUE(hotAt(2));
  MoveTo(form, 300, 200);  // off the view, onto the form
  xt::PumpUntilIdle();
  EXPECT_FALSE(hotAt(2));
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(hotAt(i)) << i;
}

TEST_F(EdgeAnswersTest, AHotTreeRowLosesItsUnderlineOnceTheMouseMovesOnOrLeaves) {
  TTreeView* t = NewTree({ "a", "b", "c" });
  t->SetShowLines(false);
  t->SetHotTrack(true);
  Show();
  const int underline = (kRowH - kLineH) / 2 + kLineH - 1;  // the last line of a row's text cell
  auto hot = [&](int row) { return Pixel(t, LabelX(0) + 3, row * kRowH + underline) == Rgb(clHighlight); };
  MoveTo(t, LabelX(0) + 3, kRowH + 4);
  xt::PumpUntilIdle();
  EXPECT_TRUE(hot(1));
  MoveTo(t, LabelX(0) + 3, 2 * kRowH + 4);
  xt::PumpUntilIdle();
  EXPECT_FALSE(hot(1));
  EXPECT_TRUE(hot(2));
  MoveTo(form, 300, 200);
  xt::PumpUntilIdle();
  EXPECT_FALSE(hot(0));
  EXPECT_FALSE(hot(1));
  EXPECT_FALSE(hot(2));
}

// A parent that selects a large font and sets a red text colour into the DC of the notices it is told
// to, before the view's own handler answers them.
class DcMeddler {
 public:
  DcMeddler(TWinControl* v, std::function<bool(const NMCUSTOMDRAW&)> when) : FView(v), FOld(v->WindowProc) {
    FFont = CreateFontA(40, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    TWndMethod old = FOld;
    HFONT font = FFont;
    v->WindowProc = TWndMethod::FromCallable([old, font, when](TMessage& m) {
      auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
      if (m.Msg == CN_NOTIFY && hdr && hdr->code == NM_CUSTOMDRAW) {
        const auto& cd = *reinterpret_cast<NMCUSTOMDRAW*>(hdr);
        if (when(cd)) {
          SelectObject(cd.hdc, font);
          SetTextColor(cd.hdc, RGB(255, 0, 0));
          SetBkMode(cd.hdc, OPAQUE);
          SetBkColor(cd.hdc, RGB(0, 255, 0));
        }
      }
      old(m);
    });
  }
  ~DcMeddler() {
    FView->WindowProc = FOld;
    DeleteObject(FFont);
  }
  DcMeddler(const DcMeddler&) = delete;
  DcMeddler& operator=(const DcMeddler&) = delete;

 private:
  TWinControl* FView;
  TWndMethod FOld;
  HFONT FFont;
};

// The rows look the same whatever the parent left in the DC at the paint's or at a row's notice.
TEST_F(EdgeAnswersTest, WhatTheParentSelectsAtANoticeNeverReachesTheRows) {
  const struct {
    const char* what;
    std::function<bool(const NMCUSTOMDRAW&)> when;
  } cases[] = {
    { "before the paint", [](const NMCUSTOMDRAW& cd) { return cd.dwDrawStage == CDDS_PREPAINT; } },
    { "before the erase", [](const NMCUSTOMDRAW& cd) { return cd.dwDrawStage == CDDS_PREERASE; } },
    { "before the first row",
      [](const NMCUSTOMDRAW& cd) { return cd.dwDrawStage == CDDS_ITEMPREPAINT && cd.dwItemSpec == 0; } },
  };
  for (bool tree : { false, true }) {
    // The first row's own handler gives it a bold red face: the rows after it keep their own.
    bool boldFirst = false;
    auto bold = [&boldFirst](TCanvas* c, bool first) {
      if (!boldFirst || !first) return;
      c->Font()->SetStyle({ fsBold });
      c->Font()->SetColor(clRed);
    };
    TWinControl* v = nullptr;
    int secondRow = kRowH;
    if (tree) {
      auto* t = NewTree({ "one", "two", "three" });
      t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>(
          [bold](TCustomTreeView* tv, TTreeNode* n, TCustomDrawState, bool&) { bold(tv->Canvas(), n->Index() == 0); });
      v = t;
    } else {
      auto* lv = NewList({ "one", "two", "three" });
      lv->OnCustomDrawItem = On<TLVCustomDrawItemEvent>(
          [bold](TCustomListView* l, TListItem* i, TCustomDrawState, bool&) { bold(l->Canvas(), i->Index() == 0); });
      v = lv;
    }
    Show();
    if (!tree) secondRow = Label(static_cast<TListView*>(v), 1).top;
    v->Invalidate();
    xt::PumpUntilIdle();
    const std::vector<COLORREF> plain = xt::WindowPixels(v->Handle(), false);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(tree ? "tree, " : "list, ") + c.what);
      DcMeddler meddler(v, c.when);
      v->Invalidate();
      xt::PumpUntilIdle();
      EXPECT_TRUE(xt::WindowPixels(v->Handle(), false) == plain);
    }
    boldFirst = true;
    v->Invalidate();
    xt::PumpUntilIdle();
    const std::vector<COLORREF> shown = xt::WindowPixels(v->Handle(), false);
    const auto rest = plain.size() / static_cast<size_t>(v->Height()) * static_cast<size_t>(secondRow);
    EXPECT_FALSE(std::equal(plain.begin(), plain.begin() + rest, shown.begin()));
    EXPECT_TRUE(std::equal(plain.begin() + rest, plain.end(), shown.begin() + rest)) << (tree ? "tree" : "list");
    delete v;
  }
}

// What a section's draw handler leaves in the DC stays with that section: the next one looks the same
// whether or not the handler selected a font and colours of its own.
TEST_F(EdgeAnswersTest, WhatASectionsDrawHandlerSelectsNeverReachesTheNextSection) {
  auto* header = Add<THeaderControl>(10, 10, 300, 20);
  for (const char* text : { "Name", "Size", "Date" }) {
    THeaderSection* s = header->Sections()->Add();
    s->SetText(text);
    s->SetWidth(80);
  }
  HFONT big = CreateFontA(30, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
  bool meddle = false;
  header->OnDrawSection = On<TDrawSectionEvent>([&](THeaderControl* h, THeaderSection*, const TRect& r, bool) {
    h->Canvas()->Brush()->SetColor(clLime);
    h->Canvas()->FillRect(r);
    if (!meddle) return;
    SelectObject(h->Canvas()->Handle(), big);
    SetTextColor(h->Canvas()->Handle(), RGB(255, 0, 0));
  });
  header->Sections()->Items(1)->SetStyle(hsOwnerDraw);
  Show();
  const std::vector<COLORREF> plain = xt::WindowPixels(header->Handle(), false);
  meddle = true;
  header->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_TRUE(xt::WindowPixels(header->Handle(), false) == plain);
  EXPECT_EQ(Pixel(header, 120, 10), Rgb(clLime));
  delete header;
  DeleteObject(big);
}

}  // namespace
