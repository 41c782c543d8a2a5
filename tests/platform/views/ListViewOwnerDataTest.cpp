// TListView with OwnerData: rows drawn from OnData for the hinted page only, in every view style and at
// ten million rows; type-ahead and FindCaption through OnDataFind; a Shift+End selection of ten million
// rows reported once and kept by index while scrolling; switching OwnerData on a shown view, streaming
// it, and the item operations it refuses.

#include <algorithm>
#include <climits>

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/HeaderListTestUtil.h"

using namespace viewtest;

namespace {

constexpr int kRows = 10000000;

struct StateChange {
  int from, to;
  TItemStates before, after;
  bool operator==(const StateChange& o) const {
    return from == o.from && to == o.to && before == o.before && after == o.after;
  }
};

class ListViewOwnerDataTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    lv = new TListView(form);
    lv->SetParent(form);
    lv->SetBorderStyle(bsNone);
    lv->SetBounds(10, 10, 300, 200);
    lv->SetViewStyle(vsReport);
    for (const char* caption : { "Name", "Size" }) lv->Columns()->Add()->SetCaption(caption);
    lv->OnData = On<TLVOwnerDataEvent>([this](TObject*, TListItem* item) {
      asked.push_back(item->Index());
      item->SetCaption("row " + std::to_string(item->Index()));
      item->SubItems()->Add("size " + std::to_string(item->Index()));
    });
    lv->OnDataHint = On<TLVOwnerDataHintEvent>([this](TObject*, int from, int to) { hints.push_back({ from, to }); });
    lv->OnDataStateChange =
        On<TLVOwnerDataStateChangeEvent>([this](TObject*, int from, int to, TItemStates before, TItemStates after) {
          changes.push_back({ from, to, before, after });
        });
    lv->SetOwnerData(true);
  }
  void Show(int rows) {
    lv->Items()->SetCount(rows);
    form->Show();
    xt::PumpUntilIdle();
  }
  // Paints the whole view again, forgetting what was asked before.
  void Repaint() {
    asked.clear();
    hints.clear();
    xt::ClearTextLog();
    lv->Invalidate();
    xt::PumpUntilIdle();
  }
  // The texts the view drew, top to bottom then left to right.
  std::vector<std::string> Drawn() {
    std::vector<xt::TextRecord> log;
    for (const xt::TextRecord& t : xt::TextOutLog())
      if (t.hwnd == lv->Handle()) log.push_back(t);
    std::stable_sort(log.begin(), log.end(), [](auto& a, auto& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    std::vector<std::string> v;
    for (auto& t : log) v.push_back(t.text);
    return v;
  }
  // "row i" and, in report view, "size i" for each of first..last.
  std::vector<std::string> Rows(int first, int last, bool sizes) {
    std::vector<std::string> v;
    for (int i = first; i <= last; ++i) {
      v.push_back("row " + std::to_string(i));
      if (sizes) v.push_back("size " + std::to_string(i));
    }
    return v;
  }
  int Top() { return static_cast<int>(lv->Perform(LVM_GETTOPINDEX, 0, 0)); }
  TListView* lv {};
  std::vector<int> asked;
  std::vector<std::pair<int, int>> hints;
  std::vector<StateChange> changes;
};

TEST_F(ListViewOwnerDataTest, RowsShownComeFromOnDataForTheHintedPageOnly) {
  Show(kRows);
  EXPECT_EQ(lv->Items()->Count(), kRows);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), kRows);
  const int page = lv->VisibleRowCount();
  ASSERT_GT(page, 3);
  Repaint();
  // The page and the part row under it, hinted once, each asked for by its index, nothing beyond.
  ASSERT_EQ(hints, (std::vector<std::pair<int, int>> { { 0, page } }));
  EXPECT_EQ(Drawn(), Rows(0, page, true));
  EXPECT_TRUE(std::all_of(asked.begin(), asked.end(), [&](int i) { return i >= 0 && i <= page; }));

  lv->SetFocus();
  Press(VK_END, xt::ssCtrl);  // to the last row
  Press(VK_NEXT);             // and a page down from there stays on it
  Repaint();
  EXPECT_EQ(Top(), kRows - page);
  ASSERT_EQ(hints, (std::vector<std::pair<int, int>> { { kRows - page, kRows - 1 } }));
  EXPECT_EQ(Drawn(), Rows(kRows - page, kRows - 1, true));
  EXPECT_EQ(lv->ItemFocused()->Index(), kRows - 1);
  EXPECT_EQ(lv->ItemFocused()->Caption(), "row 9999999");
  TListItem* hit = lv->GetItemAt(5, lv->ClientHeight() - 2);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->Caption(), "row 9999999");
}

TEST_F(ListViewOwnerDataTest, EveryViewStyleDrawsItsPageFromOnData) {
  lv->IconOptions()->SetWrapText(false);  // each row's caption drawn as one text, also under a large icon
  for (TViewStyle style : { vsIcon, vsSmallIcon, vsList, vsReport }) {
    SCOPED_TRACE(style);
    lv->SetViewStyle(style);
    Show(kRows);
    lv->Items()->Item(kRows - 1)->MakeVisible(false);
    Repaint();
    ASSERT_EQ(hints.size(), 1u);
    const auto [first, last] = hints[0];
    // The last row shows, within the view, and the rows drawn are exactly the hinted ones.
    EXPECT_EQ(last, kRows - 1);
    const TRect r = lv->Items()->Item(kRows - 1)->DisplayRect(drBounds);
    EXPECT_TRUE(r.Top >= 0 && r.Bottom <= lv->ClientHeight() && r.Left >= 0 && r.Right <= lv->ClientWidth());
    std::vector<std::string> drawn = Drawn(), wanted = Rows(first, last, style == vsReport);
    std::sort(drawn.begin(), drawn.end());  // a list runs down its columns
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(drawn, wanted);
    EXPECT_LT(last - first, 100);
  }
}

TEST_F(ListViewOwnerDataTest, TypeAheadAndFindCaptionAskOnDataFind) {
  struct Find {
    TItemFind kind;
    AnsiString text;
    int start;
    bool wrap;
    bool operator==(const Find& o) const {
      return kind == o.kind && text == o.text && start == o.start && wrap == o.wrap;
    }
  };
  std::vector<Find> finds;
  lv->OnDataFind = On<TLVOwnerDataFindEvent>([&](TObject*, TItemFind kind, const AnsiString& text, const TPoint&, void*,
                                                 int start, TSearchDirection, bool wrap, int& index) {
    finds.push_back({ kind, text, start, wrap });
    index = text == "ab" ? 7654321 : text == "zz" ? 5 : -1;
  });
  Show(kRows);
  lv->SetFocus();
  lv->Items()->Item(40)->SetFocused(true);
  xt::TypeText("a");  // a new search starts after the focus, and finds nothing
  xt::TypeText("b");  // a longer one starts at it
  EXPECT_EQ(finds, (std::vector<Find> { { ifPartialString, "a", 41, true }, { ifPartialString, "ab", 40, true } }));
  EXPECT_EQ(lv->ItemIndex(), 7654321);
  EXPECT_EQ(lv->ItemFocused()->Index(), 7654321);
  EXPECT_EQ(Top() + lv->VisibleRowCount() - 1, 7654321);

  finds.clear();
  TListItem* found = lv->FindCaption(9, "zz", false, true, false);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Index(), 5);
  EXPECT_EQ(found->Caption(), "row 5");
  EXPECT_EQ(lv->FindCaption(kRows - 1, "zz", false, false, false), nullptr);  // nothing after the last row
  EXPECT_EQ(finds, (std::vector<Find> { { ifExactString, "zz", 9, false } }));

  // A double-byte character is searched for whole, once, and a character typed on extends it.
  finds.clear();
  xt::Advance(5000);
  xt::TypeText(
      "\xB8\xE6"
      "a");
  EXPECT_EQ(finds, (std::vector<Find> { { ifPartialString, "\xB8\xE6", 7654322, true },
                                        { ifPartialString,
                                          "\xB8\xE6"
                                          "a",
                                          7654321, true } }));
}

TEST_F(ListViewOwnerDataTest, ShiftEndSelectsAllRowsAsOneRangeReportedOnceAndKeptByIndex) {
  lv->SetMultiSelect(true);
  Show(kRows);
  int selects = 0;
  lv->OnSelectItem = On<TLVSelectItemEvent>([&](TObject*, TListItem*, bool) { ++selects; });
  const TRect row2 = lv->Items()->Item(2)->DisplayRect(drLabel);
  ClickAt(lv, row2.Left + 3, row2.Top + 3);
  EXPECT_EQ(selects, 1);
  Press(VK_END, xt::ssShift);
  const TItemStates none, selected { isSelected };
  ASSERT_EQ(changes, (std::vector<StateChange> { { 2, kRows - 1, none, selected } }));
  EXPECT_EQ(selects, 1);  // no row is told on its own
  EXPECT_EQ(lv->SelCount(), kRows - 2);
  EXPECT_EQ(lv->ItemFocused()->Index(), kRows - 1);

  // Scrolled back to the top and down again, the rows keep their states by index.
  lv->Perform(WM_VSCROLL, SB_TOP, 0);
  for (int k = 0; k < 3; ++k) lv->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->Items()->Item(1)->Selected());
  EXPECT_TRUE(lv->Items()->Item(2)->Selected());
  EXPECT_TRUE(lv->Items()->Item(5000000)->Selected());
  EXPECT_EQ(lv->Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);

  // A plain click on a row in the middle drops the rest: the two ranges either side, one notice each.
  changes.clear();
  const int mid = Top() + 1;
  const TRect r = lv->Items()->Item(mid)->DisplayRect(drLabel);
  ClickAt(lv, r.Left + 3, r.Top + 3);
  EXPECT_EQ(changes,
            (std::vector<StateChange> { { 2, mid - 1, selected, none }, { mid + 1, kRows - 1, selected, none } }));
  EXPECT_EQ(lv->SelCount(), 1);
  EXPECT_EQ(lv->ItemIndex(), mid);

  // Check boxes are kept by index too: Space ticks the focused row alone, and it stays ticked.
  lv->SetCheckboxes(true);
  Press(VK_SPACE);
  lv->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  lv->Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_TRUE(lv->Items()->Item(mid)->Checked());
  EXPECT_FALSE(lv->Items()->Item(mid + 1)->Checked());
  EXPECT_FALSE(lv->Items()->Item(mid - 1)->Checked());
}

TEST_F(ListViewOwnerDataTest, SwitchingOnAShownViewDropsTheItemsAndItemOperationsAreRefused) {
  lv->SetOwnerData(false);
  for (const char* caption : { "a", "b", "c" }) lv->Items()->Add()->SetCaption(caption);
  form->Show();
  xt::PumpUntilIdle();
  int deleted = 0;
  lv->OnDeletion = On<TLVDeletedEvent>([&](TObject*, TListItem*) { ++deleted; });
  EXPECT_THROW(lv->Items()->SetCount(5), EListError);

  lv->SetOwnerData(true);
  EXPECT_EQ(deleted, 3);
  EXPECT_EQ(lv->Items()->Count(), 0);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_NE(GetWindowLongA(lv->Handle(), GWL_STYLE) & LVS_OWNERDATA, 0);
  EXPECT_THROW(lv->Items()->Add(), EListError);
  EXPECT_THROW(lv->Items()->Insert(0), EListError);
  EXPECT_THROW(lv->Items()->SetCount(-1), EListError);
  EXPECT_THROW(lv->Items()->SetCount(100000001), EListError);
  lv->Items()->SetCount(4);
  EXPECT_THROW(lv->Items()->Delete(0), EListError);
  EXPECT_THROW(lv->Items()->Item(4), EListError);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 4);
  Repaint();
  EXPECT_EQ(Drawn(), Rows(0, 3, true));
  // The native view refuses single items too, and keeps its count.
  LVITEMA it {};
  it.mask = LVIF_TEXT;
  it.pszText = const_cast<LPSTR>("x");
  EXPECT_EQ(lv->Perform(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)), -1);
  EXPECT_EQ(lv->Perform(LVM_DELETEITEM, 0, 0), FALSE);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 4);

  // A new window keeps the count; switching off starts empty and takes items again.
  lv->SetBorderStyle(bsSingle);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 4);
  lv->SetOwnerData(false);
  EXPECT_EQ(lv->Items()->Count(), 0);
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT, 0, 0), 0);
  for (const char* caption : { "apple", "Banana", "blueberry" }) lv->Items()->Add()->SetCaption(caption);
  EXPECT_EQ(lv->Items()->Count(), 3);

  // Such a view searches its own captions: type-ahead, and FindCaption ignoring case.
  lv->SetFocus();
  xt::TypeText("bl");
  EXPECT_EQ(lv->ItemIndex(), 2);
  xt::Advance(1000);  // a pause starts a new search, after the focused item and round past the last
  xt::TypeText("b");
  EXPECT_EQ(lv->ItemIndex(), 1);
  EXPECT_EQ(lv->FindCaption(0, "BAN", true, true, false), lv->Items()->Item(1));
  EXPECT_EQ(lv->FindCaption(1, "banana", false, false, false), nullptr);
  EXPECT_EQ(lv->FindCaption(1, "banana", false, true, false), lv->Items()->Item(1));
}

TEST_F(ListViewOwnerDataTest, OwnerDataStreamsWithoutItemsAndRefusesItemData) {
  const char* text =
      "object ViewsForm: TViewsForm\n  object ListView1: TListView\n    OwnerData = True\n"
      "    ViewStyle = vsReport\n  end\nend\n";
  auto* f = new TViewsForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  TListView* v = f->ListView1;
  EXPECT_TRUE(v->OwnerData());
  v->Items()->SetCount(3);
  f->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(v->Perform(LVM_GETITEMCOUNT, 0, 0), 3);
  const AnsiString written = WriteComponentResource(f);
  EXPECT_NE(written.find("OwnerData = True"), std::string::npos);
  EXPECT_EQ(written.find("ItemData"), std::string::npos);
  EXPECT_THROW(ReadComponentResource(new TViewsForm(f),
                                     "object ViewsForm: TViewsForm\n  object ListView1: TListView\n"
                                     "    OwnerData = True\n    ItemData = (\n      'x'\n      0\n      0\n      0)\n"
                                     "  end\nend\n"),
               Exception);
}

}  // namespace
