// List boxes: items with their data, clicks and keys (Click on user changes only), ItemIndex scrolling
// into view, owner drawing with its states, item data and selection across RecreateWnd, multiple
// selection, sorting, columns, geometry queries, and the LB_* messages a WindowProc sees.

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

// Records every SetItemData call (a descendant that keeps records in the data slot relies on them).
class TRecordingListBox : public TListBox {
  XJ_CLASS(TRecordingListBox, TListBox)
 public:
  explicit TRecordingListBox(TComponent* AOwner) : TListBox(AOwner) {}
  std::vector<std::pair<int, LONG_PTR>> Sets;
  void SetItemData(int Index, LONG_PTR AData) override {
    Sets.emplace_back(Index, AData);
    TListBox::SetItemData(Index, AData);
  }
};

TObject* Data(intptr_t v) { return reinterpret_cast<TObject*>(v); }

class ListBoxTest : public StdCtrlsTest {
 protected:
  template <class T = TListBox>
  T* NewList(int count, int x = 10, int y = 10, int w = 150, int h = 104) {
    auto* l = Add<T>(x, y, w, h);
    l->SetBorderStyle(bsNone);  // the client area is the whole control
    for (int i = 0; i < count; ++i) l->Items()->Add("item " + std::to_string(i));
    l->OnClick = On<TNotifyEvent>([this](TObject*) { ++clicks; });
    return l;
  }
  int clicks { 0 };
};

TEST_F(ListBoxTest, ItemsKeepTheirTextAndData) {
  TListBox* list = NewList(0);
  TStrings* items = list->Items();
  items->AddObject("one", Data(11));
  items->Add("three");
  items->InsertObject(1, "two", Data(22));
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Strings(1), "two");
  EXPECT_EQ(items->Objects(1), Data(22));
  EXPECT_EQ(items->Objects(2), nullptr);
  EXPECT_EQ(items->IndexOf("THREE"), 2);
  list->SetItemIndex(1);
  items->SetStrings(1, "deux");  // the data and the selection stay
  EXPECT_EQ(items->Strings(1), "deux");
  EXPECT_EQ(items->Objects(1), Data(22));
  EXPECT_EQ(list->ItemIndex(), 1);
  items->Delete(0);
  EXPECT_EQ(items->Strings(0), "deux");
  EXPECT_EQ(list->GetItemData(0), 22);
  EXPECT_EQ(list->Count(), 2);

  EXPECT_THROW(items->Strings(5), EListError);
  EXPECT_THROW(items->Objects(-1), EListError);
  EXPECT_THROW(items->Delete(2), EListError);
  EXPECT_THROW(items->Insert(4, "x"), EListError);
  EXPECT_THROW(list->Selected(9), EListError);
  EXPECT_EQ(items->Count(), 2);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}

// Between BeginUpdate and EndUpdate the list paints nothing; afterwards it shows every item.
TEST_F(ListBoxTest, NothingIsPaintedWhileTheItemsAreUpdated) {
  TListBox* list = NewList(2);
  Show();
  list->Items()->BeginUpdate();
  for (int i = 0; i < 5; ++i) list->Items()->Add("more");
  list->Items()->Delete(0);
  RECT u;
  EXPECT_FALSE(GetUpdateRect(list->Handle(), &u, FALSE));
  xt::ClearTextLog();
  list->Items()->EndUpdate();
  xt::PumpUntilIdle();
  std::vector<std::string> drawn;
  for (const auto& r : xt::TextOutLog()) drawn.push_back(r.text);
  EXPECT_EQ(drawn, (std::vector<std::string> { "item 1", "more", "more", "more", "more", "more" }));
}

TEST_F(ListBoxTest, ClicksSelectAndClickOnceEachDoubleClicksToo) {
  TListBox* list = NewList(20);
  int dbl = 0;
  list->OnDblClick = On<TNotifyEvent>([&](TObject*) { ++dbl; });
  Show();
  ASSERT_EQ(list->ItemHeight(), kLineH);  // a standard list takes its font's line height
  ClickAt(list, 20, 2 * kLineH + 5);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), list->Handle());
  xt::Advance(1000);                  // not a double click
  ClickAt(list, 20, 2 * kLineH + 5);  // the same item still counts as a click
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(dbl, 0);
  xt::Advance(1000);
  DoubleClickAt(list, 20, 4 * kLineH + 5);
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(dbl, 1);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndClick) {
  TListBox* list = NewList(20);
  form->SetActiveControl(list);
  Show();
  list->SetItemIndex(0);
  struct Step {
    UINT key;
    int index;
  } steps[] = { { VK_DOWN, 1 }, { VK_DOWN, 2 }, { VK_END, 19 }, { VK_UP, 18 }, { VK_HOME, 0 }, { VK_NEXT, 7 } };
  int expectedClicks = 0;
  for (const Step& s : steps) {
    Press(s.key);
    EXPECT_EQ(list->ItemIndex(), s.index) << s.key;
    EXPECT_EQ(clicks, ++expectedClicks) << s.key;
    EXPECT_GE(s.index, list->TopIndex());
    EXPECT_LT(s.index, list->TopIndex() + 8);
  }
}

TEST_F(ListBoxTest, TypingFindsAnItemByWholeCharactersAndClicksOnce) {
  TListBox* list = NewList(0);
  // 稿 is B8 E5, 告 is B8 E6: a search for the lead byte alone would stop at 稿件 first.
  for (const char* text : { "apple", "稿件", "Banana", "告别", "告示", "berry" }) list->Items()->Add(text);
  form->SetActiveControl(list);
  Show();
  xt::TypeText("告");
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(clicks, 1) << "one move, for the whole character";
  xt::TypeText("示");  // the same search, longer: from the caret on
  EXPECT_EQ(list->ItemIndex(), 4);
  xt::Advance(1000);
  xt::TypeText("b");  // a new search after the pause, in either case, from after the caret
  EXPECT_EQ(list->ItemIndex(), 5);
  xt::Advance(1000);
  xt::TypeText("B");
  EXPECT_EQ(list->ItemIndex(), 2) << "round past the end";
  const int before = clicks;
  xt::Advance(1000);
  xt::TypeText("z");  // nothing begins so: nothing moves
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(clicks, before);
}

TEST_F(ListBoxTest, ProgramSelectionScrollsIntoViewWithoutAClick) {
  TListBox* list = NewList(30);
  Show();
  list->SetItemIndex(20);
  EXPECT_EQ(list->ItemIndex(), 20);
  EXPECT_GT(list->TopIndex(), 12);  // eight rows fit: item 20 is visible
  EXPECT_LE(list->TopIndex(), 20);
  list->SetItemIndex(99);  // outside the items: harmless
  EXPECT_NO_THROW(list->ItemIndex());
  EXPECT_LT(list->ItemIndex(), 30);
  list->SetItemIndex(-1);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->SetTopIndex(5);
  EXPECT_EQ(list->TopIndex(), 5);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ListBoxTest, OwnerDrawnItemsGetTheirStateAndAreDrawnByTheHandler) {
  TListBox* list = NewList(5);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  struct Draw {
    int index;
    TRect rect;
    TOwnerDrawState state;
  };
  std::vector<Draw> draws;
  list->OnDrawItem = On<TDrawItemEvent>([&](TWinControl* c, int index, TRect rect, TOwnerDrawState state) {
    draws.push_back({ index, rect, state });
    TCanvas* canvas = static_cast<TListBox*>(c)->Canvas();
    canvas->Brush()->SetColor(state.Contains(odSelected) ? clRed : clBlue);
    canvas->FillRect(rect);
  });
  form->SetActiveControl(list);
  Show();
  EXPECT_EQ(list->ItemHeight(), 20);
  EXPECT_EQ(list->ItemRect(2), TRect(0, 40, 150, 60));
  EXPECT_EQ(Pixel(list, 50, 45), Rgb(clBlue));
  draws.clear();
  ClickAt(list, 50, 45);
  xt::PumpUntilIdle();
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(Pixel(list, 50, 45), Rgb(clRed));
  EXPECT_EQ(Pixel(list, 50, 65), Rgb(clBlue));
  bool sawFocusedSelected = false;
  for (const Draw& d : draws)
    if (d.index == 2 && d.state.Contains(odSelected) && d.state.Contains(odFocused)) {
      sawFocusedSelected = true;
      EXPECT_EQ(d.rect, TRect(0, 40, 150, 60));
    }
  EXPECT_TRUE(sawFocusedSelected);
  list->SetEnabled(false);
  draws.clear();
  list->Repaint();
  ASSERT_FALSE(draws.empty());
  EXPECT_TRUE(draws.front().state.Contains(odDisabled));
}

TEST_F(ListBoxTest, WithoutAHandlerOwnerDrawnItemsShowTheirTextAndTheSelection) {
  TListBox* list = NewList(5);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  Show();
  list->SetItemIndex(1);
  xt::ClearTextLog();
  list->Repaint();
  EXPECT_FALSE(Drawn("item 3").empty());
  EXPECT_EQ(Pixel(list, 120, 25), Rgb(clHighlight));
  EXPECT_EQ(Pixel(list, 120, 65), Rgb(clWindow));
}

TEST_F(ListBoxTest, VariableHeightsComeFromOnMeasureItem) {
  TListBox* list = NewList(0);
  list->SetStyle(lbOwnerDrawVariable);
  list->OnMeasureItem = On<TMeasureItemEvent>([](TWinControl*, int index, int& height) { height = 10 + 5 * index; });
  Show();
  for (int i = 0; i < 3; ++i) list->Items()->Add("x");
  EXPECT_EQ(list->ItemRect(0), TRect(0, 0, 150, 10));
  EXPECT_EQ(list->ItemRect(1), TRect(0, 10, 150, 25));
  EXPECT_EQ(list->ItemRect(2), TRect(0, 25, 150, 45));
}

TEST_F(ListBoxTest, RecreateWndKeepsItemsDataAndSelectionWithOneSetItemDataPerItem) {
  auto* list = NewList<TRecordingListBox>(0);
  Show();
  list->Items()->AddObject("a", Data(0));
  list->Items()->AddObject("b", Data(5));
  list->Items()->AddObject("c", Data(7));
  list->SetItemIndex(1);
  list->Sets.clear();
  HWND before = list->Handle();
  list->SetStyle(lbOwnerDrawFixed);  // a style change re-creates the window
  xt::PumpUntilIdle();
  EXPECT_NE(list->Handle(), before);
  const std::vector<std::pair<int, LONG_PTR>> expected { { 0, 0 }, { 1, 5 }, { 2, 7 } };
  EXPECT_EQ(list->Sets, expected);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items()->Strings(2), "c");
  EXPECT_EQ(list->Items()->Objects(2), Data(7));
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ListBoxTest, MultipleAndExtendedSelection) {
  TListBox* list = NewList(10);
  list->SetMultiSelect(true);
  Show();
  ClickAt(list, 20, 1 * kLineH + 3);
  const TPoint third = At(list, 20, 3 * kLineH + 3);
  xt::KeyDown(VK_SHIFT, xt::ssNone);
  xt::Click(third.X, third.Y);
  xt::KeyUp(VK_SHIFT, xt::ssNone);
  Application->ProcessMessages();
  EXPECT_EQ(list->SelCount(), 3);
  const TPoint sixth = At(list, 20, 6 * kLineH + 3);
  xt::KeyDown(VK_CONTROL, xt::ssNone);
  xt::Click(sixth.X, sixth.Y);
  xt::KeyUp(VK_CONTROL, xt::ssNone);
  Application->ProcessMessages();
  EXPECT_EQ(list->SelCount(), 4);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(list->Selected(i), i == 1 || i == 2 || i == 3 || i == 6) << i;
  list->SetSelected(2, false);
  EXPECT_EQ(list->SelCount(), 3);
  EXPECT_THROW(list->SetSelected(10, true), EListError);

  // A single-selection list answers Selected through ItemIndex.
  TListBox* single = NewList(3, 200, 10);
  single->SetSelected(2, true);
  EXPECT_EQ(single->ItemIndex(), 2);
  single->SetSelected(2, false);
  EXPECT_EQ(single->ItemIndex(), -1);
}

TEST_F(ListBoxTest, SortedListsKeepTheirOrderAcrossASwitch) {
  TListBox* list = NewList(0);
  for (const char* s : { "pear", "Apple", "fig" }) list->Items()->Add(s);
  EXPECT_EQ(list->Items()->Strings(0), "pear");
  list->SetSorted(true);  // the items come back as they were...
  EXPECT_EQ(list->Items()->Strings(0), "pear");
  list->Items()->Add("banana");  // ...and new ones go in order
  list->Items()->Clear();
  for (const char* s : { "pear", "Apple", "fig", "banana" }) list->Items()->Add(s);
  const std::vector<std::string> expected { "Apple", "banana", "fig", "pear" };
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list->Items()->Strings(i), expected[static_cast<size_t>(i)]);
}

TEST_F(ListBoxTest, ItemAtPosAndItemRect) {
  TListBox* list = NewList(3);
  Show();
  EXPECT_EQ(list->ItemAtPos(TPoint(5, kLineH + 1), true), 1);
  EXPECT_EQ(list->ItemAtPos(TPoint(5, 80), true), -1);   // below the last item
  EXPECT_EQ(list->ItemAtPos(TPoint(5, 80), false), 3);   // ...or the count
  EXPECT_EQ(list->ItemAtPos(TPoint(-1, 5), false), -1);  // outside the client area
  EXPECT_EQ(list->ItemRect(3), TRect(0, 3 * kLineH, 150, 4 * kLineH));
  EXPECT_EQ(list->ItemRect(7), TRect());
}

TEST_F(ListBoxTest, ItemHeightIgnoresValuesBelowOne) {
  TListBox* list = NewList(2);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(18);
  for (int bad : { 0, -4 }) {
    list->SetItemHeight(bad);
    EXPECT_EQ(list->ItemHeight(), 18);
  }
}

// A draw handler may free its list: the list is gone at once, the paint under way touches none of it,
// and the form goes on painting and taking clicks.
TEST_F(ListBoxTest, AnOwnerDrawnListFreedByItsDrawHandlerTouchesNothingAfterwards) {
  TListBox* list = NewList(5);
  list->SetStyle(lbOwnerDrawFixed);
  Show();
  const std::weak_ptr<const void> life = list->LifeToken();
  int calls = 0;
  list->OnDrawItem = On<TDrawItemEvent>([&calls, life](TWinControl* c, int, TRect, TOwnerDrawState) {
    ++calls;
    if (!life.expired()) delete c;
  });
  list->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(calls, 1);
  TListBox* other = NewList(2, 10, 120, 150, 40);
  form->Repaint();
  ClickAt(other, 20, 25);
  xt::PumpUntilIdle();
  EXPECT_EQ(other->ItemIndex(), 1);
}

TEST_F(ListBoxTest, AShownOwnerDrawnListTakesANewItemHeightInItsOwnWindow) {
  TListBox* list = NewList(12);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  list->OnDrawItem = On<TDrawItemEvent>([](TWinControl* c, int index, TRect rect, TOwnerDrawState) {
    TCanvas* canvas = static_cast<TListBox*>(c)->Canvas();
    canvas->Brush()->SetColor(index % 2 ? clRed : clBlue);
    canvas->FillRect(rect);
  });
  list->Items()->SetObjects(7, Data(77));
  Show();
  list->SetItemIndex(6);
  list->SetTopIndex(2);
  const HWND before = list->Handle();
  list->SetItemHeight(30);
  xt::PumpUntilIdle();
  EXPECT_EQ(list->Handle(), before) << "the window was re-created";
  EXPECT_EQ(list->ItemHeight(), 30);
  EXPECT_EQ(list->ItemRect(3), TRect(0, 30, 150 - GetSystemMetrics(SM_CXVSCROLL), 60));  // row 1 below the top
  EXPECT_EQ(list->ItemIndex(), 6);
  EXPECT_EQ(list->TopIndex(), 2);
  EXPECT_EQ(list->GetItemData(7), 77);
  EXPECT_EQ(Pixel(list, 50, 35), Rgb(clRed));  // item 3, drawn at the new height
  EXPECT_EQ(Pixel(list, 50, 65), Rgb(clBlue));
  // A variable-height list still asks again for every item, through a new window.
  list->SetStyle(lbOwnerDrawVariable);
  const HWND variable = list->Handle();
  list->SetItemHeight(24);
  EXPECT_NE(list->Handle(), variable);
  EXPECT_EQ(list->Count(), 12);
}

TEST_F(ListBoxTest, ColumnsFlowDownThenAcrossAndScrollByColumns) {
  TListBox* list = NewList(30, 10, 10, 200, 104);
  list->SetColumns(2);
  Show();
  // The horizontal bar takes its height from the rows; each column is (200 + 2 - 3) / 2 = 99 wide, so
  // two are visible.
  const int rows = (104 - GetSystemMetrics(SM_CYHSCROLL)) / kLineH;
  const int columns = (30 + rows - 1) / rows;
  EXPECT_EQ(list->ItemRect(rows + 1), TRect(99, kLineH, 198, 2 * kLineH));
  SCROLLINFO si { sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 0, 0, 0, 0 };
  GetScrollInfo(list->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, columns - 1);
  EXPECT_EQ(si.nPos, 0);
  list->SetItemIndex(29);
  GetScrollInfo(list->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nPos, columns - 2);
}

TEST_F(ListBoxTest, VerticalScrollStateFollowsTopIndex) {
  TListBox* list = NewList(3);
  Show();
  int low = -1, high = -1;
  GetScrollRange(list->Handle(), SB_VERT, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 0);  // everything fits: nothing scrolls
  for (int i = 0; i < 17; ++i) list->Items()->Add("more");
  GetScrollRange(list->Handle(), SB_VERT, &low, &high);
  EXPECT_EQ(high, 19);
  list->SetTopIndex(6);
  EXPECT_EQ(GetScrollPos(list->Handle(), SB_VERT), 6);
}

TEST_F(ListBoxTest, ItemOperationsPassThroughWindowProcAndEachChangeErases) {
  TListBox* list = NewList(2);
  Show();
  TRecorder seen(list);
  list->Items()->Add("x");
  list->Items()->Insert(0, "y");
  list->Items()->Delete(1);
  list->SetItemIndex(1);
  list->Items()->Clear();
  EXPECT_EQ(seen.Count(LB_ADDSTRING), 1);
  EXPECT_EQ(seen.Count(LB_INSERTSTRING), 1);
  EXPECT_EQ(seen.Count(LB_DELETESTRING), 1);
  EXPECT_EQ(seen.Count(LB_SETCURSEL), 1);
  EXPECT_EQ(seen.Count(LB_RESETCONTENT), 1);
  seen.Messages.clear();
  list->Items()->Add("z");
  xt::PumpUntilIdle();
  EXPECT_GE(seen.Count(WM_ERASEBKGND), 1);
}

TEST_F(ListBoxTest, ItemsNeedAParentWindow) {
  auto* list = new TListBox(form);
  EXPECT_THROW(list->Items()->Add("x"), EInvalidOperation);
  list->SetParent(form);
  EXPECT_EQ(list->Items()->Add("x"), 0);
}

}  // namespace
