// TListView over the native list view: the header child and its announcement, report rows with
// sub-items, scroll state and LVM_* answers in each view style, selection and check boxes by mouse and
// keys, column resizing, reordering and clicks through the header, sorting, owner draw, streaming, a new
// window keeping the items, and bad input (indexes, deleting inside events, clearing mid-drag).

#include <algorithm>
#include <climits>
#include <set>

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/HeaderListTestUtil.h"

using namespace viewtest;

namespace {

class ListViewTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    lv = new TListView(form);
    lv->SetParent(form);
    lv->SetBorderStyle(bsNone);  // client = window, so client coordinates are the control's
    lv->SetBounds(10, 10, 300, 200);
  }
  void Report(int items,
              std::initializer_list<std::pair<const char*, int>> columns = { { "Name", 100 }, { "Size", 60 } }) {
    lv->SetViewStyle(vsReport);
    for (const auto& [caption, width] : columns) {
      TListColumn* c = lv->Columns()->Add();
      c->SetCaption(caption);
      c->SetWidth(width);
    }
    Fill(items);
  }
  void Fill(int items) {
    lv->Items()->BeginUpdate();
    for (int i = 0; i < items; ++i) {
      TListItem* it = lv->Items()->Add();
      it->SetCaption("item" + std::to_string(i));
      it->SubItems()->Add("s" + std::to_string(i));
    }
    lv->Items()->EndUpdate();
    form->Show();
    xt::PumpUntilIdle();
  }
  HWND Header() { return reinterpret_cast<HWND>(lv->Perform(LVM_GETHEADER, 0, 0)); }
  RECT Bounds(int i, int code = LVIR_BOUNDS) {
    RECT r { code, 0, 0, 0 };
    lv->Perform(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  std::pair<int, int> Range(int bar) {
    int lo = -1, hi = -1;
    GetScrollRange(lv->Handle(), bar, &lo, &hi);
    return { lo, hi };
  }
  int Pos(int bar) { return GetScrollPos(lv->Handle(), bar); }
  LPARAM ItemParam(int i) {
    LVITEMA it {};
    it.mask = LVIF_PARAM;
    it.iItem = i;
    return lv->Perform(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) ? it.lParam : 0;
  }
  // A click on the item's caption (or `dx` pixels right of where it starts).
  void ClickItem(int i, unsigned shift = xt::ssNone, int dx = 3) {
    xt::Advance(1000);
    const RECT r = Bounds(i, LVIR_LABEL);
    if (shift & xt::ssShift) xt::KeyDown(VK_SHIFT, xt::ssNone, false);
    if (shift & xt::ssCtrl) xt::KeyDown(VK_CONTROL, xt::ssNone, false);
    ClickAt(lv, r.left + dx, r.top + 3);
    if (shift & xt::ssCtrl) xt::KeyUp(VK_CONTROL, xt::ssNone, false);
    if (shift & xt::ssShift) xt::KeyUp(VK_SHIFT, xt::ssNone, false);
    xt::PumpUntilIdle();
  }
  std::vector<int> SelectedIndexes() {
    std::vector<int> v;
    for (int i = 0; i < lv->Items()->Count(); ++i)
      if (lv->Items()->Item(i)->Selected()) v.push_back(i);
    return v;
  }
  // The texts the view drew, left to right then top to bottom.
  std::vector<std::string> Drawn() {
    std::vector<xt::TextRecord> log;
    for (const xt::TextRecord& t : xt::TextOutLog())
      if (t.hwnd == lv->Handle()) log.push_back(t);
    std::stable_sort(log.begin(), log.end(), [](auto& a, auto& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    std::vector<std::string> v;
    for (auto& t : log) v.push_back(t.text);
    return v;
  }
  void Repaint() {
    xt::ClearTextLog();
    lv->Invalidate();
    xt::PumpUntilIdle();
  }
  TListView* lv {};
};

TEST_F(ListViewTest, TheReportHeaderAnnouncesItselfAndComesBackAfterAStyleChangeOrANewWindow) {
  TRecorder parentNotices(lv, { WM_PARENTNOTIFY });
  Report(3);
  std::vector<HWND> created;
  auto collect = [&] {
    for (const TMessage& m : parentNotices.Messages)
      if (LOWORD(m.WParam) == WM_CREATE) created.push_back(reinterpret_cast<HWND>(m.LParam));
    parentNotices.Messages.clear();
  };
  collect();
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0], Header());
  char name[80] {};
  GetClassNameA(created[0], name, sizeof name);
  EXPECT_STREQ(name, "SysHeader32");
  EXPECT_EQ(SendMessageA(Header(), HDM_GETITEMCOUNT, 0, 0), 2);
  RECT h {};
  GetWindowRect(Header(), &h);
  const int headerHeight = h.bottom - h.top;
  EXPECT_GT(headerHeight, 10);
  EXPECT_EQ(Bounds(0).top, headerHeight);

  lv->SetViewStyle(vsList);
  EXPECT_EQ(Header(), nullptr);
  EXPECT_FALSE(IsWindow(created[0]));
  lv->SetViewStyle(vsReport);
  collect();
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[1], Header());
  EXPECT_EQ(SendMessageA(Header(), HDM_GETITEMCOUNT, 0, 0), 2);

  lv->SetBorderStyle(bsSingle);  // a new window
  lv->HandleNeeded();
  collect();
  ASSERT_EQ(created.size(), 3u);
  EXPECT_EQ(created[2], Header());
  lv->SetShowColumnHeaders(false);
  EXPECT_EQ(Header(), nullptr);
  EXPECT_EQ(Bounds(0).top, 0);
}

// A child says when it comes and goes, unless it asks not to.
TEST_F(ListViewTest, ChildWindowsAnnounceCreationAndDestructionUnlessTheyOptOut) {
  form->Show();
  TRecorder notices(form, { WM_PARENTNOTIFY });
  HWND a = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 10, 10, form->Handle(), (HMENU)5, nullptr, nullptr);
  HWND quiet = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "LISTBOX", "", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                               nullptr, nullptr);
  DestroyWindow(quiet);
  DestroyWindow(a);
  ASSERT_EQ(notices.Messages.size(), 2u);
  EXPECT_EQ(notices.Messages[0].WParam, MAKEWPARAM(WM_CREATE, 5));
  EXPECT_EQ(notices.Messages[1].WParam, MAKEWPARAM(WM_DESTROY, 5));
  EXPECT_EQ(reinterpret_cast<HWND>(notices.Messages[1].LParam), a);
}

TEST_F(ListViewTest, ReportRowsShowSubItemsInTheirColumnsAndScrollByRows) {
  Report(40);
  const RECT r0 = Bounds(0), r1 = Bounds(1);
  const int row = r1.top - r0.top;
  EXPECT_EQ(r0.left, 0);
  EXPECT_EQ(r0.right, 160);
  const int perPage = (200 - r0.top) / row;
  EXPECT_EQ(lv->Perform(LVM_GETCOUNTPERPAGE, 0, 0), perPage);
  EXPECT_EQ(lv->VisibleRowCount(), perPage);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 40);
  EXPECT_EQ(Range(SB_VERT), (std::pair { 0, 39 }));
  EXPECT_EQ(Range(SB_HORZ), (std::pair { 0, 0 }));

  // A third sub-item has no column: it is kept, never shown.
  lv->Items()->Item(0)->SubItems()->Add("hidden");
  lv->Items()->Item(0)->SubItems()->Add("more");
  Repaint();
  std::vector<std::string> drawn = Drawn();
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(drawn.begin(), drawn.begin() + 4),
            (std::vector<std::string> { "item0", "s0", "item1", "s1" }));
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "hidden"), 0);
  EXPECT_LE(static_cast<int>(drawn.size()), 2 * (perPage + 1));  // only what shows

  // With HotTrack the caption under the mouse lights up.
  lv->SetHotTrack(true);
  const RECT label = Bounds(2, LVIR_LABEL);
  MoveTo(lv, label.left + 4, label.top + 3);
  xt::PumpUntilIdle();
  EXPECT_TRUE(Bluish(lv->Handle(), label));
  EXPECT_FALSE(Bluish(lv->Handle(), Bounds(3, LVIR_LABEL)));

  // Pixels: one row and a bit rounds to one row; the bar says where.
  lv->Scroll(0, row + row / 3);
  EXPECT_EQ(lv->TopItem()->Index(), 1);
  EXPECT_EQ(Pos(SB_VERT), 1);
  lv->Scroll(0, -(row / 3));
  EXPECT_EQ(lv->TopItem()->Index(), 1);
  lv->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
  EXPECT_EQ(lv->TopItem()->Index(), 40 - perPage);  // no further than the last page
  EXPECT_LE(Bounds(39).bottom, 200);
  lv->Columns()->Items(1)->SetWidth(400);
  EXPECT_EQ(Range(SB_HORZ), (std::pair { 0, 499 }));
  lv->Scroll(35, 0);
  EXPECT_EQ(Pos(SB_HORZ), 35);
  EXPECT_EQ(Bounds(0).left, -35);
}

TEST_F(ListViewTest, ClicksAndKeysSelectAndEveryChangeIsReported) {
  Report(10);
  std::vector<std::pair<int, bool>> selects;
  lv->OnSelectItem = On<TLVSelectItemEvent>([&](TObject*, TListItem* item, bool on) {
    selects.push_back({ item->Index(), on });
  });
  lv->SetFocus();
  Press(VK_DOWN);  // nothing focused yet: the first item
  EXPECT_EQ(lv->ItemIndex(), 0);
  ClickItem(2);
  EXPECT_EQ(lv->ItemIndex(), 2);
  EXPECT_EQ(lv->ItemFocused()->Index(), 2);
  ClickItem(4, xt::ssCtrl);  // one selection at a time without MultiSelect
  EXPECT_EQ(SelectedIndexes(), std::vector<int> { 4 });
  EXPECT_EQ(selects,
            (std::vector<std::pair<int, bool>> { { 0, true }, { 0, false }, { 2, true }, { 2, false }, { 4, true } }));
  Press(VK_DOWN);
  EXPECT_EQ(SelectedIndexes(), std::vector<int> { 5 });
  Press(VK_END);
  EXPECT_EQ(SelectedIndexes(), std::vector<int> { 9 });

  lv->SetMultiSelect(true);
  ClickItem(3);
  ClickItem(5, xt::ssShift);
  EXPECT_EQ(SelectedIndexes(), (std::vector<int> { 3, 4, 5 }));
  ClickItem(8, xt::ssCtrl);
  ClickItem(4, xt::ssCtrl);
  EXPECT_EQ(SelectedIndexes(), (std::vector<int> { 3, 5, 8 }));
  EXPECT_EQ(lv->SelCount(), 3);
  Press(VK_UP, xt::ssShift);  // from the focus (4) back to the anchor
  EXPECT_EQ(SelectedIndexes(), (std::vector<int> { 3, 4 }));
  // A click on no item clears the selection.
  ClickAt(lv, 50, 195);
  EXPECT_EQ(lv->SelCount(), 0);
  EXPECT_EQ(lv->Selected(), nullptr);

  // Without RowSelect a click beside the caption in the first column misses; with it, it hits.
  ClickItem(1, xt::ssNone, 85);
  EXPECT_EQ(lv->SelCount(), 0);
  lv->SetRowSelect(true);
  ClickItem(1, xt::ssNone, 85);
  EXPECT_EQ(SelectedIndexes(), std::vector<int> { 1 });
}

TEST_F(ListViewTest, CheckBoxesTickByClickAndSpace) {
  lv->SetCheckboxes(true);
  Report(5);
  int changes = 0;
  lv->OnChange = On<TLVChangeEvent>([&](TObject*, TListItem*, TItemChange c) { changes += c == ctState; });
  TListItem* second = lv->Items()->Item(1);
  EXPECT_FALSE(second->Checked());
  const RECT state = Bounds(1, LVIR_BOUNDS);
  ClickAt(lv, state.left + 6, state.top + (state.bottom - state.top) / 2);
  xt::PumpUntilIdle();
  EXPECT_TRUE(second->Checked());
  EXPECT_FALSE(second->Selected());  // the box is not the item
  EXPECT_EQ(changes, 1);
  ClickItem(3);
  Press(VK_SPACE);
  EXPECT_TRUE(lv->Items()->Item(3)->Checked());
  Press(VK_SPACE);
  EXPECT_FALSE(lv->Items()->Item(3)->Checked());
  lv->Items()->Item(0)->SetChecked(true);
  Gallery(lv, "listview", "report-checkboxes");
  lv->SetGridLines(true);
  lv->SetRowSelect(true);
  Gallery(lv, "listview", "report-grid-rowselect");
  // The ticks survive a new window.
  lv->SetBorderStyle(bsSingle);
  lv->HandleNeeded();
  EXPECT_TRUE(lv->Items()->Item(0)->Checked());
  EXPECT_TRUE(lv->Items()->Item(1)->Checked());
  EXPECT_EQ(lv->Perform(LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(lv->ItemIndex(), 3);
}

TEST_F(ListViewTest, TheHeaderResizesReordersAndClicksTheColumns) {
  Report(3, { { "Name", 100 }, { "Size", 60 }, { "Kind", 70 } });
  std::vector<int> clicked;
  lv->OnColumnClick = On<TLVColumnClickEvent>([&](TObject*, TListColumn* c) { clicked.push_back(c->Index()); });
  const HWND header = Header();
  auto headerPoint = [&](int x) {
    POINT p { x, 5 };
    ClientToScreen(header, &p);
    return p;
  };
  auto drag = [&](int x1, int x2) {
    POINT a = headerPoint(x1), b = headerPoint(x2);
    xt::MouseDown(xt::mbLeft, a.x, a.y);
    for (int x = a.x; x != b.x; x += x < b.x ? 2 : -2) xt::MouseMove(x, a.y);
    xt::MouseMove(b.x, b.y);
    xt::MouseUp(xt::mbLeft, b.x, b.y);
    xt::PumpUntilIdle();
  };
  POINT p = headerPoint(130);
  xt::Click(p.x, p.y);
  EXPECT_EQ(clicked, std::vector<int> { 1 });

  drag(100, 140);  // the first divider, 40 pixels right
  EXPECT_EQ(lv->Columns()->Items(0)->Width(), 140);
  EXPECT_EQ(Bounds(0).right, 270);
  EXPECT_EQ(clicked, std::vector<int> { 1 });

  int dragged = 0;
  lv->OnColumnDragged = On<TNotifyEvent>([&](TObject*) { ++dragged; });
  drag(20, 260);  // no FullDrag: a press released elsewhere
  EXPECT_EQ(dragged, 0);
  lv->SetFullDrag(true);
  drag(20, 260);
  EXPECT_EQ(dragged, 1);
  std::vector<int> order(3, -1);
  lv->Perform(LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order.data()));
  EXPECT_EQ(order, (std::vector<int> { 1, 2, 0 }));
  std::vector<int> headerOrder(3, -1);
  SendMessageA(header, HDM_GETORDERARRAY, 3, reinterpret_cast<LPARAM>(headerOrder.data()));
  EXPECT_EQ(headerOrder, order);
  Repaint();
  std::vector<std::string> drawn = Drawn();
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(drawn[0], "s0");  // the Size column now comes first
  Gallery(lv, "listview", "report-reordered");

  lv->SetColumnClick(false);  // a new header without buttons
  ASSERT_NE(Header(), nullptr);
  p = { 20, 5 };
  ClientToScreen(Header(), &p);
  xt::Advance(1000);
  xt::Click(p.x, p.y);
  EXPECT_EQ(clicked, std::vector<int> { 1 });
}

TEST_F(ListViewTest, ListStyleScrollsByColumnsAndIconStylesByPixels) {
  lv->SetViewStyle(vsList);
  Fill(100);
  const RECT r0 = Bounds(0), r1 = Bounds(1);
  const int row = r1.top - r0.top, colWidth = r0.right - r0.left;
  // The horizontal bar takes its height from the client area.
  const int rows = lv->ClientHeight() / row, visibleCols = lv->ClientWidth() / colWidth;
  const int columns = (100 + rows - 1) / rows;
  EXPECT_LT(lv->ClientHeight(), 200);
  EXPECT_EQ(r1.left, 0);
  EXPECT_EQ(Bounds(rows).left, colWidth);
  EXPECT_EQ(lv->Perform(LVM_GETCOUNTPERPAGE, 0, 0), rows * visibleCols);
  EXPECT_EQ(Range(SB_HORZ), (std::pair { 0, columns - 1 }));
  EXPECT_EQ(Range(SB_VERT), (std::pair { 0, 0 }));
  lv->Perform(WM_HSCROLL, SB_LINERIGHT, 0);
  lv->Perform(WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(Pos(SB_HORZ), 2);
  EXPECT_EQ(lv->TopItem()->Index(), 2 * rows);
  EXPECT_EQ(Bounds(2 * rows).left, 0);
  lv->Perform(WM_HSCROLL, SB_LINELEFT, 0);
  EXPECT_EQ(Pos(SB_HORZ), 1);
  Gallery(lv, "listview", "list");

  lv->SetViewStyle(vsSmallIcon);
  const RECT s0 = Bounds(0), s1 = Bounds(1);
  EXPECT_EQ(s1.top, s0.top);  // row by row
  EXPECT_EQ(s1.left, s0.right);
  const int perRow = lv->ClientWidth() / (s0.right - s0.left), cellH = s0.bottom - s0.top;
  EXPECT_EQ(Bounds(perRow).top, cellH);
  const int height = ((100 + perRow - 1) / perRow) * cellH;
  EXPECT_EQ(Range(SB_VERT), (std::pair { 0, height - 1 }));
  lv->Scroll(0, 7);  // pixels
  EXPECT_EQ(Pos(SB_VERT), 7);
  EXPECT_EQ(Bounds(0).top, -7);

  lv->SetViewStyle(vsIcon);
  const RECT i0 = Bounds(0);
  EXPECT_EQ(i0.top, 0);
  EXPECT_GE(i0.right - i0.left, 75);
  EXPECT_GT(Range(SB_VERT).second, 200);
  lv->Items()->Item(3)->SetSelected(true);
  lv->SetHideSelection(false);
  Gallery(lv, "listview", "icon");
  lv->Items()->Item(99)->MakeVisible(false);
  EXPECT_LE(Bounds(99).bottom, 200);
  EXPECT_GE(Bounds(99).top, 0);
}

// Item images from the small list in report, list and small-icon views and from the large list in icon
// view; the column's image in the header; state images in place of check boxes.
TEST_F(ListViewTest, ImagesComeFromTheListOfTheViewStyle) {
  TImageList small(12, 10), large(36, 34), states(9, 8);
  TBitmap b;
  b.SetSize(12, 10);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 12, 10));
  small.Add(&b, nullptr);
  b.SetSize(36, 34);
  b.Canvas()->Brush()->SetColor(clBlue);
  b.Canvas()->FillRect(TRect(0, 0, 36, 34));
  large.Add(&b, nullptr);
  b.SetSize(9, 8);
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(TRect(0, 0, 9, 8));
  states.Add(&b, nullptr);
  lv->SetSmallImages(&small);
  lv->SetLargeImages(&large);
  Report(3);
  lv->Columns()->Items(1)->SetImageIndex(0);
  lv->Items()->Item(1)->SetImageIndex(0);
  xt::PumpUntilIdle();
  auto centre = [&](int i) {
    xt::PumpUntilIdle();
    const RECT r = Bounds(i, LVIR_ICON);
    return xt::ReadPixel(lv->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  EXPECT_EQ(centre(1), 0x0000FFu);
  EXPECT_NE(centre(0), 0x0000FFu);  // no image
  RECT section {};
  SendMessageA(Header(), HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&section));
  EXPECT_EQ(xt::ReadPixel(Header(), section.left + 6 + 6, (section.top + section.bottom) / 2), 0x0000FFu);
  Gallery(lv, "listview", "report-images");

  lv->SetViewStyle(vsSmallIcon);
  EXPECT_EQ(centre(1), 0x0000FFu);
  lv->SetViewStyle(vsIcon);
  EXPECT_EQ(Bounds(1, LVIR_ICON).right - Bounds(1, LVIR_ICON).left, 36);
  EXPECT_EQ(centre(1), 0xFF0000u);

  lv->SetViewStyle(vsReport);
  lv->SetStateImages(&states);
  lv->Items()->Item(2)->SetStateIndex(0);
  xt::PumpUntilIdle();
  const RECT row = Bounds(2);
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), row.left + 4, (row.top + row.bottom) / 2), 0x00FF00u);
  lv->SetSmallImages(nullptr);
  lv->SetLargeImages(nullptr);
  lv->SetStateImages(nullptr);
}

TEST_F(ListViewTest, SortingKeepsTheItemsInOrderAndTheSelectionWithItsItem) {
  lv->SetViewStyle(vsReport);
  lv->Columns()->Add()->SetCaption("Name");
  form->Show();
  for (const char* s : { "pear", "Apple", "fig", "banana" }) lv->Items()->Add()->SetCaption(s);
  lv->Items()->Item(2)->SetSelected(true);  // fig
  lv->SetSortType(stText);
  auto captions = [&] {
    std::vector<std::string> v;
    for (int i = 0; i < lv->Items()->Count(); ++i) v.push_back(lv->Items()->Item(i)->Caption());
    return v;
  };
  EXPECT_EQ(captions(), (std::vector<std::string> { "Apple", "banana", "fig", "pear" }));
  EXPECT_EQ(lv->Selected()->Caption(), "fig");
  lv->Items()->Add()->SetCaption("cherry");
  lv->Items()->Item(0)->SetCaption("zucchini");
  EXPECT_EQ(captions(), (std::vector<std::string> { "banana", "cherry", "fig", "pear", "zucchini" }));
  Repaint();
  EXPECT_EQ(Drawn(), captions());  // the window's rows follow
  lv->Items()->BeginUpdate();      // sorted once, at the end
  lv->Items()->Add()->SetCaption("apricot");
  lv->Items()->Item(0)->SetCaption("yam");
  lv->Items()->EndUpdate();
  EXPECT_EQ(captions(), (std::vector<std::string> { "apricot", "cherry", "fig", "pear", "yam", "zucchini" }));
  lv->Items()->Item(4)->Delete();

  lv->OnCompare = On<TLVCompareEvent>([](TObject*, TListItem* a, TListItem* b, int, int& c) {
    c = static_cast<int>(a->Caption().size()) - static_cast<int>(b->Caption().size());
  });
  lv->AlphaSort();
  EXPECT_EQ(captions(), (std::vector<std::string> { "fig", "pear", "cherry", "apricot", "zucchini" }));
  EXPECT_EQ(lv->ItemIndex(), 0);
  lv->CustomSort([](TListItem* a, TListItem* b, int) { return CompareText(b->Caption(), a->Caption()); }, 0);
  EXPECT_EQ(captions(), (std::vector<std::string> { "zucchini", "pear", "fig", "cherry", "apricot" }));
  Repaint();
  EXPECT_EQ(Drawn(), captions());
}

TEST_F(ListViewTest, IndexesSelectionAndFocusFollowInsertsAndDeletesAnywhere) {
  Report(300);
  TListItems* items = lv->Items();
  items->Item(150)->SetSelected(true);
  items->Item(150)->SetFocused(true);
  items->Item(299)->SetSelected(false);
  TListItem* chosen = items->Item(150);
  std::vector<int> deletedAt;
  lv->OnDeletion = On<TLVDeletedEvent>([&](TObject*, TListItem* i) { deletedAt.push_back(i->Index()); });
  // The list as the items hold it, checked against itself, the window and the selection after each step.
  auto check = [&](const std::vector<std::string>& expected) {
    ASSERT_EQ(items->Count(), int(expected.size()));
    ASSERT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), int(expected.size()));
    for (int k = 0; k < items->Count(); ++k) {
      TListItem* it = items->Item(k);
      ASSERT_EQ(it->Caption(), expected[size_t(k)]) << k;
      ASSERT_EQ(it->Index(), k);
      ASSERT_EQ(items->IndexOf(it), k);
      ASSERT_EQ(reinterpret_cast<TListItem*>(ItemParam(k)), it) << k;  // the window's row k is item k
    }
    EXPECT_EQ(lv->Selected(), chosen);
    EXPECT_EQ(lv->ItemFocused(), chosen);
    EXPECT_EQ(SelectedIndexes(), std::vector<int> { chosen->Index() });
  };
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) expected.push_back("item" + std::to_string(i));
  check(expected);
  for (int at : { 0, 77, 151, 302 }) {  // before, around and after the chosen item, and at the end
    items->Insert(at)->SetCaption("new" + std::to_string(at));
    expected.insert(expected.begin() + at, "new" + std::to_string(at));
  }
  check(expected);
  for (int at : { 0, 0, 100, 149, int(expected.size()) - 5 }) {  // the chosen item at 150 after three
    items->Delete(at);
    expected.erase(expected.begin() + at);
  }
  EXPECT_EQ(deletedAt, (std::vector<int> { 0, 0, 100, 149, int(expected.size()) }));
  check(expected);
  const int at = chosen->Index();
  items->Delete(at + 1);
  items->Delete(at - 1);
  expected.erase(expected.begin() + at + 1);
  expected.erase(expected.begin() + at - 1);
  ASSERT_EQ(chosen->Index(), at - 1);
  check(expected);
  lv->Perform(WM_KEYDOWN, VK_DOWN, 0);  // the keys start from the focus where it now is
  chosen = items->Item(at);
  check(expected);
  lv->OnDeletion = nullptr;  // the view is freed with the form, after the vector its handler fills
}

TEST_F(ListViewTest, OwnerDrawnRowsAreDrawnForWhatShowsOnlyEvenWithAHundredThousandItems) {
  lv->SetOwnerDraw(true);
  Report(100000);
  std::set<int> drawn;
  lv->OnDrawItem = On<TLVDrawItemEvent>([&](TCustomListView* v, TListItem* item, TRect r, TOwnerDrawState state) {
    drawn.insert(item->Index());
    v->Canvas()->Brush()->SetColor(state.Contains(odSelected) ? clRed : clLime);
    v->Canvas()->FillRect(r);
  });
  lv->Items()->Item(99999)->SetSelected(true);
  lv->Items()->Item(99999)->MakeVisible(false);
  drawn.clear();
  lv->Invalidate();
  xt::PumpUntilIdle();
  const int perPage = lv->VisibleRowCount();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(*drawn.rbegin(), 99999);
  EXPECT_LE(static_cast<int>(drawn.size()), perPage + 1);
  const RECT last = Bounds(99999);
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 5, last.top + 2), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 5, Bounds(99998).top + 2), 0x00FF00u);
  EXPECT_EQ(Range(SB_VERT), (std::pair { 0, 99999 }));
}

TEST_F(ListViewTest, BadInputIsRefusedOrHarmless) {
  Report(5);
  EXPECT_THROW(lv->Items()->Item(5), EListError);
  EXPECT_THROW(lv->Items()->Item(-1), EListError);
  EXPECT_THROW(lv->Items()->Delete(7), EListError);
  EXPECT_THROW(lv->Items()->Insert(6), EListError);
  RECT r { LVIR_BOUNDS, 1, 2, 3 };
  EXPECT_EQ(lv->Perform(LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r)), FALSE);
  EXPECT_EQ(lv->Perform(LVM_GETITEMRECT, 0, 0), FALSE);
  r.left = 99;
  EXPECT_EQ(lv->Perform(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)), FALSE);
  EXPECT_EQ(lv->Perform(LVM_DELETEITEM, static_cast<WPARAM>(-1), 0), FALSE);
  const int badOrder[] = { 1, 1 };
  EXPECT_EQ(lv->Perform(LVM_SETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(badOrder)), FALSE);
  LVITEMA far {};
  far.mask = LVIF_TEXT;
  far.iItem = 0;
  far.iSubItem = 1 << 30;
  far.pszText = const_cast<LPSTR>("x");
  EXPECT_EQ(lv->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&far)), FALSE);
  EXPECT_EQ(lv->GetItemAt(-5, 300), nullptr);
  // Columns wider than any screen add up without overflowing.
  for (int c = 0; c < 2; ++c) lv->Perform(LVM_SETCOLUMNWIDTH, c, INT_MAX);
  EXPECT_EQ(lv->Perform(LVM_GETCOLUMNWIDTH, 1, 0), 1 << 20);
  EXPECT_EQ(Range(SB_HORZ).second, (2 << 20) - 1);
  lv->Perform(WM_HSCROLL, SB_BOTTOM, 0);
  xt::PumpUntilIdle();
  lv->Columns()->Items(0)->SetWidth(100);
  lv->Columns()->Items(1)->SetWidth(60);
  lv->Items()->Item(0)->SetSelected(true);

  // The item selected by a click deletes itself (and the one before it) from OnSelectItem.
  lv->OnSelectItem = On<TLVSelectItemEvent>([&](TObject*, TListItem* item, bool on) {
    if (on && item->Caption() == "item3") {
      lv->Items()->Delete(item->Index());
      lv->Items()->Delete(0);
    }
  });
  lv->SetFocus();
  ClickItem(3);
  ASSERT_EQ(lv->Items()->Count(), 3);
  EXPECT_EQ(lv->Items()->Item(0)->Caption(), "item1");
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(lv->SelCount(), 0);
  Press(VK_DOWN);
  Press(VK_END);
  EXPECT_EQ(lv->ItemIndex(), 2);

  // Everything is cleared while a column is being dragged; the drag ends in nothing.
  lv->SetFullDrag(true);
  const HWND header = Header();
  POINT a { 20, 5 };
  ClientToScreen(header, &a);
  xt::MouseDown(xt::mbLeft, a.x, a.y);
  for (int d = 2; d < 30; d += 2) xt::MouseMove(a.x + d, a.y);
  lv->Columns()->Clear();
  lv->Items()->Clear();
  for (int d = 30; d < 140; d += 2) xt::MouseMove(a.x + d, a.y);
  xt::MouseUp(xt::mbLeft, a.x + 140, a.y);
  xt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(Range(SB_VERT), (std::pair { 0, 0 }));
  EXPECT_EQ(lv->TopItem(), nullptr);
}

}  // namespace

XJ_PUBLISHED(viewtest::TViewsForm, XJ_FIELD(ListView1));

namespace {

TEST_F(ListViewTest, ColumnsAndItemsStreamThroughAFormResource) {
  const std::string text = R"(object ViewsForm: TViewsForm
  Width = 400
  Height = 300
  object ListView1: TListView
    Left = 8
    Top = 8
    Width = 300
    Height = 150
    Checkboxes = True
    Columns = <
      item
        Caption = '文件'
        Width = 120
      end
      item
        Alignment = taRightJustify
        Caption = 'Size'
      end>
    GridLines = True
    ItemData = (
      'a.wav'
      2
      1
      1
      '12 KB'
      'b.wav'
      -1
      0
      2
      '3 KB'
      'extra')
    ViewStyle = vsReport
  end
end
)";
  auto* f = new TViewsForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  TListView* v = f->ListView1;
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->ViewStyle(), vsReport);
  ASSERT_EQ(v->Columns()->Count(), 2);
  EXPECT_EQ(v->Columns()->Items(0)->Caption(), "文件");
  EXPECT_EQ(v->Columns()->Items(1)->Alignment(), taRightJustify);
  ASSERT_EQ(v->Items()->Count(), 2);
  EXPECT_EQ(v->Items()->Item(0)->ImageIndex(), 2);
  EXPECT_TRUE(v->Items()->Item(0)->Checked());
  EXPECT_FALSE(v->Items()->Item(1)->Checked());
  EXPECT_EQ(v->Items()->Item(1)->SubItems()->Count(), 2);
  f->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(v->Perform(LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(v->Perform(LVM_GETCOLUMNWIDTH, 0, 0), 120);

  const AnsiString written = WriteComponentResource(f);
  auto* g = new TViewsForm(nullptr);
  Keep(g);
  ReadComponentResource(g, written);
  EXPECT_EQ(WriteComponentResource(g), written);
  EXPECT_EQ(g->ListView1->Items()->Item(1)->SubItems()->Strings(1), "extra");

  EXPECT_THROW(ReadComponentResource(new TViewsForm(f),
                                     "object ViewsForm: TViewsForm\n  object ListView1: TListView\n"
                                     "    ItemData = (\n      'x'\n      0\n      0\n      -4)\n  end\nend\n"),
               EReadError);
}

}  // namespace
