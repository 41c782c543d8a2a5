// Custom draw and images asked on demand in the tree and list views: the stages each paint is asked at
// (and those it must not be asked at) for each set of events, a row coloured and set in another font by
// its handler, a row the handler draws alone, one report column coloured, and the images the handlers
// name, all read back as pixels.

#include <algorithm>
#include <functional>

#include "platform/vcl/ImgList.h"

#include "tests/platform/views/TreeViewTestUtil.h"
#include "tests/support/GalleryPng.h"

using namespace treetest;

namespace {

using Log = std::vector<std::string>;

std::string StageName(DWORD stage) {
  std::string kind = stage & CDDS_SUBITEM ? "cell" : stage & CDDS_ITEM ? "item" : "";
  switch (stage & 0xFFFF) {
    case CDDS_PREERASE:
      return kind + "preerase";
    case CDDS_POSTERASE:
      return kind + "posterase";
    case CDDS_PREPAINT:
      return kind + "prepaint";
    case CDDS_POSTPAINT:
      return kind + "postpaint";
  }
  return "?";
}

const char* Name(TCustomDrawStage s) {
  static const char* const names[] = { "Pre", "Post", "PreErase", "PostErase" };
  return names[s];
}

// Every NM_CUSTOMDRAW the view is sent goes into `log` (by its stage) before the view answers it.
class StageRecorder {
 public:
  StageRecorder(TWinControl* v, Log& log) : FView(v), FLife(v->LifeToken()), FOld(v->WindowProc) {
    TWndMethod old = FOld;
    v->WindowProc = TWndMethod::FromCallable([old, &log](TMessage& m) {
      auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
      if (m.Msg == CN_NOTIFY && hdr && hdr->code == NM_CUSTOMDRAW)
        log.push_back(StageName(reinterpret_cast<NMCUSTOMDRAW*>(hdr)->dwDrawStage));
      old(m);
    });
  }
  ~StageRecorder() {
    if (!FLife.expired()) FView->WindowProc = FOld;
  }
  StageRecorder(const StageRecorder&) = delete;
  StageRecorder& operator=(const StageRecorder&) = delete;

 private:
  TWinControl* FView;
  std::weak_ptr<const void> FLife;
  TWndMethod FOld;
};

template <class View>
struct StageCase {
  const char* what;
  std::function<void(View*, Log&)> assign;
  Log expected;
  bool rowsDrawn { true };
};

class CustomDrawTest : public TreeViewTest {
 protected:
  static void Repaint(TWinControl* v) {
    xt::ClearTextLog();
    v->Invalidate();
    xt::PumpUntilIdle();
  }
  // A report of two columns (60 and 70 wide), rows "r0".."r<n-1>" with sub-items "s0"...
  TListView* NewReport(int rows) {
    auto* lv = Add<TListView>(10, 10, 200, 120);
    lv->SetBorderStyle(bsNone);
    lv->SetViewStyle(vsReport);
    for (int w : { 60, 70 }) lv->Columns()->Add()->SetWidth(w);
    for (int i = 0; i < rows; ++i) {
      TListItem* it = lv->Items()->Add();
      it->SetCaption("r" + std::to_string(i));
      it->SubItems()->Add("s" + std::to_string(i));
    }
    return lv;
  }
  // Each case on a fresh view from `make`, painted once: the stages asked and, in `log`, the handlers'
  // calls among them; `texts` strings drawn when the rows are drawn, none otherwise.
  template <class View>
  void ExpectStages(const std::vector<StageCase<View>>& cases, const std::function<View*()>& make, size_t texts) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      View* v = make();
      Show();
      Log log;
      StageRecorder recorder(v, log);
      c.assign(v, log);
      Repaint(v);
      EXPECT_EQ(log, c.expected);
      EXPECT_EQ(TextsDrawnBy(v).size(), c.rowsDrawn ? texts : 0u);
      delete v;
    }
  }
  static RECT RowBounds(TListView* lv, int i) {
    RECT r { LVIR_BOUNDS, 0, 0, 0 };
    lv->Perform(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  static std::vector<std::string> TextsDrawnBy(TWinControl* v) {
    std::vector<std::string> out;
    for (const xt::TextRecord& t : xt::TextOutLog())
      if (t.hwnd == v->Handle() && !t.text.empty()) out.push_back(t.text);
    return out;
  }
};

TEST_F(CustomDrawTest, TheTreeIsAskedAtTheStagesItsEventsNeedAndAtNoOther) {
  const std::vector<StageCase<TTreeView>> cases {
    { "no event: the two whole-paint questions alone", [](TTreeView*, Log&) {}, { "preerase", "prepaint" } },
    { "OnCustomDraw: before the paint only",
      [](TTreeView* t, Log& log) {
        t->OnCustomDraw = On<TTVCustomDrawEvent>([&log](TCustomTreeView*, const TRect& r, bool&) {
          log.push_back("draw " + std::to_string(r.Right) + "x" + std::to_string(r.Bottom));
        });
      },
      { "preerase", "prepaint", "draw 160x128" } },
    { "OnCustomDrawItem: each row before it is drawn, never after",
      [](TTreeView* t, Log& log) {
        t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>(
            [&log](TCustomTreeView*, TTreeNode* n, TCustomDrawState, bool&) { log.push_back(n->Text()); });
      },
      { "preerase", "prepaint", "itemprepaint", "a", "itemprepaint", "b", "itemprepaint", "c" } },
    { "OnAdvancedCustomDraw: every whole-paint stage, no row",
      [](TTreeView* t, Log& log) {
        t->OnAdvancedCustomDraw = On<TTVAdvancedCustomDrawEvent>(
            [&log](TCustomTreeView*, const TRect&, TCustomDrawStage s, bool&) { log.push_back(Name(s)); });
      },
      { "preerase", "PreErase", "posterase", "PostErase", "prepaint", "Pre", "postpaint", "Post" } },
    { "OnAdvancedCustomDrawItem: each row before and after",
      [](TTreeView* t, Log& log) {
        t->OnAdvancedCustomDrawItem = On<TTVAdvancedCustomDrawItemEvent>(
            [&log](TCustomTreeView*, TTreeNode* n, TCustomDrawState, TCustomDrawStage s, bool&, bool&) {
              log.push_back(n->Text() + Name(s));
            });
      },
      { "preerase", "posterase", "prepaint", "itemprepaint", "aPre", "itempostpaint", "aPost", "itemprepaint", "bPre",
        "itempostpaint", "bPost", "itemprepaint", "cPre", "itempostpaint", "cPost", "postpaint" } },
    { "DefaultDraw cleared before the paint: no row is asked about or drawn",
      [](TTreeView* t, Log& log) {
        t->OnCustomDraw = On<TTVCustomDrawEvent>([](TCustomTreeView*, const TRect&, bool& d) { d = false; });
        t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>(
            [&log](TCustomTreeView*, TTreeNode* n, TCustomDrawState, bool&) { log.push_back(n->Text()); });
      },
      { "preerase", "prepaint" },
      false },
  };
  ExpectStages<TTreeView>(
      cases,
      [this] {
        return NewTree({ "a", "b", "c" });
      },
      3);
}

std::string Cell(TListItem* item, int sub) { return item->Caption() + "/" + std::to_string(sub); }

TEST_F(CustomDrawTest, TheListIsAskedAboutItemsAndReportColumnsOnlyForTheEventsAssigned) {
  const std::vector<StageCase<TListView>> cases {
    { "no event", [](TListView*, Log&) {}, { "preerase", "prepaint" } },
    { "OnCustomDrawItem: items, no column, nothing after",
      [](TListView* v, Log& log) {
        v->OnCustomDrawItem = On<TLVCustomDrawItemEvent>(
            [&log](TCustomListView*, TListItem* i, TCustomDrawState, bool&) { log.push_back(i->Caption()); });
      },
      { "preerase", "prepaint", "itemprepaint", "r0", "itemprepaint", "r1" } },
    { "OnCustomDrawSubItem: every column of every item, the caption's first",
      [](TListView* v, Log& log) {
        v->OnCustomDrawSubItem = On<TLVCustomDrawSubItemEvent>(
            [&log](TCustomListView*, TListItem* i, int sub, TCustomDrawState, bool&) { log.push_back(Cell(i, sub)); });
      },
      { "preerase", "prepaint", "itemprepaint", "cellprepaint", "r0/0", "cellprepaint", "r0/1", "itemprepaint",
        "cellprepaint", "r1/0", "cellprepaint", "r1/1" } },
    { "OnAdvancedCustomDrawSubItem: before and after each column, then after the item",
      [](TListView* v, Log& log) {
        v->OnAdvancedCustomDrawSubItem = On<TLVAdvancedCustomDrawSubItemEvent>(
            [&log](TCustomListView*, TListItem* i, int sub, TCustomDrawState, TCustomDrawStage s, bool&) {
              log.push_back(Cell(i, sub) + Name(s));
            });
      },
      { "preerase",      "posterase",    "prepaint",      "itemprepaint", "cellprepaint",  "r0/0Pre",
        "cellpostpaint", "r0/0Post",     "cellprepaint",  "r0/1Pre",      "cellpostpaint", "r0/1Post",
        "itempostpaint", "itemprepaint", "cellprepaint",  "r1/0Pre",      "cellpostpaint", "r1/0Post",
        "cellprepaint",  "r1/1Pre",      "cellpostpaint", "r1/1Post",     "itempostpaint", "postpaint" } },
    { "DefaultDraw cleared after the erase: nothing is drawn or asked after",
      [](TListView* v, Log& log) {
        v->OnAdvancedCustomDraw =
            On<TLVAdvancedCustomDrawEvent>([&log](TCustomListView*, const TRect&, TCustomDrawStage s, bool& d) {
              log.push_back(Name(s));
              d = s != cdPrePaint;
            });
        v->OnCustomDrawItem = On<TLVCustomDrawItemEvent>(
            [&log](TCustomListView*, TListItem* i, TCustomDrawState, bool&) { log.push_back(i->Caption()); });
      },
      { "preerase", "PreErase", "posterase", "PostErase", "prepaint", "Pre" },
      false },
  };
  ExpectStages<TListView>(
      cases, [this] { return NewReport(2); }, 4);
}

// The pixels of a rectangle of the view that are not `colour`, but for those inside `except`.
int PixelsOtherThan(TWinControl* v, const TRect& r, COLORREF colour, const TRect& except = TRect()) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (!(x >= except.Left && x < except.Right && y >= except.Top && y < except.Bottom) &&
          xt::ReadPixel(v->Handle(), x, y) != colour)
        ++n;
  return n;
}

COLORREF TextColour(const std::string& text) {
  for (const xt::TextRecord& t : xt::TextOutLog())
    if (t.text == text) return t.color & 0xFFFFFF;
  return CLR_INVALID;
}

TEST_F(CustomDrawTest, ARowsHandlerGivesItsLabelAFontAndColoursAndTheOtherRowsKeepTheirs) {
  TTreeView* t = NewTree({ "a", "b", "c" });
  t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>([](TCustomTreeView* v, TTreeNode* n, TCustomDrawState, bool&) {
    if (n->Text() != "b") return;
    v->Canvas()->Font()->SetColor(clRed);
    v->Canvas()->Font()->SetStyle({ fsBold });
    v->Canvas()->Brush()->SetColor(clYellow);
  });
  Show();
  Repaint(t);
  // A one-letter label is 12 wide; its glyph box starts 3 in, 6 wide in the regular face and 7 in bold.
  const int x = LabelX(0);
  EXPECT_EQ(PixelsOtherThan(t, TRect(x, kRowH, x + 12, kRowH + 1), Rgb(clYellow)), 0);
  EXPECT_EQ(Pixel(t, x + 9, kRowH + 8), Rgb(clRed));  // the bold column
  EXPECT_EQ(Pixel(t, x + 12, kRowH + 8), Rgb(clWindow));
  EXPECT_EQ(TextColour("b"), Rgb(clRed));
  // The rows around it as they always are.
  EXPECT_EQ(PixelsOtherThan(t, TRect(x, 0, x + 12, 1), Rgb(clWindow)), 0);
  EXPECT_EQ(Pixel(t, x + 9, 8), Rgb(clWindow));
  EXPECT_EQ(Pixel(t, x + 5, 2 * kRowH + 8), Rgb(clWindowText));
  EXPECT_EQ(TextColour("c"), Rgb(clWindowText));
  Gallery(t, "customdraw-row");
}

TEST_F(CustomDrawTest, ARowLeftToItsHandlerShowsWhatTheHandlerDrewAndNothingOfItsOwn) {
  TTreeView* t = NewTree({ "a", "b", " b1", "c" });  // "b" would show a button and lines
  TRect drawn;
  t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>([&](TCustomTreeView* v, TTreeNode* n, TCustomDrawState, bool& d) {
    if (n->Text() != "b") return;
    drawn = n->DisplayRect(false);
    v->Canvas()->Brush()->SetColor(clFuchsia);
    v->Canvas()->FillRect(drawn);
    v->Canvas()->TextOut(40, drawn.Top + 1, "X");
    d = false;
  });
  Show();
  Repaint(t);
  EXPECT_EQ(drawn, TRect(0, kRowH, 160, 2 * kRowH));
  EXPECT_EQ(PixelsOtherThan(t, drawn, Rgb(clFuchsia), TRect(40, drawn.Top, 48, drawn.Bottom)), 0);
  EXPECT_EQ(TextsDrawnBy(t), (std::vector<std::string> { "a", "X", "c" }));
  Gallery(t, "customdraw-handler");
}

TEST_F(CustomDrawTest, TheListsItemColoursCoverItsRowAndAColumnsHandlerChangesThatColumnAlone) {
  TListView* lv = NewReport(3);
  lv->OnCustomDrawItem = On<TLVCustomDrawItemEvent>([](TCustomListView* v, TListItem* i, TCustomDrawState, bool&) {
    if (i->Index() != 1) return;
    v->Canvas()->Font()->SetColor(clRed);
    v->Canvas()->Brush()->SetColor(clYellow);
  });
  lv->OnCustomDrawSubItem =
      On<TLVCustomDrawSubItemEvent>([](TCustomListView* v, TListItem*, int sub, TCustomDrawState, bool&) {
        if (sub != 1) return;
        v->Canvas()->Font()->SetColor(clBlue);
        v->Canvas()->Brush()->SetColor(clLime);
      });
  Show();
  Repaint(lv);
  const RECT r0 = RowBounds(lv, 0), r1 = RowBounds(lv, 1);
  EXPECT_EQ(r1.right, 130);
  // Item 1: yellow under its caption, lime in column 1; item 0: lime in column 1 only.
  EXPECT_EQ(PixelsOtherThan(lv, TRect(24, r1.top, 60, r1.top + 2), Rgb(clYellow)), 0);
  EXPECT_EQ(
      PixelsOtherThan(lv, TRect(60, r1.top, 130, r1.bottom), Rgb(clLime), TRect(66, r1.top + 1, 90, r1.bottom - 1)), 0);
  EXPECT_EQ(PixelsOtherThan(lv, TRect(24, r0.top, 60, r0.top + 2), Rgb(clWindow)), 0);
  EXPECT_EQ(
      PixelsOtherThan(lv, TRect(60, r0.top, 130, r0.bottom), Rgb(clLime), TRect(66, r0.top + 1, 90, r0.bottom - 1)), 0);
  EXPECT_EQ(Pixel(lv, 150, r1.top + 2), Rgb(clWindow));
  EXPECT_EQ(TextColour("r1"), Rgb(clRed));
  EXPECT_EQ(TextColour("s1"), Rgb(clBlue));
  EXPECT_EQ(TextColour("r0"), Rgb(clWindowText));
  EXPECT_EQ(TextColour("s0"), Rgb(clBlue));
  xt::PumpUntilIdle();
  xj::test::GalleryPng(lv->Handle(), "platform-listview-customdraw-columns", true);
}

TEST_F(CustomDrawTest, TheTreeShowsTheImagesItsHandlersNameAndAsksOnlyForTheRowsItDraws) {
  TTreeView* t = NewTree({ "a", "b", " b1", "c" }, 160, 4 * kRowH);
  auto images = Swatches(12, { clRed, clLime, clBlue, clYellow });
  t->SetImages(images.get());
  t->Items()->Item(3)->SetImageIndex(3);  // "c" keeps its own: the handler leaves it
  int asked = 0, askedSelected = 0;
  t->OnGetImageIndex = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) {
    ++asked;
    if (n->Text() != "c") n->SetImageIndex(n->Text() == "a" ? 1 : 2);
  });
  t->OnGetSelectedIndex = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) {
    ++askedSelected;
    n->SetSelectedIndex(0);
  });
  t->Items()->Item(3)->SetSelected(true);  // "c", the third row ("b1" is hidden)
  Show();
  asked = askedSelected = 0;
  Repaint(t);
  EXPECT_EQ(asked, 2);  // "a" and "b": not the hidden "b1", not the selected "c"
  EXPECT_EQ(askedSelected, 1);
  const int x = kIndent + 6, rowH = static_cast<int>(t->Perform(TVM_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(Pixel(t, x, rowH / 2), Rgb(clLime));
  EXPECT_EQ(Pixel(t, x, rowH + rowH / 2), Rgb(clBlue));
  EXPECT_EQ(Pixel(t, x, 2 * rowH + rowH / 2), Rgb(clRed));  // the selected image
  t->Items()->Item(3)->SetSelected(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, x, 2 * rowH + rowH / 2), Rgb(clYellow));
  t->SetImages(nullptr);
}

TEST_F(CustomDrawTest, TheListShowsTheItemAndSubItemImagesItsHandlersName) {
  TListView* lv = NewReport(2);
  auto images = Swatches(12, { clRed, clLime, clBlue });
  lv->SetSmallImages(images.get());
  lv->OnGetImageIndex = On<TLVOwnerDataEvent>([](TObject*, TListItem* i) { i->SetImageIndex(1 - i->Index()); });
  lv->OnGetSubItemImage = On<TLVSubItemImageEvent>([](TObject*, TListItem* i, int sub, int& image) {
    if (sub == 0 && i->Index() == 1) image = 2;
  });
  Show();
  Repaint(lv);
  auto middle = [lv](int i) {
    const RECT r = RowBounds(lv, i);
    return (r.top + r.bottom) / 2;
  };
  EXPECT_EQ(Pixel(lv, 6, middle(0)), Rgb(clLime));
  EXPECT_EQ(Pixel(lv, 6, middle(1)), Rgb(clRed));
  EXPECT_EQ(Pixel(lv, 60 + 6, middle(1)), Rgb(clBlue));  // column 1's image, its text moved past it
  EXPECT_EQ(Pixel(lv, 60 + 6, middle(0)), Rgb(clWindow));
  EXPECT_EQ(lv->Items()->Item(0)->ImageIndex(), 1);
  lv->SetSmallImages(nullptr);
}

TEST_F(CustomDrawTest, OwnerDataRowsAreColouredAndShowTheSubItemImagesTheirHandlerNames) {
  auto* lv = Add<TListView>(10, 10, 200, 120);
  lv->SetBorderStyle(bsNone);
  lv->SetViewStyle(vsReport);
  for (int w : { 60, 70 }) lv->Columns()->Add()->SetWidth(w);
  auto images = Swatches(12, { clRed, clLime, clBlue });
  lv->SetSmallImages(images.get());
  lv->OnData = On<TLVOwnerDataEvent>([](TObject*, TListItem* i) {
    i->SetCaption("r" + std::to_string(i->Index()));
    i->SubItems()->Add("s" + std::to_string(i->Index()));
    i->SetImageIndex(0);
  });
  lv->OnGetSubItemImage = On<TLVSubItemImageEvent>([](TObject*, TListItem* i, int sub, int& image) {
    if (sub == 0 && i->Index() == 1) image = 2;
  });
  lv->OnCustomDrawItem = On<TLVCustomDrawItemEvent>([](TCustomListView* v, TListItem* i, TCustomDrawState, bool&) {
    if (i->Index() == 1) v->Canvas()->Font()->SetColor(clRed);
  });
  lv->SetOwnerData(true);
  lv->Items()->SetCount(3);
  Show();
  Repaint(lv);
  auto middle = [lv](int i) {
    const RECT r = RowBounds(lv, i);
    return (r.top + r.bottom) / 2;
  };
  EXPECT_EQ(Pixel(lv, 6, middle(1)), Rgb(clRed));  // the row's own image
  EXPECT_EQ(Pixel(lv, 60 + 6, middle(1)), Rgb(clBlue));
  EXPECT_EQ(Pixel(lv, 60 + 6, middle(2)), Rgb(clWindow));
  EXPECT_EQ(TextColour("r1"), Rgb(clRed));
  EXPECT_EQ(TextColour("s1"), Rgb(clRed));
  EXPECT_EQ(TextColour("r2"), Rgb(clWindowText));
  lv->SetSmallImages(nullptr);
}

// A first handler that reads another row of an owner-data view refills the one lent item: the second
// handler still hears of the row being drawn, with that row's data.
TEST_F(CustomDrawTest, OwnerDataSecondHandlerSeesTheRowDrawnAfterTheFirstReadAnother) {
  auto* lv = Add<TListView>(10, 10, 200, 120);
  lv->SetViewStyle(vsReport);
  for (int w : { 60, 70 }) lv->Columns()->Add()->SetWidth(w);
  lv->OnData = On<TLVOwnerDataEvent>([](TObject*, TListItem* i) {
    i->SetCaption("r" + std::to_string(i->Index()));
    i->SubItems()->Add("s" + std::to_string(i->Index()));
  });
  lv->OnCustomDrawItem = On<TLVCustomDrawItemEvent>(
      [](TCustomListView* v, TListItem*, TCustomDrawState, bool&) { v->Items()->Item(v->Items()->Count() - 1); });
  lv->OnCustomDrawSubItem = On<TLVCustomDrawSubItemEvent>(
      [](TCustomListView* v, TListItem*, int, TCustomDrawState, bool&) { v->Items()->Item(0); });
  Log seen;
  lv->OnAdvancedCustomDrawItem = On<TLVAdvancedCustomDrawItemEvent>(
      [&seen](TCustomListView*, TListItem* i, TCustomDrawState, TCustomDrawStage s, bool&) {
        if (s == cdPrePaint) seen.push_back(std::to_string(i->Index()) + "=" + i->Caption().c_str());
      });
  lv->OnAdvancedCustomDrawSubItem = On<TLVAdvancedCustomDrawSubItemEvent>(
      [&seen](TCustomListView*, TListItem* i, int sub, TCustomDrawState, TCustomDrawStage s, bool&) {
        if (s == cdPrePaint && sub == 1)
          seen.push_back(std::to_string(i->Index()) + ":" + i->SubItems()->Strings(0).c_str());
      });
  lv->SetOwnerData(true);
  lv->Items()->SetCount(4);
  Show();
  seen.clear();
  Repaint(lv);
  // Each row drawn is heard of as itself, not as the row its first handler read.
  for (const char* row : { "0=r0", "1=r1", "1:s1", "2=r2", "2:s2", "3:s3" })
    EXPECT_NE(std::find(seen.begin(), seen.end(), row), seen.end()) << row << " in " << ::testing::PrintToString(seen);
}

}  // namespace
