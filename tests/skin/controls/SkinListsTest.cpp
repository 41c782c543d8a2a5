// The skinned list box as a user and the program see it: a frame that lays out the inner list, bars made
// when the items overflow and let go of when they no longer do, kept in step through keys, the wheel and
// bar moves (past 65535 items too), columns and a sideways bar for wide items, items painted from the
// skin or in the default look, the list's input reported with the frame as sender, and bad skins.

#include <algorithm>
#include <functional>
#include <utility>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class ListsTest : public SkinControlsTest {
 protected:
  TbsSkinListBox* NewList(int l, int t, int w = 120, int h = 120) {
    auto* b = new TbsSkinListBox(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    return b;
  }
  static void Fill(TbsSkinCustomListBox* b, int n, const char* text = "item") {
    b->Items()->BeginUpdate();
    for (int i = 0; i < n; ++i) b->Items()->Add(AnsiString(text) + std::to_string(i).c_str());
    b->Items()->EndUpdate();
    xt::PumpUntilIdle();
  }
  void Show() {
    ShowUnfocused();
    xt::PumpUntilIdle();
  }
  static TRect Bounds(TControl* c) { return c->BoundsRect(); }
  // A list in the loaded skin holding two items.
  TbsSkinListBox* SkinnedList(int l, int t, int w, int h) {
    auto* b = NewList(l, t, w, h);
    b->SetSkinData(skin);
    Fill(b, 2);
    return b;
  }
};

}  // namespace

TEST_F(ListsTest, TheVerticalBarComesWithOverflowAndGoesWithIt) {
  auto* b = NewList(10, 10);
  Show();
  EXPECT_EQ(b->Width(), 120);
  EXPECT_EQ(b->ListBox()->ItemHeight(), 20);
  EXPECT_EQ(Bounds(b->ListBox()), TRect(2, 2, 118, 118));
  Fill(b, 5);  // 100 pixels of items in 116: no bar
  EXPECT_EQ(b->ScrollBar(), nullptr);
  Fill(b, 2);
  ASSERT_NE(b->ScrollBar(), nullptr);
  EXPECT_EQ(Bounds(b->ScrollBar()), TRect(100, 1, 119, 119));
  EXPECT_EQ(Bounds(b->ListBox()), TRect(2, 2, 100, 118));
  EXPECT_EQ(b->ScrollBar()->Max(), 6);
  EXPECT_EQ(b->ScrollBar()->PageSize(), 5);
  b->Items()->Delete(6);
  b->Items()->Delete(5);
  xt::PumpUntilIdle();
  EXPECT_EQ(b->ScrollBar(), nullptr);
  EXPECT_EQ(Bounds(b->ListBox()), TRect(2, 2, 118, 118));
  // RowCount: the frame fits five rows, and exactly five items need no bar.
  b->SetRowCount(5);
  EXPECT_EQ(b->Height(), 104);
  Fill(b, 1);
  EXPECT_NE(b->ScrollBar(), nullptr);
  b->Items()->Delete(5);
  xt::PumpUntilIdle();
  EXPECT_EQ(b->ScrollBar(), nullptr);
}

// Two lists of one size and skin show one background; when one grows, the other keeps its own.
TEST_F(ListsTest, ListsOfOneSizeShareTheirBackgroundAndPartWhenOneGrows) {
  LoadTestSkin();
  auto* a = SkinnedList(10, 10, 100, 90);
  auto* b = SkinnedList(130, 10, 100, 90);
  Show();
  auto pixels = [&](TControl* c) {
    RedrawWindow(static_cast<TWinControl*>(c)->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<COLORREF> all;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) all.push_back(Px(c, x, y));
    return all;
  };
  const std::vector<COLORREF> shown = pixels(a);
  EXPECT_EQ(pixels(b), shown);
  a->SetBounds(10, 10, 110, 100);
  const std::vector<COLORREF> grown = pixels(a);
  EXPECT_NE(grown, shown);
  EXPECT_EQ(pixels(b), shown);
  b->SetBounds(130, 10, 110, 100);
  EXPECT_EQ(pixels(b), grown);
  EXPECT_EQ(pixels(a), grown);
}

// Where no row is drawn, a repaint shows the list's background over whatever was there: beside the rows
// of a list in columns, and below the item picture in rows taller than it.
TEST_F(ListsTest, WhereNoRowIsDrawnARepaintShowsTheBackground) {
  LoadTestSkin();
  auto* columns = SkinnedList(10, 10, 160, 100);
  auto* tall = SkinnedList(180, 10, 120, 100);
  columns->SetColumns(2);
  tall->ListBox()->SetItemHeight(31);  // the skin's item picture is 20 high
  Show();
  const struct {
    TbsSkinListBox* list;
    TPoint bare;
  } cases[] = { { columns, TPoint(120, 10) }, { tall, TPoint(40, 27) } };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list == columns ? "columns" : "tall rows");
    TWinControl* list = c.list->ListBox();
    const COLORREF background = Px(list, c.bare.X, c.bare.Y);
    ASSERT_NE(background, RGB(1, 2, 3));
    HDC dc = GetDC(list->Handle());
    HBRUSH stale = CreateSolidBrush(RGB(1, 2, 3));
    const RECT all { 0, 0, list->Width(), list->Height() };
    FillRect(dc, &all, stale);
    DeleteObject(stale);
    ReleaseDC(list->Handle(), dc);
    ASSERT_EQ(Px(list, c.bare.X, c.bare.Y), RGB(1, 2, 3));
    InvalidateRect(list->Handle(), nullptr, TRUE);
    xt::PumpUntilIdle();
    EXPECT_EQ(Px(list, c.bare.X, c.bare.Y), background);
  }
}

TEST_F(ListsTest, KeysWheelAndBarMovesKeepListAndBarInStep) {
  auto* b = NewList(10, 10);
  Fill(b, 30);
  Show();
  b->ListBox()->SetFocus();
  const TPoint mid = b->ListBox()->ClientToScreen(TPoint(20, 20));
  xt::MouseMove(mid.X, mid.Y);
  xt::Wheel(-360);  // one line per notch message, whatever the delta
  EXPECT_EQ(b->TopIndex(), 1);
  EXPECT_EQ(b->ScrollBar()->Position(), 1);
  xt::Wheel(120);
  EXPECT_EQ(b->TopIndex(), 0);
  xt::KeyPress(VK_END);
  EXPECT_EQ(b->ItemIndex(), 29);
  EXPECT_EQ(b->ScrollBar()->Position(), b->TopIndex());
  EXPECT_GT(b->TopIndex(), 20);
  xt::KeyPress(VK_HOME);
  EXPECT_EQ(b->ScrollBar()->Position(), 0);
  b->ScrollBar()->SetPosition(12);
  EXPECT_EQ(b->TopIndex(), 12);
  b->ScrollBar()->SetPosition(b->ScrollBar()->Max());
  EXPECT_EQ(b->TopIndex(), b->ScrollBar()->Position());
}

TEST_F(ListsTest, AHundredThousandItemsScrollToTheWholePosition) {
  auto* b = NewList(10, 10);
  Show();
  Fill(b, 100000);
  ASSERT_NE(b->ScrollBar(), nullptr);
  EXPECT_EQ(b->ScrollBar()->Max(), 99999);
  b->ScrollBar()->SetPosition(70000);
  EXPECT_EQ(b->TopIndex(), 70000);
  b->ListBox()->Repaint();
  Gallery(b, "bsSkinBoxCtrls", "listbox-100000");
}

// Items added one at a time set the bar's range each time but draw it only with the next paint, which
// shows the same pixels as drawing it at once.
TEST_F(ListsTest, ABarFollowsItemsAddedOneAtATimeAndIsDrawnOncePerPaint) {
  auto* b = NewList(10, 10);
  Show();
  for (int i = 0; i < 10; ++i) b->Items()->Add("item");
  TbsSkinScrollBar* bar = b->ScrollBar();
  ASSERT_NE(bar, nullptr);
  xt::PumpUntilIdle();
  int paints = 0;
  const TWndMethod inner = bar->WindowProc;
  bar->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == WM_PAINT) ++paints;
    inner(m);
  });
  for (int i = 0; i < 200; ++i) b->Items()->Add("more");
  EXPECT_EQ(bar->Max(), 209);  // the range is there at once
  EXPECT_EQ(paints, 0);
  xt::PumpUntilIdle();
  EXPECT_EQ(paints, 1);
  const std::vector<COLORREF> painted = xt::WindowPixels(form->Handle(), false);
  bar->Repaint();
  EXPECT_EQ(xt::WindowPixels(form->Handle(), false), painted);
  // A range taken from a paint of the list still draws at once.
  b->ListBox()->SetTopIndex(150);
  b->ListBox()->Repaint();
  EXPECT_EQ(bar->Position(), 150);
  EXPECT_EQ(paints, 3);  // the pump's, the forced one, and this one
  bar->WindowProc = inner;
}

TEST_F(ListsTest, ColumnsAndWideItemsGetBottomBarsThatShareTheCornerOnlyWhileBothShow) {
  auto* b = NewList(10, 10);
  b->SetColumns(2);
  Fill(b, 20);
  Show();
  ASSERT_NE(b->ScrollBar(), nullptr);
  EXPECT_EQ(b->ScrollBar()->Kind(), sbHorizontal);
  EXPECT_EQ(Bounds(b->ScrollBar()), TRect(1, 100, 119, 119));
  b->ScrollBar()->SetPosition(1);
  EXPECT_EQ(b->TopIndex(), b->ItemAtPos(TPoint(2, 2), true));
  EXPECT_GT(b->TopIndex(), 0);

  auto* w = NewList(150, 10);
  w->SetHorizontalExtent(true);
  Fill(w, 3);
  EXPECT_EQ(w->HScrollBar(), nullptr);
  const AnsiString wide(40, 'W');
  w->Items()->Add(wide);
  xt::PumpUntilIdle();
  ASSERT_NE(w->HScrollBar(), nullptr);
  TBitmap measure;
  measure.SetSize(1, 1);
  TCanvas* c = measure.Canvas();
  c->SetFont(w->ListBox()->Font());
  EXPECT_EQ(w->HScrollBar()->Max(), c->TextWidth(wide));
  EXPECT_EQ(w->HScrollBar()->SmallChange(), c->TextWidth("0"));
  EXPECT_FALSE(w->HScrollBar()->Both());
  w->ListBox()->SetFocus();
  xt::KeyPress(VK_RIGHT);
  EXPECT_EQ(w->ListBox()->HScrollOffset, c->TextWidth("0"));
  EXPECT_EQ(w->ItemIndex(), -1);  // sideways, not a selection move
  // A vertical bar too: the bottom bar shares the corner, and gives it back when the vertical one goes.
  Fill(w, 6);
  ASSERT_NE(w->ScrollBar(), nullptr);
  EXPECT_TRUE(w->HScrollBar()->Both());
  Gallery(w, "bsSkinBoxCtrls", "listbox-bothbars");
  while (w->Items()->Count() > 4) w->Items()->Delete(w->Items()->Count() - 1);
  xt::PumpUntilIdle();
  EXPECT_EQ(w->ScrollBar(), nullptr);
  ASSERT_NE(w->HScrollBar(), nullptr);
  EXPECT_FALSE(w->HScrollBar()->Both());
  w->Items()->Delete(w->Items()->IndexOf(wide));
  xt::PumpUntilIdle();
  EXPECT_EQ(w->HScrollBar(), nullptr);
  EXPECT_EQ(w->ListBox()->HScrollOffset, 0);
}

// The sideways bar spans the widest item through every kind of change, one item at a time: adds (sorted
// too), inserts, deletes of the widest, replaced texts, a clear, a new font, a re-created window.
TEST_F(ListsTest, TheSidewaysBarFollowsTheWidestItemAsItemsComeAndGo) {
  auto* w = NewList(10, 10, 160, 120);
  w->SetHorizontalExtent(true);
  Show();
  auto widest = [&] {
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas* c = measure.Canvas();
    c->SetFont(w->ListBox()->Font());
    int most = 0;
    for (int i = 0; i < w->Items()->Count(); ++i) most = std::max(most, c->TextWidth(w->Items()->Strings(i)));
    return most;
  };
  unsigned seed = 5;
  auto next = [&](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int step = 0; step < 300; ++step) {
    TStrings* items = w->Items();
    const AnsiString text(1 + next(40), char('A' + next(26)));
    const unsigned op = next(20);
    if (op < 8 || items->Count() < 2) {
      items->Add(text);
    } else if (op < 11) {
      items->Insert(int(next(unsigned(items->Count()))), text);
    } else if (op < 15) {
      int at = int(next(unsigned(items->Count())));
      if (op == 14)  // the widest
        for (int i = 0; i < items->Count(); ++i)
          if (items->Strings(i).size() > items->Strings(at).size()) at = i;
      items->Delete(at);
    } else if (op < 18) {
      items->SetStrings(int(next(unsigned(items->Count()))), text);
    } else {
      const unsigned what = next(4);
      if (what == 0) items->Clear();
      if (what == 1) w->ListBox()->Font()->SetHeight(w->ListBox()->Font()->Height() == -11 ? -15 : -11);
      if (what == 2) w->SetSorted(!w->Sorted());  // the window is made again, the items put back
      if (what == 3)
        w->ListBox()->Font()->SetStyle(w->ListBox()->Font()->Style().Contains(fsBold) ? TFontStyles()
                                                                                      : TFontStyles() << fsBold);
      items->Add(text);  // the bar is taken again when the items change
    }
    xt::PumpUntilIdle();
    const int most = widest();
    if (most > w->ListBox()->Width() - 4) {
      ASSERT_NE(w->HScrollBar(), nullptr) << "step " << step;
      ASSERT_EQ(w->HScrollBar()->Max(), most) << "step " << step;
    } else {
      ASSERT_EQ(w->HScrollBar(), nullptr) << "step " << step << ": " << most;
    }
  }
}

TEST_F(ListsTest, TheListsInputReachesTheFrameAsSender) {
  auto* b = NewList(10, 10);
  Fill(b, 8);
  std::vector<std::string> seen;
  b->OnListBoxClick = On<TNotifyEvent>([&](TObject* s) {
    seen.push_back(s == b ? "click" : "click-wrong-sender");
    // Items changed from inside the click: no stale bar, no crash.
    b->Items()->Delete(b->Items()->Count() - 1);
    b->Items()->Add("late");
  });
  b->OnListBoxKeyUp = On<TKeyEvent>([&](TObject* s, WORD& k, TShiftState) {
    if (s == b && k == VK_DOWN) seen.push_back("keyup");
  });
  b->OnListBoxMouseDown = On<TMouseEvent>([&](TObject* s, TMouseButton, TShiftState, int, int y) {
    if (s == b) seen.push_back("down@" + std::to_string(y));
  });
  Show();
  const TRect r = b->ItemRect(1);
  const TPoint p = b->ListBox()->ClientToScreen(TPoint(10, r.Top + 5));
  xt::Click(p.X, p.Y);
  EXPECT_EQ(b->ItemIndex(), 1);
  xt::KeyPress(VK_DOWN);
  EXPECT_EQ(b->ItemIndex(), 2);
  EXPECT_EQ(seen, (std::vector<std::string> { "down@25", "click", "click", "keyup" }));
  EXPECT_EQ(b->Items()->Count(), 8);
  EXPECT_NE(b->ScrollBar(), nullptr);
}

TEST_F(ListsTest, ThreeLooksOfTheItemsAndASkinThatCannotBeUsed) {
  auto* b = NewList(10, 10, 120, 100);
  Fill(b, 3);
  b->SetItemIndex(1);
  Show();
  EXPECT_EQ(Bounds(b->ListBox()), TRect(2, 2, 118, 98));  // laid out before the window heard of its size
  // Default look: the selected row in the highlight colour, the others in the window colour.
  EXPECT_EQ(Px(b->ListBox(), 60, 30), ColorToRGB(clHighlight));
  EXPECT_EQ(Px(b->ListBox(), 60, 50), ColorToRGB(clWindow));
  EXPECT_EQ(Px(b->ListBox(), 60, 90), ColorToRGB(clWindow));
  Gallery(b, "bsSkinBoxCtrls", "listbox-default");

  LoadTestSkin();
  b->SetSkinData(skin);
  xt::PumpUntilIdle();
  ASSERT_NE(b->SkinObjectIndex(), -1);
  EXPECT_EQ(b->ListBox()->ItemHeight(), b->SItemRect.Height());
  EXPECT_EQ(Bounds(b->ListBox()).Left, b->ClRect.Left);
  EXPECT_EQ(Decode(Px(b->ListBox(), b->ListBox()->Width() / 2, 2)).owner, OwnerOf("listbox"));
  EXPECT_EQ(Decode(Px(b, 0, 0)).owner, OwnerOf("listbox"));
  // Below the items: the tiled client part of the face.
  EXPECT_EQ(Decode(Px(b->ListBox(), 3, b->ListBox()->Height() - 1)).owner, OwnerOf("listbox"));
  Gallery(b, "bsSkinBoxCtrls", "listbox-skin");

  // A record of another class under the name: the default look.
  b->SetSkinDataName("memo");
  b->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(b->SkinObjectIndex(), -1);
  EXPECT_EQ(b->ListBox()->ItemHeight(), 20);
  EXPECT_EQ(Px(b->ListBox(), 60, 30), ColorToRGB(clHighlight));
  b->SetSkinDataName("listbox");
  b->ChangeSkinData();

  // An empty client part in the skin: nothing to tile, the window colour, no crash.
  auto* rec = dynamic_cast<TbsDataSkinListBox*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("listbox"))));
  ASSERT_NE(rec, nullptr);
  const TRect keep = rec->ClRect;
  rec->ClRect = TRect(5, 5, 5, 30);
  b->ChangeSkinData();
  b->ListBox()->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b->ListBox(), 3, b->ListBox()->Height() - 1), ColorToRGB(clWindow));
  // And back: the tiled background again, not the one made meanwhile.
  rec->ClRect = keep;
  b->ChangeSkinData();
  b->ListBox()->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(Px(b->ListBox(), 3, b->ListBox()->Height() - 1)).owner, OwnerOf("listbox"));

  // The second skin through the form engine's walk: no list record there, so the default look.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(b->SkinObjectIndex(), -1);
  EXPECT_EQ(Bounds(b->ListBox()), TRect(2, 2, 118, 98));
  EXPECT_EQ(Px(b->ListBox(), 60, 30), ColorToRGB(clHighlight));
  Gallery(b, "bsSkinBoxCtrls", "listbox-second");
}

// In the built-in look a list takes its default font again, whatever was set on it meanwhile, and follows
// a change of the default font.
TEST_F(ListsTest, TheBuiltInLookPutsBackTheDefaultFont) {
  auto* b = NewList(10, 10);
  Fill(b, 3);
  LoadTestSkin();
  b->SetSkinData(skin);
  Show();
  b->Font()->SetColor(clRed);
  b->Font()->SetHeight(-19);
  LoadSecondSkin();
  ASSERT_EQ(b->SkinObjectIndex(), -1);
  EXPECT_EQ(b->Font()->Height(), b->DefaultFont()->Height());
  EXPECT_EQ(b->Font()->Color(), b->DefaultFont()->Color());
  EXPECT_EQ(b->ListBox()->Font()->Height(), 12);
  b->DefaultFont()->SetHeight(-23);
  EXPECT_EQ(b->ListBox()->Font()->Height(), -23);
}

// Each row shows its own state's face, and nothing of a row reaches past it (a check box higher than its
// row).
TEST_F(ListsTest, RowsKeepTheirOwnFaceAndStayInTheirRow) {
  LoadTestSkin();
  auto* b = NewList(10, 10, 120, 100);
  b->SetSkinData(skin);
  b->SetMultiSelect(true);
  Fill(b, 4);
  b->SetSelected(1, true);
  b->SetItemIndex(3);  // the caret's row shows as selected
  auto* c = new TbsSkinCheckListBox(form);
  c->SetParent(form);
  c->SetBounds(150, 10, 100, 60);
  c->SetDefaultItemHeight(8);
  Fill(c, 3);
  Show();
  const int h = b->ListBox()->ItemHeight();
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Decode(Px(b->ListBox(), 1, i * h + h / 2)).code, RectCode(i % 2 ? "activeitemrect" : "itemrect")) << i;
  // The box of row 1 spans y 6 to 18: its top would be row 0's bottom rows.
  EXPECT_EQ(Px(c->ListBox(), 8, 6), ColorToRGB(clWindow));
  EXPECT_EQ(Px(c->ListBox(), 8, 8), ColorToRGB(clWindow));
  EXPECT_EQ(Px(c->ListBox(), 3, 8), ColorToRGB(clBtnShadow));
  // A text rectangle reaching a whole row above its own centres the text on the row's top edge: the
  // upper half of a tall second line is cut there, and row 0 shows what it shows under an empty one.
  auto* record = static_cast<TbsDataSkinListBox*>(skin->CtrlList->Items(skin->GetControlIndex("listbox")));
  record->ItemTextRect.Top = -h;
  record->ItemTextRect.Bottom = h;
  record->FontHeight = -2 * h;
  TbsSkinListBox* lists[2];
  for (int k = 0; k < 2; ++k) {
    lists[k] = NewList(10 + 130 * k, 120, 120, 3 * h);
    lists[k]->SetSkinData(skin);
    lists[k]->Items()->Add("x");
    lists[k]->Items()->Add(k ? "" : "|||||MMMM|||||");
  }
  xt::PumpUntilIdle();
  int inked = 0;
  for (int y = 0; y < 2 * h; ++y)
    for (int x = 0; x < 110; ++x) {
      if (y < h) {
        ASSERT_EQ(Px(lists[0]->ListBox(), x, y), Px(lists[1]->ListBox(), x, y)) << x << "," << y;
      }
      inked += Px(lists[0]->ListBox(), x, y) != Px(lists[1]->ListBox(), x, y);
    }
  EXPECT_GT(inked, 20);  // the lower half shows in row 1
  // Rows of their own heights each land where the native list puts them.
  auto* v = NewList(260, 10, 100, 80);
  v->ListBox()->SetStyle(lbOwnerDrawVariable);
  v->ListBox()->OnMeasureItem =
      On<TMeasureItemEvent>([](TWinControl*, int i, int& height) { height = i == 1 ? 30 : 10; });
  Fill(v, 3);
  v->SetItemIndex(2);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(v->ListBox(), 5, 25), ColorToRGB(clWindow));
  EXPECT_EQ(Px(v->ListBox(), 5, 45), ColorToRGB(clHighlight));
}

// Items are centred by their font's height, asked once of no characters: a line of any characters, of any
// font the lists and combo boxes draw in, lands exactly where its own height would put it.
TEST(ItemText, ALineSitsWhereItsOwnHeightWouldCentreIt) {
  const struct {
    const char* name;
    int height;
    TFontStyles style;
  } fonts[] = {
    { "宋体", 12, {} }, { "宋体", -15, { fsBold } }, { "Tahoma", 17, { fsItalic } }, { "DejaVu Sans", -9, {} }
  };
  const char* lines[] = { "线路 3", "Agjy|", "", "a\xD6", "  " };
  for (const auto& f : fonts)
    for (const char* line : lines)
      for (const int rowHeight : { 20, 9, 1 }) {
        TBitmap got, want;
        for (TBitmap* b : { &got, &want }) {
          b->SetSize(60, 24);
          b->Canvas()->Font()->SetName(f.name);
          b->Canvas()->Font()->SetHeight(f.height);
          b->Canvas()->Font()->SetStyle(f.style);
          b->Canvas()->Brush()->SetStyle(bsClear);
        }
        const TRect r(3, 2, 58, 2 + rowHeight);
        SPDrawText3(got.Canvas(), line, r, -1);
        TCanvas* w = want.Canvas();
        w->TextRect(r, r.Left + 1, r.Top + rowHeight / 2 - w->TextHeight(line) / 2, line);
        for (int y = 0; y < 24; ++y)
          for (int x = 0; x < 60; ++x)
            ASSERT_EQ(got.Canvas()->Pixels(x, y), want.Canvas()->Pixels(x, y))
                << f.name << " " << f.height << " '" << line << "' row " << rowHeight << " at " << x << "," << y;
      }
}

namespace {

class TListForm : public TForm {
  XJ_CLASS(TListForm, TForm)
 public:
  explicit TListForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ListsTest, APlacedListReadsBackWithItsItemsAndSettings) {
  auto* a = new TListForm(nullptr);
  Keep(a);
  auto* l = new TbsSkinListBox(a);
  l->SetName("List1");
  l->SetParent(a);
  l->Items()->Add("one");
  l->Items()->Add("two");
  l->SetHorizontalExtent(true);
  l->SetDefaultItemHeight(17);
  l->SetImageIndex(3);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TListForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinListBox*>(b->FindComponent("List1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->Items()->Count(), 2);
  EXPECT_TRUE(back->HorizontalExtent());
  EXPECT_EQ(back->DefaultItemHeight(), 17);
  EXPECT_EQ(back->ListBox()->ItemHeight(), 17);
  EXPECT_EQ(back->ImageIndex(), 3);
  EXPECT_EQ(WriteComponentResource(b), text);
}

// ---- Check list box ---------------------------------------------------------------------------------

namespace {

class CheckListTest : public ListsTest {
 protected:
  TbsSkinCheckListBox* NewCheckList(int l, int t, int w = 120, int h = 120) {
    auto* b = new TbsSkinCheckListBox(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->OnClickCheck = On<TNotifyEvent>([this, b](TObject* s) { clicks.push_back(s == b ? "frame" : "other"); });
    return b;
  }
  static void ClickAt(TbsSkinCheckListBox* b, int x, int index, xt::Button button = xt::mbLeft) {
    const TRect r = b->ItemRect(index);
    const TPoint p = b->ListBox()->ClientToScreen(TPoint(r.Left + x, r.Top + r.Height() / 2));
    xt::Click(p.X, p.Y, button);
  }
  std::vector<std::string> clicks;
};

std::vector<int> States(TbsSkinCheckListBox* b) {
  std::vector<int> s;
  for (int i = 0; i < b->Items()->Count(); ++i) s.push_back(b->State(i));
  return s;
}

}  // namespace

TEST_F(CheckListTest, APressReachesTheListThenTogglesThenTellsTheFrame) {
  auto* b = NewCheckList(10, 10);
  Fill(b, 3);
  std::vector<std::string> events;
  b->ListBox()->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back(b->Checked(1) ? "list (checked)" : "list (unchecked)");
  });
  b->OnClickCheck = On<TNotifyEvent>([&](TObject*) { events.push_back("check"); });
  b->OnListBoxMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back(b->Checked(1) ? "frame (checked)" : "frame (unchecked)");
  });
  Show();
  ClickAt(b, 8, 1);
  EXPECT_EQ(events, (std::vector<std::string> { "list (unchecked)", "check", "frame (checked)" }));
}

TEST_F(CheckListTest, ChecksMoveWithTheirItemsThroughInsertDeleteSortAndRecreation) {
  auto* b = NewCheckList(10, 10);
  Fill(b, 5, "e");
  Show();
  EXPECT_FALSE(b->Checked(0));
  EXPECT_EQ(b->Items()->Objects(0), nullptr);
  b->SetChecked(1, true);
  b->SetState(3, cbGrayed);
  auto* tag = reinterpret_cast<TObject*>(0x1234);
  b->Items()->SetObjects(3, tag);
  EXPECT_EQ(b->Items()->Objects(3), tag);
  // A value written straight into the native item data is not a check record.
  b->ListBox()->Perform(LB_SETITEMDATA, 2, 0x7777);
  EXPECT_EQ(b->State(2), cbUnchecked);
  b->Items()->Insert(0, "a");
  EXPECT_EQ(States(b), (std::vector<int> { 0, 0, 1, 0, 2, 0 }));
  b->Items()->Delete(2);  // the checked one
  EXPECT_EQ(States(b), (std::vector<int> { 0, 0, 0, 2, 0 }));
  EXPECT_EQ(b->Items()->Objects(3), tag);
  b->ListBox()->RecreateWnd();
  xt::PumpUntilIdle();
  EXPECT_EQ(States(b), (std::vector<int> { 0, 0, 0, 2, 0 }));
  EXPECT_EQ(b->Items()->Objects(3), tag);
  // A sorted list puts a new item in its place, its record with it.
  b->SetSorted(true);
  b->Items()->Add("c");
  const int c = b->Items()->IndexOf("c");
  b->SetChecked(c, true);
  b->Items()->Add("b");
  EXPECT_TRUE(b->Checked(b->Items()->IndexOf("c")));
  EXPECT_FALSE(b->Checked(b->Items()->IndexOf("b")));
  b->Items()->Clear();
  b->Items()->Add("x");
  EXPECT_EQ(States(b), (std::vector<int> { 0 }));
  EXPECT_THROW(b->Checked(5), EListError);
}

TEST_F(CheckListTest, TheMouseAndSpaceToggleTheBoxAndTheFrameIsTheSender) {
  auto* b = NewCheckList(10, 10);
  Fill(b, 4);
  b->SetState(2, cbGrayed);
  Show();
  ClickAt(b, 19, 0);  // the last pixel of the check column
  EXPECT_TRUE(b->Checked(0));
  ClickAt(b, 20, 0);  // the text
  EXPECT_TRUE(b->Checked(0));
  ClickAt(b, 5, 0, xt::mbRight);  // any button
  EXPECT_FALSE(b->Checked(0));
  ClickAt(b, 5, 2);  // grayed stays grayed, yet the event fires
  EXPECT_EQ(b->State(2), cbGrayed);
  EXPECT_EQ(clicks, (std::vector<std::string> { "frame", "frame", "frame" }));
  b->SetItemIndex(1);
  b->ListBox()->SetFocus();
  xt::TypeText(" ");
  EXPECT_TRUE(b->Checked(1));
  b->OnListBoxKeyPress = On<TKeyPressEvent>([](TObject*, char&) {});
  b->ListBox()->OnKeyPress = On<TKeyPressEvent>([](TObject*, char& k) { k = 0; });
  xt::TypeText(" ");
  EXPECT_TRUE(b->Checked(1));
  EXPECT_EQ(clicks.size(), 4u);
  // Items taken away from inside the handler leave no stale state.
  b->OnClickCheck = On<TNotifyEvent>([b](TObject*) { b->Items()->Delete(0); });
  ClickAt(b, 5, 0);
  EXPECT_EQ(b->Items()->Count(), 3);
  EXPECT_EQ(States(b), (std::vector<int> { 1, 2, 0 }));
}

// The rows of one paint share a canvas: what a row leaves set (a clear brush, a box's pen and brush, the
// selection's colours, the skin's font) never reaches the next, so every row shows as it does alone.
TEST_F(CheckListTest, EveryRowOfAPaintShowsAsItDoesAlone) {
  LoadTestSkin();
  for (const bool skinned : { false, true }) {
    auto* all = NewCheckList(10, 10, 110);
    auto* one = NewCheckList(130, 10, 110);
    for (auto* b : { all, one }) {
      if (skinned) b->SetSkinData(skin);
      b->SetMultiSelect(true);
      Fill(b, 6, "线路 ");
      b->SetChecked(1, true);
      b->SetState(3, cbGrayed);
      b->SetSelected(2, true);
      b->SetSelected(3, true);
    }
    all->SetRowCount(5);
    one->SetRowCount(1);
    Show();
    const int h = all->ListBox()->ItemHeight(), w = all->ListBox()->Width();
    ASSERT_EQ(one->ListBox()->Width(), w);
    for (int i = 0; i < 5; ++i) {
      one->SetTopIndex(i);
      xt::PumpUntilIdle();
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(Px(one->ListBox(), x, y), Px(all->ListBox(), x, i * h + y))
              << (skinned ? "skinned" : "default") << " row " << i << " at " << x << "," << y;
    }
    delete all;
    delete one;
  }
}

TEST_F(CheckListTest, LooksWithAndWithoutCheckPicturesInTheSkin) {
  auto* b = NewCheckList(10, 10, 130, 100);
  Fill(b, 3);
  b->SetChecked(0, true);
  Show();
  // Default look: a box with a mark for the checked item, an empty box for the others.
  auto marked = [&](int index) {
    const TRect r = b->ItemRect(index);
    int dark = 0;
    for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
      for (int x = 4; x < 16; ++x) dark += Px(b->ListBox(), x, y) == static_cast<COLORREF>(ColorToRGB(clWindowText));
    return dark;
  };
  EXPECT_GT(marked(0), 6);
  EXPECT_EQ(marked(1), 0);
  EXPECT_EQ(Px(b->ListBox(), 3, b->ItemRect(1).Top + 10), ColorToRGB(clBtnShadow));
  Gallery(b, "bsSkinBoxCtrls", "checklist-default");

  LoadTestSkin();
  b->SetSkinData(skin);
  xt::PumpUntilIdle();
  ASSERT_NE(b->SkinObjectIndex(), -1);
  ASSERT_FALSE(IsNullRect(b->ItemCheckRect));
  // The box pictures from the skin, centred in the item's check rectangle.
  const TRect c = b->ItemCheckRect;
  const TPoint mid((c.Left + c.Right) / 2, (c.Top + c.Bottom) / 2);
  const auto on = Code(b->ListBox(), mid.X, b->ItemRect(0).Top + mid.Y);
  const auto off = Code(b->ListBox(), mid.X, b->ItemRect(1).Top + mid.Y);
  EXPECT_EQ(on.owner, OwnerOf("checklistbox"));
  EXPECT_NE(on.code, off.code);
  Gallery(b, "bsSkinBoxCtrls", "checklist-skin");
  ClickAt(b, mid.X, 1);
  EXPECT_TRUE(b->Checked(1));

  // A plain list record under the name: no check pictures, the default box and column still work.
  b->SetSkinDataName("listbox");
  b->ChangeSkinData();
  xt::PumpUntilIdle();
  ASSERT_NE(b->SkinObjectIndex(), -1);
  EXPECT_TRUE(IsNullRect(b->ItemCheckRect));
  EXPECT_GT(marked(0), 6);
  ClickAt(b, 10, 2);
  EXPECT_TRUE(b->Checked(2));
  Gallery(b, "bsSkinBoxCtrls", "checklist-listrecord");
}

// ---- Caption bar ------------------------------------------------------------------------------------

namespace {

class CaptionTest : public CheckListTest {
 protected:
  template <class L>
  void Press(L* b, int i) {
    const TRect& r = b->Buttons(i).R;
    const TPoint p = b->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    xt::MouseMove(p.X, p.Y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  template <class L>
  void Release(L* b, int i, int dx = 0) {
    const TRect& r = b->Buttons(i).R;
    const TPoint p = b->ClientToScreen(TPoint((r.Left + r.Right) / 2 + dx, (r.Top + r.Bottom) / 2));
    xt::MouseMove(p.X, p.Y);
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }
  static void Wait(uint64_t ms) {
    xt::Advance(ms);
    xt::PumpUntilIdle();
  }
};

}  // namespace

TEST_F(CaptionTest, ButtonsStepRepeatAndActOnlyWhenReleasedOverThem) {
  auto* b = NewList(10, 10);
  b->SetCaptionMode(true);
  b->SetCaption("Title");
  Fill(b, 5);
  b->SetItemIndex(0);
  Show();
  EXPECT_EQ(b->Buttons(0).R, TRect(101, 2, 118, 18));  // up, rightmost, 17 x 16
  EXPECT_EQ(b->Buttons(1).R, TRect(84, 2, 101, 18));
  EXPECT_EQ(b->Buttons(2).R, TRect(67, 2, 84, 18));
  EXPECT_EQ(Bounds(b->ListBox()).Top, 21);
  Gallery(b, "bsSkinBoxCtrls", "listbox-caption");
  Press(b, 0);
  Release(b, 0);
  EXPECT_EQ(b->ItemIndex(), 0);  // nothing above the first item
  // Held: the first step 600 ms after the press, then one every 100 ms, and one more on release.
  Press(b, 1);
  Wait(599);
  EXPECT_EQ(b->ItemIndex(), 0);
  Wait(1);
  EXPECT_EQ(b->ItemIndex(), 1);
  Wait(100);
  EXPECT_EQ(b->ItemIndex(), 2);
  Release(b, 1);
  EXPECT_EQ(b->ItemIndex(), 3);
  Wait(1000);
  EXPECT_EQ(b->ItemIndex(), 3);
  Press(b, 1);
  Wait(2000);
  Release(b, 1);
  EXPECT_EQ(b->ItemIndex(), 4);  // stops at the last item
  // Released away from the button: cancelled.
  Press(b, 0);
  Release(b, 0, -40);
  EXPECT_EQ(b->ItemIndex(), 4);
  // A handler replaces the action and the repeat, and runs once on release over the button.
  int handled = 0;
  b->OnDownButtonClick = On<TNotifyEvent>([&](TObject* s) { handled += s == b ? 1 : 100; });
  b->SetItemIndex(1);
  Press(b, 1);
  Wait(1000);
  Release(b, 1);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(b->ItemIndex(), 1);
  Press(b, 1);
  Release(b, 1, -40);
  EXPECT_EQ(handled, 1);
  // The check button clicks the list.
  int listClicks = 0;
  b->OnListBoxClick = On<TNotifyEvent>([&](TObject*) { ++listClicks; });
  Press(b, 2);
  Release(b, 2);
  EXPECT_EQ(listClicks, 1);
}

TEST_F(CaptionTest, SkinnedButtonsShowTheirHotAndPressedPicturesWhereverTheSkinKeepsThem) {
  auto* b = NewList(10, 10);
  b->SetCaptionMode(true);
  Fill(b, 5);
  LoadTestSkin();
  b->SetSkinData(skin);
  Show();
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const char* hot[] = { "activeupbuttonrect", "activedownbuttonrect", "activecheckbuttonrect" };
    const char* down[] = { "downupbuttonrect", "downdownbuttonrect", "downcheckbuttonrect" };
    const TRect r = b->Buttons(i).R;
    ASSERT_FALSE(IsNullRect(r));
    // Two pixels in: the decoded offset inside the picture's rectangle tells where it was cut from.
    auto face = [&] { return Code(b, r.Left + 2, r.Top + 3); };
    EXPECT_EQ(face().owner, OwnerOf("listbox"));
    Press(b, i);
    EXPECT_EQ(face().code, RectCode(down[i]));
    EXPECT_EQ(face().localX, 2);
    EXPECT_EQ(face().localY, 3);
    Release(b, i, 300);
    MoveTo(b, r.Left + 2, r.Top + 3);
    EXPECT_EQ(face().code, RectCode(hot[i]));
    EXPECT_EQ(face().localX, 2);
    EXPECT_EQ(face().localY, 3);
    MoveTo(b, r.Left + 2, r.Top + 300);
    EXPECT_NE(face().code, RectCode(hot[i]));
  }
  Gallery(b, "bsSkinBoxCtrls", "listbox-caption-skin");
}

TEST_F(CaptionTest, ALostPressStopsTheRepeat) {
  auto* b = NewList(10, 10);
  b->SetCaptionMode(true);
  Fill(b, 20);
  b->SetItemIndex(0);
  Show();
  Press(b, 1);
  Wait(700);
  const int at = b->ItemIndex();
  EXPECT_GE(at, 1);
  b->SetEnabled(false);
  Wait(1000);
  EXPECT_EQ(b->ItemIndex(), at);
  b->SetEnabled(true);
  Release(b, 1);
  EXPECT_EQ(b->ItemIndex(), at);
  // The capture taken away while held (a box opened meanwhile): the repeat stops too.
  Press(b, 1);
  ReleaseCapture();
  xt::PumpUntilIdle();
  Wait(1000);
  EXPECT_EQ(b->ItemIndex(), at);
  Release(b, 1);
  // A small caption has small buttons.
  b->SetDefaultCaptionHeight(12);
  b->Repaint();
  EXPECT_EQ(b->Buttons(0).R, TRect(109, 2, 118, 10));
  // Leaving the control unlights the buttons.
  const TRect& r = b->Buttons(2).R;
  const TPoint p = b->ClientToScreen(TPoint(r.Left + 2, r.Top + 2));
  xt::MouseMove(p.X, p.Y);
  EXPECT_TRUE(b->Buttons(2).MouseIn);
  xt::MouseMove(p.X + 300, p.Y);
  EXPECT_FALSE(b->Buttons(2).MouseIn);
}

TEST_F(CaptionTest, TheCheckListsCheckButtonTogglesTheCurrentItem) {
  auto* b = NewCheckList(10, 10);
  b->SetCaptionMode(true);
  Fill(b, 5);
  Show();
  Press(b, 2);
  Release(b, 2);  // no current item: nothing
  EXPECT_TRUE(clicks.empty());
  b->SetItemIndex(3);
  Press(b, 2);
  Release(b, 2);
  EXPECT_TRUE(b->Checked(3));
  Press(b, 2);
  Release(b, 2);
  EXPECT_FALSE(b->Checked(3));
  EXPECT_EQ(clicks, (std::vector<std::string> { "frame", "frame" }));
  // With the test skin the buttons come from the skin's rectangles.
  LoadTestSkin();
  b->SetSkinData(skin);
  b->SetCaption("Checks");
  xt::PumpUntilIdle();
  b->Repaint();
  ASSERT_FALSE(IsNullRect(b->Buttons(0).R));
  const TRect& up = b->Buttons(0).R;
  EXPECT_EQ(Decode(Px(b, up.Left + 1, up.Top + 1)).owner, OwnerOf("checklistbox"));
  Gallery(b, "bsSkinBoxCtrls", "checklist-caption-skin");
  b->SetItemIndex(2);
  Press(b, 2);
  Release(b, 2);
  EXPECT_TRUE(b->Checked(2));
}

// ---- Bad skins and callbacks that change the list -----------------------------------------------------

namespace {

TbsDataSkinListBox* ListRecord(TbsSkinData* skin, const char* name) {
  return dynamic_cast<TbsDataSkinListBox*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(name))));
}

// The visible skinned bars among a frame's children.
int VisibleBars(TWinControl* frame) {
  int n = 0;
  for (int i = 0; i < frame->ControlCount(); ++i)
    if (auto* bar = dynamic_cast<TbsSkinScrollBar*>(frame->Controls(i)); bar && bar->Visible()) ++n;
  return n;
}

}  // namespace

// A skin with no client part to tile, no item picture, or no picture at all still shows the list: the
// window colour where nothing can be tiled, the default items where none can be drawn from the skin.
TEST_F(CheckListTest, SkinsWithoutTilesOrItemPicturesStillShowBackgroundAndItems) {
  auto* l = NewList(10, 10, 200, 100);
  auto* c = NewCheckList(10, 120, 200, 100);
  LoadTestSkin();
  for (TbsSkinCustomListBox* b : { static_cast<TbsSkinCustomListBox*>(l), static_cast<TbsSkinCustomListBox*>(c) }) {
    Fill(b, 2);
    b->SetSkinData(skin);
  }
  Show();
  for (const char* name : { "listbox", "checklistbox" }) {
    SCOPED_TRACE(name);
    TbsSkinCustomListBox* b = name == std::string("listbox") ? static_cast<TbsSkinCustomListBox*>(l) : c;
    TbsDataSkinListBox* rec = ListRecord(skin, name);
    ASSERT_NE(rec, nullptr);
    TbsListBox* inner = b->ListBox();
    b->SetItemIndex(1);
    auto reskin = [&] {
      b->ChangeSkinData();
      inner->Repaint();
      xt::PumpUntilIdle();
    };
    // Below the two items, and in the selected one right of its text.
    auto below = [&] {
      EXPECT_GT(inner->Height() - 2, b->ItemRect(1).Bottom);
      return Px(inner, inner->Width() / 2, inner->Height() - 2);
    };
    auto selected = [&] { return Px(inner, inner->Width() - 6, (b->ItemRect(1).Top + b->ItemRect(1).Bottom) / 2); };
    EXPECT_EQ(Decode(below()).owner, OwnerOf(name)) << "tiled from the skin's client part";

    // No client part: nothing to tile, so the window colour (a tile of no width or height is never
    // divided by); the items still from the skin.
    const TRect clRect = rec->ClRect;
    for (const TRect& empty : { TRect(5, 5, 5, 30), TRect(5, 5, 40, 5) }) {
      rec->ClRect = empty;
      reskin();
      ASSERT_NE(b->SkinObjectIndex(), -1);
      EXPECT_EQ(below(), ColorToRGB(clWindow));
      EXPECT_EQ(Decode(selected()).owner, OwnerOf(name));
    }
    rec->ClRect = clRect;

    // No item picture: the default items, the selected one in the highlight colour.
    const TRect itemRect = rec->ItemRect;
    rec->ItemRect = TRect();
    reskin();
    ASSERT_NE(b->SkinObjectIndex(), -1);
    EXPECT_EQ(selected(), ColorToRGB(clHighlight));
    EXPECT_EQ(Decode(below()).owner, OwnerOf(name));
    rec->ItemRect = itemRect;

    // A picture index past the skin's pictures: the whole default look.
    const int picture = rec->PictureIndex;
    rec->PictureIndex = 1000;
    reskin();
    EXPECT_EQ(b->SkinObjectIndex(), -1);
    EXPECT_EQ(selected(), ColorToRGB(clHighlight));
    EXPECT_EQ(below(), ColorToRGB(clWindow));
    rec->PictureIndex = picture;
    reskin();
  }
}

// A check list keeps its states across a window re-created later and across the parent's window going
// away; nothing saved for a window that never comes back outlives the control.
TEST_F(CheckListTest, SavedCheckStatesComeBackWithTheWindowAndGoWithTheControl) {
  auto* b = NewCheckList(10, 10);
  Fill(b, 4);
  Show();
  b->SetChecked(1, true);
  b->SetState(3, cbGrayed);
  b->SetParent(nullptr);  // the inner window goes with the frame's
  EXPECT_FALSE(b->ListBox()->HandleAllocated());
  b->SetParent(form);
  xt::PumpUntilIdle();
  ASSERT_TRUE(b->ListBox()->HandleAllocated());
  EXPECT_EQ(States(b), (std::vector<int> { 0, 1, 0, 2 }));
  // Freed while its window is away (states saved, no window to take them back), and freed with its
  // window: the sanitizer run finds anything left behind.
  auto* away = NewCheckList(10, 140);
  Fill(away, 3);
  ASSERT_TRUE(away->ListBox()->HandleAllocated());
  away->SetChecked(2, true);
  away->SetParent(nullptr);
  delete away;
  delete b;
  EXPECT_EQ(form->ControlCount(), 1);  // the focus holder
}

// The check button works in a skin whose caption has no up or down button.
TEST_F(CaptionTest, ACheckButtonAloneInTheSkinStillChecks) {
  auto* b = NewCheckList(10, 10);
  b->SetCaptionMode(true);
  Fill(b, 3);
  LoadTestSkin();
  TbsDataSkinListBox* rec = ListRecord(skin, "checklistbox");
  ASSERT_NE(rec, nullptr);
  for (TRect* r : { &rec->UpButtonRect, &rec->ActiveUpButtonRect, &rec->DownUpButtonRect, &rec->DownButtonRect,
                    &rec->ActiveDownButtonRect, &rec->DownDownButtonRect })
    *r = TRect();
  b->SetSkinData(skin);
  b->SetItemIndex(1);
  Show();
  b->Repaint();
  ASSERT_NE(b->SkinObjectIndex(), -1);
  EXPECT_TRUE(IsNullRect(b->Buttons(0).R));
  ASSERT_FALSE(IsNullRect(b->Buttons(2).R));
  Press(b, 2);
  EXPECT_TRUE(b->Buttons(2).Down);
  Release(b, 2);
  EXPECT_TRUE(b->Checked(1));
  EXPECT_EQ(clicks, (std::vector<std::string> { "frame" }));
}

// Handlers that add and delete items while the list paints, while it handles a click or a check, or
// while its own bar handles an arrow: the bar comes and goes with the overflow, there is never more
// than one, and the check states stay with their items (the sanitizer run checks the memory).
TEST_F(CheckListTest, ItemsAddedAndDeletedFromInsideDrawClickAndBarEventsKeepTheListsWhole) {
  auto* l = NewList(10, 10, 120, 100);  // four rows and a bit
  l->SetMultiSelect(true);
  Fill(l, 8);
  int drawn = 0;
  std::function<void()> duringDraw;
  l->OnDrawItem = On<TbsDrawSkinItemEvent>([&](TCanvas* C, int Index, int, int, TRect& T, TOwnerDrawState S) {
    ++drawn;
    // The handler is handed the brush in its row's colour.
    EXPECT_EQ(C->Brush()->Style(), bsSolid);
    EXPECT_EQ(C->Brush()->Color(), S.Contains(odSelected) ? clHighlight : clWindow) << Index;
    C->TextOut(T.Left, T.Top, l->Items()->Strings(Index));
    if (auto f = std::exchange(duringDraw, nullptr)) f();
  });
  Show();
  l->SetSelected(0, true);  // a selection that outlives the rows deleted under the painting
  l->SetSelected(6, true);
  l->SetTopIndex(4);
  xt::PumpUntilIdle();
  ASSERT_NE(l->ScrollBar(), nullptr);
  // Rows still to paint deleted under the painting, the bar with them.
  duringDraw = [&] {
    while (l->Items()->Count() > 2) l->Items()->Delete(l->Items()->Count() - 1);
  };
  l->ListBox()->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(l->Items()->Count(), 2);
  EXPECT_EQ(l->ScrollBar(), nullptr);
  EXPECT_EQ(VisibleBars(l), 0);
  EXPECT_EQ(Bounds(l->ListBox()), TRect(2, 2, 118, 98));
  // Rows added under the painting: one bar, laid out beside the list.
  duringDraw = [&] {
    for (int i = 0; i < 10; ++i) l->Items()->Add("more");
  };
  l->ListBox()->Invalidate();
  xt::PumpUntilIdle();
  ASSERT_NE(l->ScrollBar(), nullptr);
  EXPECT_EQ(VisibleBars(l), 1);
  EXPECT_EQ(l->ScrollBar()->Max(), 11);
  EXPECT_EQ(Bounds(l->ListBox()).Right, l->ScrollBar()->Left());
  // The bar's own arrow handler takes the overflow away: the bar goes while its click runs.
  const auto takeAll = On<TNotifyEvent>([&](TObject*) {
    while (l->Items()->Count() > 1) l->Items()->Delete(0);
  });
  l->ScrollBar()->OnUpButtonClick = takeAll;
  l->ScrollBar()->OnDownButtonClick = takeAll;
  TbsSkinScrollBar* bar = l->ScrollBar();
  const TPoint arrow = bar->ClientToScreen(TPoint(bar->Width() / 2, 3));
  xt::Click(arrow.X, arrow.Y);
  EXPECT_EQ(l->Items()->Count(), 1);
  EXPECT_EQ(l->ScrollBar(), nullptr);
  EXPECT_EQ(VisibleBars(l), 0);
  Fill(l, 6);
  ASSERT_NE(l->ScrollBar(), nullptr);
  EXPECT_EQ(VisibleBars(l), 1);
  EXPECT_GT(drawn, 0);

  // The check list: a click adds an item in front, a check deletes the first item.
  auto* c = NewCheckList(140, 10, 120, 100);
  Fill(c, 3);
  c->SetChecked(2, true);
  c->OnListBoxClick = On<TNotifyEvent>([c](TObject*) { c->Items()->Insert(0, "new"); });
  c->OnClickCheck = On<TNotifyEvent>([c](TObject*) { c->Items()->Delete(c->Items()->IndexOf("item0")); });
  xt::PumpUntilIdle();
  ClickAt(c, 60, 1);  // the text of item1: a new first item
  EXPECT_EQ(c->Items()->Count(), 4);
  EXPECT_EQ(States(c), (std::vector<int> { 0, 0, 0, 1 }));
  ClickAt(c, 5, 2);  // the box of item1: checked, item0 taken away by the check, a new item by the click
  EXPECT_EQ(c->Items()->Count(), 4);
  EXPECT_EQ(c->Items()->IndexOf("item0"), -1);
  EXPECT_EQ(States(c), (std::vector<int> { 0, 0, 1, 1 }));

  // The inner lists on their own, without a frame.
  auto* inner = new TbsCheckListBox(form);
  inner->SetParent(form);
  inner->SetBounds(10, 130, 120, 80);
  inner->SetStyle(lbOwnerDrawFixed);
  inner->SetItemHeight(20);
  for (const char* s : { "a", "b", "c" }) inner->Items()->Add(s);
  int checks = 0;
  inner->OnClickCheck = On<TNotifyEvent>([&](TObject* s) {
    checks += s == inner;
    inner->Items()->Delete(0);
  });
  inner->OnClick = On<TNotifyEvent>([&](TObject*) { inner->Items()->Add("z"); });
  xt::PumpUntilIdle();
  inner->SetChecked(2, true);
  ControlsTest::ClickAt(inner, 5, 30);  // the box of "b": the check deletes "a"
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(inner->Items()->IndexOf("a"), -1);
  EXPECT_EQ(inner->State(inner->Items()->IndexOf("c")), cbChecked);
  auto* plain = new TbsListBox(form);
  plain->SetParent(form);
  plain->SetBounds(140, 130, 120, 80);
  plain->SetStyle(lbOwnerDrawFixed);
  plain->SetItemHeight(20);
  for (const char* s : { "a", "b", "c" }) plain->Items()->Add(s);
  plain->OnClick = On<TNotifyEvent>([&](TObject*) { plain->Items()->Delete(plain->ItemIndex()); });
  xt::PumpUntilIdle();
  ControlsTest::ClickAt(plain, 30, 50);
  EXPECT_EQ(plain->Items()->Count(), 2);
  EXPECT_EQ(plain->Items()->IndexOf("c"), -1);
  plain->Repaint();
  EXPECT_EQ(Px(plain, 60, 50), ColorToRGB(clWindow));
}
